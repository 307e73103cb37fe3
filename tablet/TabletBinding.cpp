#include "TabletBinding.h"

#include "platform/ScreenMetrics.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QInputDevice>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QWindow>

#include <cmath>

namespace {

// A queue nobody fetches from must not grow without end.
constexpr size_t kMaxQueued = 4096;

POINT ScreenPixels(const QPointF& global)
{
    const double ratio = ScreenMetrics::DevicePixelRatio();
    return {LONG(std::lround(global.x() * ratio)), LONG(std::lround(global.y() * ratio))};
}

}  // namespace

QEvent::Type WtPacketEvent::EventType()
{
    static const QEvent::Type type = QEvent::Type(QEvent::registerEventType());
    return type;
}

TabletBinding& TabletBinding::Instance()
{
    static TabletBinding binding;
    return binding;
}

bool TabletBinding::HasTabletDevice()
{
    for (const QInputDevice* device : QInputDevice::devices()) {
        switch (device->type()) {
        case QInputDevice::DeviceType::Stylus:
        case QInputDevice::DeviceType::Airbrush:
        case QInputDevice::DeviceType::Puck:
            return true;
        default:
            break;
        }
    }
    return false;
}

bool TabletBinding::LoadTabletInterface(bool resolve)
{
    const bool present = HasTabletDevice() || m_mousePen;
    if (!present || !resolve) {
        m_bTabletLoaded = false;
        return present;
    }
    m_bTabletLoaded = true;
    if (!m_watching && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_watching = true;
    }
    SetPressureAxisSource(this);
    return true;
}

HCTX TabletBinding::WTOpen(QObject* window, const LOGCONTEXT&, bool enable)
{
    if (!m_bTabletLoaded || !window)
        return 0;
    m_context = m_nextContext++;
    m_window = window;
    m_enabled = enable;
    m_queue.clear();
    return m_context;
}

void TabletBinding::WTClose(HCTX context)
{
    if (!IsOpen(context))
        return;
    m_context = 0;
    m_window = nullptr;
    m_queue.clear();
}

void TabletBinding::WTEnable(HCTX context, bool enable)
{
    if (IsOpen(context))
        m_enabled = enable;
}

void TabletBinding::WTOverlap(HCTX, bool) {}

int TabletBinding::WTPacketsGet(HCTX context, int count, PenPacket* packets)
{
    if (!IsOpen(context) || !packets)
        return 0;
    int taken = 0;
    while (taken < count && !m_queue.empty()) {
        packets[taken++] = m_queue.front();
        m_queue.pop_front();
    }
    return taken;
}

void TabletBinding::QueuePacket(const PenPacket& packet)
{
    m_cursor = {packet.x, packet.y};
    m_haveCursor = true;
    if (!m_context || !m_enabled || !m_window)
        return;
    if (m_queue.size() >= kMaxQueued)
        m_queue.pop_front();
    m_queue.push_back(packet);
    QCoreApplication::postEvent(m_window, new WtPacketEvent(++m_serial, m_context));
}

POINT TabletBinding::CursorPos() const
{
    if (m_haveCursor)
        return m_cursor;
    return ScreenPixels(QCursor::pos());
}

bool TabletBinding::FromTabletEvent(QEvent* event)
{
    const auto* tablet = static_cast<QTabletEvent*>(event);
    PenPacket packet;
    packet.time = DWORD(tablet->timestamp());
    const POINT at = ScreenPixels(tablet->globalPosition());
    packet.x = at.x;
    packet.y = at.y;
    packet.pressure = DWORD(std::lround(std::clamp(tablet->pressure(), 0.0, 1.0) * m_axisMaximum));
    if (event->type() == QEvent::TabletPress)
        packet.buttons = MakeButtons(0, TBN_DOWN);
    else if (event->type() == QEvent::TabletRelease)
        packet.buttons = MakeButtons(0, TBN_UP);
    if (event->type() == QEvent::TabletRelease)
        packet.pressure = 0;
    QueuePacket(packet);
    return false;  // the window still gets it, and Qt still moves the mouse with it
}

bool TabletBinding::FromMouseEvent(QObject* watched, QEvent* event)
{
    // Each mouse event reaches the window and then its widgets: take it once, at the window.
    if (!qobject_cast<QWindow*>(watched))
        return false;
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->source() != Qt::MouseEventNotSynthesized)
        return false;  // made from a pen event, which was queued already
    PenPacket packet;
    packet.time = DWORD(mouse->timestamp());
    const POINT at = ScreenPixels(mouse->globalPosition());
    packet.x = at.x;
    packet.y = at.y;
    if (event->type() == QEvent::MouseButtonPress && mouse->button() == Qt::LeftButton) {
        m_mouseDown = true;
        packet.buttons = MakeButtons(0, TBN_DOWN);
    } else if (event->type() == QEvent::MouseButtonRelease && mouse->button() == Qt::LeftButton) {
        m_mouseDown = false;
        packet.buttons = MakeButtons(0, TBN_UP);
    }
    packet.pressure = m_mouseDown ? DWORD(m_axisMaximum / 2) : 0;
    QueuePacket(packet);
    return false;
}

bool TabletBinding::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease:
        // A tablet event goes to the widget under the pen and on to its parents while they
        // ignore it: take it once, at the first widget.
        if (!watched->isWidgetType() || (event == m_lastTablet && static_cast<QTabletEvent*>(event)->timestamp() == m_lastTabletTime))
            return false;
        m_lastTablet = event;
        m_lastTabletTime = static_cast<QTabletEvent*>(event)->timestamp();
        return FromTabletEvent(event);
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return m_mousePen ? FromMouseEvent(watched, event) : false;
    default:
        return false;
    }
}
