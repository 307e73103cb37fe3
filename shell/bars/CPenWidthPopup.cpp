#include "CPenWidthPopup.h"

#include "shell/widgets/CHoverBitmapButton.h"
#include "PenWidthArtwork.h"
#include "shell/tables/StringTable.h"
#include "shell/widgets/WindowShape.h"

#include "platform/CommandIds.h"

#include <QApplication>
#include <QEvent>
#include <QLabel>
#include <QMouseEvent>

#include <algorithm>

CPenWidthPopup::CPenWidthPopup(QWidget* window)
    : QWidget(window, Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus)
{
    setObjectName(QStringLiteral("PenWidthPopup"));
    // A window of its own, so it can stand above the small frames of desktop and inking modes;
    // it never takes the activation from the frame.
    setAttribute(Qt::WA_ShowWithoutActivating);
    // The window's shape is in logical pixels; the pictures are drawn for the screen.
    const QImage shape = PenWidthArtwork::Shape();
    m_rcFull = QRect(QPoint(0, 0), shape.size());
    m_shape = RegionFromBitmap(shape);

    m_sheet = new QLabel(this);
    m_sheet->setGeometry(m_rcFull);
    for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n) {
        auto* button = new CHoverBitmapButton(ID_PEN_WIDTH1 + UINT(n - 1), m_sheet);
        button->setObjectName(QStringLiteral("PenWidth%1").arg(n));
        button->SetToolTipText(LoadString(IDS_PEN_WIDTH).arg(n));
        button->move(PenWidthArtwork::ButtonPlace(n));
        connect(button, &CHoverBitmapButton::commandTriggered, this, &CPenWidthPopup::commandTriggered);
        m_btnWidth[size_t(n - 1)] = button;
    }
    DrawFor(devicePixelRatioF());
    resize(m_rcFull.size());
    ShapeWindowFromBitmap(this, shape);

    m_timer.setInterval(kStepInterval);
    connect(&m_timer, &QTimer::timeout, this, &CPenWidthPopup::OnStep);
    if (window)
        window->installEventFilter(this);
    hide();
}

CPenWidthPopup::~CPenWidthPopup() = default;

void CPenWidthPopup::Toggle(int tool, int width, QWidget* anchor)
{
    if (tool == m_nTool) {
        Close();
        return;
    }
    m_nTool = tool;
    m_anchor = anchor;
    // The popup opens on the anchor's screen.
    if (anchor)
        DrawFor(anchor->devicePixelRatioF());
    for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n)
        WidthButton(n)->setVisible(n != width);  // the popup offers the other widths
    m_nStep = kSteps;
    m_bOpening = true;
    m_timer.start();
    // While open the popup holds the mouse: a press anywhere else rolls it in.
    qApp->installEventFilter(this);
}

void CPenWidthPopup::HidePopup()
{
    if (m_nTool)
        Close();
}

void CPenWidthPopup::Close()
{
    m_nTool = 0;
    qApp->removeEventFilter(this);
    if (isHidden()) {
        m_timer.stop();
        return;
    }
    if (m_bOpening)  // shrink from the height reached so far
        m_nStep = std::min(m_nStep + 1, kSteps);
    else if (!m_timer.isActive())
        m_nStep = 1;
    m_bOpening = false;
    m_timer.start();
}

void CPenWidthPopup::DrawFor(qreal ratio)
{
    if (ratio == m_ratio)
        return;
    m_ratio = ratio;
    m_sheet->setPixmap(QPixmap::fromImage(PenWidthArtwork::Background(ratio)));
    for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n) {
        const BarArtwork::ButtonImages art = PenWidthArtwork::WidthButton(n, ratio);
        WidthButton(n)->LoadBitmaps(art.normal, art.pressed, art.focused, art.disabled);
    }
}

// Opening: show, then a quarter, a third, a half and the full height, the last step stopping
// the timer. Closing: the full height, a half, a third, then hidden.
void CPenWidthPopup::OnStep()
{
    if (m_bOpening) {
        if (m_nStep <= 1) {
            m_timer.stop();
            m_bOpening = false;
        }
        Place(m_rcFull.height() / std::max(m_nStep, 1));
        if (isHidden()) {
            show();
            raise();
        }
        if (m_nStep > 1)
            --m_nStep;
        return;
    }
    if (m_nStep < kSteps) {
        Place(m_rcFull.height() / m_nStep);
        ++m_nStep;
        return;
    }
    m_timer.stop();
    hide();
    emit rolledIn();
}

// The bottom edge stays on the anchor's top edge; the sheet shows its lower part, so the
// popup seems to slide up out of the button.
void CPenWidthPopup::Place(int height)
{
    if (!m_anchor)
        return;
    const QPoint anchor = m_anchor->mapToGlobal(QPoint(0, 0));
    setGeometry(anchor.x(), anchor.y() - height, m_rcFull.width(), height);
    const int offset = height - m_rcFull.height();
    m_sheet->move(0, offset);
    SetWindowShape(this, m_shape.translated(0, offset));
}

// Presses on the bars' buttons go on to them: they close the popup, or move it to another
// thickness button, by their commands.
bool CPenWidthPopup::IsOutside(const QWidget* target) const
{
    return target != this && !isAncestorOf(target) && !qobject_cast<const CHoverBitmapButton*>(target);
}

void CPenWidthPopup::Reposition()
{
    if (m_nTool && !IsAnimating() && isVisible())
        Place(m_rcFull.height());
}

void CPenWidthPopup::mousePressEvent(QMouseEvent* event)
{
    // A click on the sheet between the buttons rolls the popup in.
    if (event->button() == Qt::LeftButton && !IsAnimating() && m_nTool)
        emit dismissRequested();
    QWidget::mousePressEvent(event);
}

bool CPenWidthPopup::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && m_nTool && !IsAnimating())
        if (auto* target = qobject_cast<QWidget*>(watched); target && IsOutside(target)) {
            emit dismissRequested();
            return true;  // the press only closes the popup
        }
    if (watched == parentWidget() && (event->type() == QEvent::Resize || event->type() == QEvent::Move ||
                                      event->type() == QEvent::LayoutRequest))
        QTimer::singleShot(0, this, &CPenWidthPopup::Reposition);
    return QWidget::eventFilter(watched, event);
}
