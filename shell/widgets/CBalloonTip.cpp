#include "CBalloonTip.h"

#include "WindowShape.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPainter>
#include <QPainterPath>
#include <QScreen>

#include <algorithm>

namespace {

constexpr Qt::WindowFlags kTipFlags =
    Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::WindowDoesNotAcceptFocus;

constexpr int kTextFlags = Qt::AlignLeft | Qt::AlignTop | Qt::TextExpandTabs;

QRect ScreenAround(QPoint point)
{
    QScreen* screen = QGuiApplication::screenAt(point);
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    return screen ? screen->availableGeometry() : QRect();
}

}  // namespace

CBalloonTip::CBalloonTip() : QWidget(nullptr, kTipFlags)
{
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    setFocusPolicy(Qt::NoFocus);
    // Windows' default delays for a tip: 5 s shown, 0.5 s rest, 0.1 s between tools.
    SetDelays(5000, 500, 100);
    m_initialTimer.setSingleShot(true);
    m_autopopTimer.setSingleShot(true);
    connect(&m_initialTimer, &QTimer::timeout, this, &CBalloonTip::ShowBelowOwner);
    connect(&m_autopopTimer, &QTimer::timeout, this, &QWidget::hide);
    Layout();
}

CBalloonTip::~CBalloonTip()
{
    if (m_owner)
        m_owner->removeEventFilter(this);
}

bool CBalloonTip::Create(QWidget* owner)
{
    if (!owner)
        return false;
    setParent(owner, kTipFlags);
    setAttribute(Qt::WA_TranslucentBackground);
    setAttribute(Qt::WA_ShowWithoutActivating);
    m_owner = owner;
    return true;
}

void CBalloonTip::AddTool(QWidget* owner, bool tracking)
{
    if (m_owner)
        m_owner->removeEventFilter(this);
    m_owner = owner;
    m_bTracking = tracking;
    m_text = QStringLiteral(" ");
    // A non-tracking tip watches the owner's mouse itself.
    if (m_owner && !tracking) {
        m_owner->setAttribute(Qt::WA_Hover);
        m_owner->installEventFilter(this);
    }
    Layout();
}

void CBalloonTip::SetDelays(int autopop, int initial, int reshow)
{
    m_autopopTimer.setInterval(std::max(autopop, 0));
    m_initialTimer.setInterval(std::max(initial, 0));
    m_nReshow = reshow;
}

void CBalloonTip::SetColors(COLORREF text, COLORREF background)
{
    m_textColor = text;
    m_backColor = background;
    update();
}

void CBalloonTip::Activate(bool active)
{
    m_bActive = active;
    if (m_bTracking) {
        if (active) {
            Layout();
            show();
            raise();
        } else {
            hide();
        }
        return;
    }
    if (!active) {
        m_initialTimer.stop();
        m_autopopTimer.stop();
        hide();
    }
}

void CBalloonTip::SetText(const QString& text)
{
    m_text = text;
    Layout();
    update();
}

void CBalloonTip::TrackPosition(int x, int y)
{
    m_tracked = QPoint(x, y);
    m_bPlaced = true;
    m_bOutside = false;
    Layout();
}

void CBalloonTip::TrackOutside(QPoint above, QPoint below)
{
    m_above = above;
    m_below = below;
    m_tracked = above;
    m_bPlaced = true;
    m_bOutside = true;
    Layout();
}

void CBalloonTip::RelayMouseMove(QWidget* window)
{
    if (m_bTracking || !m_bActive || window != m_owner || isVisible())
        return;
    m_initialTimer.start();
}

QSize CBalloonTip::GetBubbleSize() const
{
    return m_bTrackingSupported ? size() : QSize();
}

QPoint CBalloonTip::StemTip() const
{
    return QPoint(m_bStemRight ? width() - 1 - kStemOffset : kStemOffset, m_bStemBelow ? height() - 1 : 0);
}

