#include "CHoverBitmapButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A left button went down on a hover button and is not yet released: the mouse is then
// grabbed by that button, and no button follows the mouse with the focus until it is
// released. Shared by all hover buttons of the program.
bool g_bButtonDown = false;

}  // namespace

CHoverBitmapButton::CHoverBitmapButton(UINT id, QWidget* parent) : QAbstractButton(parent), m_nID(id)
{
    setFocusPolicy(Qt::StrongFocus);
    setMouseTracking(true);
    connect(this, &QAbstractButton::clicked, this, [this] { emit commandTriggered(m_nID); });
}

CHoverBitmapButton::CHoverBitmapButton(UINT id, const QPixmap& normal, const QPixmap& pressed,
                                       const QPixmap& focused, const QPixmap& disabled, QWidget* parent)
    : CHoverBitmapButton(id, parent)
{
    LoadBitmaps(normal, pressed, focused, disabled);
}

CHoverBitmapButton::~CHoverBitmapButton()
{
    // A button destroyed between press and release (its dialog closed by the click) must not
    // leave the other buttons waiting for a release that never comes.
    if (isDown())
        g_bButtonDown = false;
}

bool CHoverBitmapButton::LoadBitmaps(const QPixmap& normal, const QPixmap& pressed, const QPixmap& focused,
                                     const QPixmap& disabled)
{
    m_bitmap = normal;
    m_bitmapSel = pressed;
    m_bitmapFocus = focused;
    m_bitmapDisabled = disabled;
    if (normal.isNull())
        return false;
    resize(sizeHint());
    updateGeometry();
    update();
    return true;
}

QSize CHoverBitmapButton::sizeHint() const
{
    return m_bitmap.isNull() ? QSize() : m_bitmap.deviceIndependentSize().toSize();
}

const QPixmap& CHoverBitmapButton::CurrentBitmap() const
{
    const QPixmap* chosen = &m_bitmap;
    if (!isEnabled())
        chosen = &m_bitmapDisabled;
    else if (isDown())
        chosen = &m_bitmapSel;
    else if (hasFocus() || m_bHover)
        chosen = &m_bitmapFocus;
    return chosen->isNull() ? m_bitmap : *chosen;
}

void CHoverBitmapButton::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.drawPixmap(0, 0, CurrentBitmap());
}

void CHoverBitmapButton::BeginHover()
{
    if (g_bButtonDown || !isEnabled())
        return;
    m_bHover = true;
    if (!hasFocus())
        setFocus(Qt::MouseFocusReason);
    update();
}

void CHoverBitmapButton::EndHover()
{
    if (!m_bHover && !hasFocus())
        return;
    m_bHover = false;
    if (m_hidden)
        m_hidden->setFocus(Qt::MouseFocusReason);
    else if (hasFocus())
        clearFocus();
    update();
}

void CHoverBitmapButton::enterEvent(QEnterEvent* event)
{
    BeginHover();
    QAbstractButton::enterEvent(event);
}

void CHoverBitmapButton::leaveEvent(QEvent* event)
{
    if (!g_bButtonDown)
        EndHover();
    QAbstractButton::leaveEvent(event);
}

void CHoverBitmapButton::mouseMoveEvent(QMouseEvent* event)
{
    // Enter and leave are not sent while a button is grabbing the mouse; moves are.
    if (!g_bButtonDown) {
        if (rect().contains(event->position().toPoint()))
            BeginHover();
        else
            EndHover();
    }
    QAbstractButton::mouseMoveEvent(event);
}

void CHoverBitmapButton::mousePressEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        g_bButtonDown = true;
    QAbstractButton::mousePressEvent(event);
}

void CHoverBitmapButton::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        g_bButtonDown = false;
    // The click may close the bar or dialog and so delete this button.
    QPointer<CHoverBitmapButton> self(this);
    const bool inside = rect().contains(event->position().toPoint());
    QAbstractButton::mouseReleaseEvent(event);
    if (!self)
        return;
    // Hover tracking goes on from where the mouse was released.
    if (inside)
        BeginHover();
    else
        EndHover();
}

void CHoverBitmapButton::focusInEvent(QFocusEvent* event)
{
    QAbstractButton::focusInEvent(event);
    update();
}

void CHoverBitmapButton::focusOutEvent(QFocusEvent* event)
{
    // Another control took the focus (the keyboard, or another hover button): the hover look
    // goes with it. A window losing activation or a popup opening takes no focus from us.
    if (event->reason() != Qt::PopupFocusReason && event->reason() != Qt::ActiveWindowFocusReason)
        m_bHover = false;
    QAbstractButton::focusOutEvent(event);
    update();
}
