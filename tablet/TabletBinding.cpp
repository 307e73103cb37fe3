#include "TabletBinding.h"

#include "platform/ScreenMetrics.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QInputDevice>
#include <QMouseEvent>
#include <QPointingDevice>
#include <QTabletEvent>
#include <QThread>
#include <QWindow>

#include <cmath>

namespace {

// A queue nobody fetches from must not grow without end.
constexpr size_t kMaxQueued = 4096;

// The tip is button 0; the barrel buttons follow in the order the pen has them.
WORD ButtonNumber(Qt::MouseButton button)
{
    switch (button) {
    case Qt::LeftButton: return kTipButton;
    case Qt::MiddleButton: return 1;
    case Qt::RightButton: return 2;
    default: return 3;
    }
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
    m_bTabletLoaded = present && resolve;
    if (!resolve)
        return present;
    if (!m_watching && QCoreApplication::instance()) {
        QCoreApplication::instance()->installEventFilter(this);
        m_watching = true;
    }
    if (present)
        SetPressureAxisSource(this);
    return present;
}

void TabletBinding::NoticePen()
{
    if (m_bTabletLoaded)
        return;
    m_bTabletLoaded = true;
    SetPressureAxisSource(this);
    emit tabletArrived();
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

int TabletBinding::WTPacketsGet(HCTX context, int count, PenPacket* packets, bool* erasers)
{
    if (!IsOpen(context) || !packets)
        return 0;
    int taken = 0;
    while (taken < count && !m_queue.empty()) {
        if (erasers)
            erasers[taken] = m_queue.front().eraser;
        packets[taken++] = m_queue.front().packet;
        m_queue.pop_front();
    }
    return taken;
}

void TabletBinding::QueuePacket(const PenPacket& packet, bool eraser)
{
    if (Enqueue(packet, eraser))
        QCoreApplication::postEvent(m_window, new WtPacketEvent(++m_serial, m_context));
}

bool TabletBinding::Enqueue(const PenPacket& packet, bool eraser)
{
    m_cursor = {packet.x, packet.y};
    m_haveCursor = true;
    if (!m_context || !m_enabled || !m_window)
        return false;
    if (m_queue.size() >= kMaxQueued)
        m_queue.pop_front();
    m_queue.push_back({packet, eraser});
    return true;
}

// A packet of the pen's (or the mouse pen's) own input is taken by the window at once, in
// order with the input, with no trip through the event queue: its ink reaches the screen
// before the next input event is read. From inside the window's own handling of packets (a
// message box's event loop there) or from another thread the window is told by a posted
// event, as for packets queued by others.
void TabletBinding::TakeInputPacket(const PenPacket& packet, bool eraser)
{
    if (!Enqueue(packet, eraser))
        return;
    if (m_telling || QThread::currentThread() != m_window->thread()) {
        QCoreApplication::postEvent(m_window, new WtPacketEvent(++m_serial, m_context));
        return;
    }
    m_telling = true;
    WtPacketEvent event(++m_serial, m_context);
    QCoreApplication::sendEvent(m_window, &event);
    m_telling = false;
}

POINT TabletBinding::CursorPos() const
{
    if (m_haveCursor)
        return m_cursor;
    return ScreenMetrics::NativePoint(QCursor::pos());
}

bool TabletBinding::FromTabletEvent(QEvent* event)
{
    const auto* tablet = static_cast<QTabletEvent*>(event);
    PenPacket packet;
    packet.time = DWORD(tablet->timestamp());
    const POINT at = ScreenMetrics::NativePoint(tablet->globalPosition());
    packet.x = at.x;
    packet.y = at.y;
    packet.pressure = DWORD(std::lround(std::clamp(tablet->pressure(), 0.0, 1.0) * m_axisMaximum));
    const WORD button = ButtonNumber(tablet->button());
    if (event->type() == QEvent::TabletPress)
        packet.buttons = MakeButtons(button, TBN_DOWN);
    else if (event->type() == QEvent::TabletRelease)
        packet.buttons = MakeButtons(button, TBN_UP);
    // A barrel button goes up while the tip may still press.
    if (event->type() == QEvent::TabletRelease && button == kTipButton)
        packet.pressure = 0;
    TakeInputPacket(packet, tablet->pointerType() == QPointingDevice::PointerType::Eraser);
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
    const POINT at = ScreenMetrics::NativePoint(mouse->globalPosition());
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
    TakeInputPacket(packet);
    return false;
}

// A widget that ignores a tablet event has Qt pass a copy of it on to its parent.
bool TabletBinding::IsPassedOn(QObject* watched, const TabletSample& sample) const
{
    return sample == m_lastTablet && m_lastTabletTaker && m_lastTabletTaker->parent() == watched;
}

bool TabletBinding::eventFilter(QObject* watched, QEvent* event)
{
    switch (event->type()) {
    case QEvent::TabletEnterProximity:
        NoticePen();
        return false;
    case QEvent::TabletPress:
    case QEvent::TabletMove:
    case QEvent::TabletRelease: {
        // The window hands the event to the widget under the pen: it is taken there, once.
        if (!watched->isWidgetType())
            return false;
        const auto* tablet = static_cast<const QTabletEvent*>(event);
        const TabletSample sample{event->type(), tablet->globalPosition(), tablet->pressure(), tablet->pointingDevice(),
                                  tablet->button()};
        const bool passedOn = IsPassedOn(watched, sample);
        m_lastTablet = sample;
        m_lastTabletTaker = watched;
        if (passedOn)
            return false;
        NoticePen();
        return FromTabletEvent(event);
    }
    case QEvent::MouseButtonPress:
    case QEvent::MouseMove:
    case QEvent::MouseButtonRelease:
        return m_mousePen ? FromMouseEvent(watched, event) : false;
    default:
        return false;
    }
}