QRect CBalloonTip::TextRect() const
{
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), kTextFlags, m_text);
    const int top = (m_bStemBelow ? 0 : kStemHeight) + kMargin;
    return QRect(kMargin, top, text.width(), text.height());
}

// Sizes the window to the text and, once a point is tracked, puts the stem tip on it: the
// body hangs below and to the right of the point unless that leaves the screen.
void CBalloonTip::Layout()
{
    const QRect text = fontMetrics().boundingRect(QRect(0, 0, 10000, 10000), kTextFlags, m_text);
    const int bodyWidth = std::max(text.width() + 2 * kMargin, 2 * kStemOffset + 1);
    const QSize full(bodyWidth, text.height() + 2 * kMargin + kStemHeight);
    if (m_bOutside) {
        const QRect screen = ScreenAround(m_above);
        m_bStemBelow = !screen.isValid() || m_above.y() + 1 - full.height() >= screen.top();
        m_tracked = m_bStemBelow ? m_above : m_below;
    }
    if (m_bPlaced) {
        const QRect screen = ScreenAround(m_tracked);
        if (!m_bOutside)
            m_bStemBelow = screen.isValid() && m_tracked.y() + full.height() > screen.bottom() + 1
                           && m_tracked.y() - full.height() >= screen.top();
        m_bStemRight = screen.isValid() && m_tracked.x() - kStemOffset + full.width() > screen.right() + 1
                       && m_tracked.x() + kStemOffset + 1 - full.width() >= screen.left();
    }
    resize(full);
    if (m_bPlaced)
        move(m_tracked - StemTip());
    // Without a compositing window manager the see-through corners would show black.
    SetWindowShape(this, QRegion(Outline().toFillPolygon().toPolygon(), Qt::WindingFill));
    update();
}

void CBalloonTip::ShowBelowOwner()
{
    if (!m_owner || !m_bActive || m_bTracking)
        return;
    const QRect owner(m_owner->mapToGlobal(QPoint(0, 0)), m_owner->size());
    TrackPosition(owner.center().x(), owner.bottom() + 1);
    show();
    raise();
    m_autopopTimer.start();
}

bool CBalloonTip::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == m_owner && !m_bTracking) {
        switch (event->type()) {
        case QEvent::Enter:
        case QEvent::HoverMove:
        case QEvent::MouseMove:
            RelayMouseMove(m_owner);
            break;
        case QEvent::Leave:
        case QEvent::MouseButtonPress:
            m_initialTimer.stop();
            m_autopopTimer.stop();
            hide();
            break;
        default:
            break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

QPainterPath CBalloonTip::Outline() const
{
    // The outline runs through pixel centres so the body and the stem tip are whole pixels.
    const QRectF body(0.5, (m_bStemBelow ? 0 : kStemHeight) + 0.5, width() - 1,
                      height() - 1 - kStemHeight);
    const QPointF tip = QPointF(StemTip()) + QPointF(0.5, 0.5);
    const qreal edge = m_bStemBelow ? body.bottom() - 2 : body.top() + 2;  // inside the body
    // The stem leans towards the window's nearer side, as a speech balloon's does.
    const qreal inner = m_bStemRight ? tip.x() - kStemWidth : tip.x() + kStemWidth;

    QPainterPath path;
    path.addRoundedRect(body, kRadius, kRadius);
    QPainterPath stem;
    stem.moveTo(tip);
    stem.lineTo(tip.x(), edge);
    stem.lineTo(inner, edge);
    stem.closeSubpath();
    return path.united(stem);
}

void CBalloonTip::paintEvent(QPaintEvent*)
{
    const QPainterPath path = Outline();
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor::fromRgb(ColorRefToQRgb(m_textColor)), 1));
    painter.setBrush(QColor::fromRgb(ColorRefToQRgb(m_backColor)));
    painter.drawPath(path);
    painter.drawText(TextRect(), kTextFlags, m_text);
}
