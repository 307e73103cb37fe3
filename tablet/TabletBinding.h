#pragma once
// The tablet as the view uses it: one context at a time that delivers pen packets to a window,
// can be enabled, put on top and closed, and reports the pressure axis. Packets come from Qt's
// tablet events, seen application-wide, so the pen is followed over every window of the
// program; with the mouse-pen setting the mouse feeds the same queue at half pressure. Each
// tablet event is one packet, however far Qt passes it on among the widgets.
//
// A packet is {time in ms, button change, x and y in screen pixels, pressure in axis units}.
// The button change has the button number in its low word (the tip is 0, the barrel buttons
// 1 and 2) and 0 (none), 1 (released) or 2 (pressed) in its high word. Beside each packet the
// queue keeps which end of the pen it came from, as a tablet reports its cursor.

#include "ink/PressureAxis.h"
#include "platform/Rect.h"

#include <QEvent>
#include <QObject>
#include <QPointF>
#include <QPointer>

#include <deque>

class QPointingDevice;

struct PenPacket {
    DWORD time = 0;
    DWORD buttons = 0;
    LONG x = 0;
    LONG y = 0;
    DWORD pressure = 0;
};
static_assert(sizeof(PenPacket) == 20, "five 32-bit values, as device files replay them");

constexpr DWORD TBN_NONE = 0;
constexpr DWORD TBN_UP = 1;
constexpr DWORD TBN_DOWN = 2;
constexpr DWORD MakeButtons(WORD button, WORD change) { return DWORD(button) | (DWORD(change) << 16); }
constexpr WORD kTipButton = 0;

using HCTX = int;  // 0: no context

// The context description a view opens with.
struct LOGCONTEXT {
    char lcName[40] = "Penvia";
    UINT lcOptions = 0;
    DWORD lcPktData = 0;
    DWORD lcPktMode = 0;
    DWORD lcMoveMask = 0;
    DWORD lcBtnDnMask = 0xFFFFFFFF;
    DWORD lcBtnUpMask = 0xFFFFFFFF;
    LONG lcOutOrgX = 0;
    LONG lcOutOrgY = 0;
    LONG lcOutExtX = 0;
    LONG lcOutExtY = 0;
};
constexpr UINT CXO_SYSTEM = 0x0001;
constexpr UINT CXO_MESSAGES = 0x0004;
constexpr DWORD PK_TIME = 0x0004;
constexpr DWORD PK_BUTTONS = 0x0040;
constexpr DWORD PK_X = 0x0080;
constexpr DWORD PK_Y = 0x0100;
constexpr DWORD PK_NORMAL_PRESSURE = 0x0400;

// Tells the context's window of a packet queued (serial number, context): sent at once for the
// pen's own input, posted for packets queued by others.
class WtPacketEvent : public QEvent {
public:
    static QEvent::Type EventType();
    WtPacketEvent(DWORD serial, HCTX context) : QEvent(EventType()), m_serial(serial), m_context(context) {}
    DWORD Serial() const { return m_serial; }
    HCTX Context() const { return m_context; }

private:
    DWORD m_serial;
    HCTX m_context;
};

class TabletBinding : public QObject, public IPressureAxisSource {
    Q_OBJECT
public:
    static constexpr int kMaxPacketsPerFetch = 64;
    static constexpr LONG kDefaultAxisMaximum = 1023;

    static TabletBinding& Instance();

    // Binds when a tablet is attached, or when the mouse stands in for one. With resolve false
    // only tells whether one is there. With resolve true it watches pen (and mouse) events from
    // then on, tablet or not: a tablet plugged in later, or a pen that connects, binds at its
    // first event and is announced by tabletArrived.
    bool LoadTabletInterface(bool resolve);
    bool IsLoaded() const { return m_bTabletLoaded; }
    // Whether a pen device is attached (the mouse-pen setting aside).
    static bool HasTabletDevice();
    void SetMousePen(bool on) { m_mousePen = on; }
    bool MousePen() const { return m_mousePen; }
    // The axis maximum devices report; the default until one says otherwise.
    void SetAxisMaximum(LONG maximum) { m_axisMaximum = maximum; }
    LONG PressureAxisMaximum() const override { return m_axisMaximum; }

    // The default context description, and the operations on a context.
    LOGCONTEXT DefaultContext() const { return {}; }
    HCTX WTOpen(QObject* window, const LOGCONTEXT& context, bool enable);
    void WTClose(HCTX context);
    void WTEnable(HCTX context, bool enable);
    void WTOverlap(HCTX context, bool onTop);
    // Moves up to count queued packets of the context into packets; returns how many. When
    // erasers is given, erasers[i] tells whether packet i came from the eraser end of the pen.
    int WTPacketsGet(HCTX context, int count, PenPacket* packets, bool* erasers = nullptr);
    bool IsOpen(HCTX context) const { return context != 0 && context == m_context; }

    // Queues a packet for the open context and posts its window word of it; the window takes it
    // when the event loop comes to that. (Pen events and the mouse pen are taken at once.) The
    // pen drives the cursor position as well.
    void QueuePacket(const PenPacket& packet, bool eraser = false);
    // Where the pen (or mouse) was last, screen pixels.
    POINT CursorPos() const;
    // Packets waiting for the open context.
    int Pending() const { return int(m_queue.size()); }

signals:
    // The first pen seen after start-up: the binding is loaded now and contexts can be opened.
    void tabletArrived();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // What tells one tablet event from another; the copies Qt passes on to the parents of a
    // widget that ignored the event carry the same (but not its time stamp).
    struct TabletSample {
        QEvent::Type type = QEvent::None;
        QPointF global;
        qreal pressure = 0;
        const QPointingDevice* device = nullptr;
        Qt::MouseButton button = Qt::NoButton;
        bool operator==(const TabletSample&) const = default;
    };
    struct QueuedPacket {
        PenPacket packet;
        bool eraser = false;
    };

    TabletBinding() = default;
    void NoticePen();
    bool IsPassedOn(QObject* watched, const TabletSample& sample) const;
    bool FromTabletEvent(QEvent* event);
    bool FromMouseEvent(QObject* watched, QEvent* event);
    // Queues a packet; false when no context takes it.
    bool Enqueue(const PenPacket& packet, bool eraser);
    // A packet made from an input event: the window takes it at once when it can.
    void TakeInputPacket(const PenPacket& packet, bool eraser = false);

    bool m_bTabletLoaded = false;
    bool m_watching = false;
    bool m_mousePen = false;
    bool m_mouseDown = false;
    LONG m_axisMaximum = kDefaultAxisMaximum;
    HCTX m_context = 0;
    HCTX m_nextContext = 1;
    bool m_enabled = false;
    QPointer<QObject> m_window;
    std::deque<QueuedPacket> m_queue;
    DWORD m_serial = 0;
    TabletSample m_lastTablet;           // the last tablet event taken
    QPointer<QObject> m_lastTabletTaker; // the widget it was taken at, or a parent it went on to
    bool m_telling = false;  // the window is taking packets now
    bool m_haveCursor = false;
    POINT m_cursor;
};
