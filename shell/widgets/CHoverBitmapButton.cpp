#include "CHoverBitmapButton.h"

#include <QEnterEvent>
#include <QMouseEvent>
#include <QPainter>

namespace {

// A left button went down on a hover button and is not yet released: the mouse is then
// grabbed by that button, and no button follows the mouse with the focus until it is
// released. Shared by all hover buttons of the program.
bool g_bButtonDown = false;

// The one button showing the hover look: the mouse is over one button at a time, even when a
// leave got lost (a synthetic click, a window that opened under the mouse).
QPointer<CHoverBitmapButton> g_hovering;

}  // namespace

CHoverBitmapButton::CHoverBitmapButton(UINT id, QWidget* parent) : QAbstractButton(parent), m_nID(id)
{
    // Reached with Tab, never by the mouse: a click must not take the keyboard from the page.
    setFocusPolicy(Qt::TabFocus);
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

void CHoverBitmapButton::SetToolTipText(const QString& text)
{
    setToolTip(text);
    setAccessibleName(text);
}

void CHoverBitmapButton::BeginHover()
{
    if (g_bButtonDown || !isEnabled() || m_bHover)
        return;
    if (g_hovering && g_hovering != this)
        g_hovering->EndHover();
    g_hovering = this;
    m_bHover = true;
    update();
}

void CHoverBitmapButton::EndHover()
{
    if (g_hovering == this)
        g_hovering = nullptr;
    if (!m_bHover)
        return;
    m_bHover = false;
    update();
}

void CHoverBitmapButton::hideEvent(QHideEvent* event)
{
    EndHover();
    QAbstractButton::hideEvent(event);
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
    QAbstractButton::focusOutEvent(event);
    update();
}
