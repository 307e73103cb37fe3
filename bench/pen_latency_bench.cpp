// How long the ink takes to reach the pen on the screen, end to end: the program with the mouse
// as the pen on an X server, the X server's pointer moved through XTest at 125 Hz along
// strokes, and the screen read back around each new point until the ink shows there. Reports
// the median and the 95th percentile of move-to-ink times. Needs an X server:
//
//   tests/x11/run-in-xvfb build/bench/pen_latency_bench [--mode letter|desktop|inking]
//                                                        [--tail 0|1] [--strokes N]
//
// --mode writes on the page (letter, the default), on the frozen screen of desktop mode, or
// over the screen in inking mode after Start to write. --tail 0 turns the ink drawn ahead to
// the newest point off ([TABLET] TAIL=0). A point whose ink has not shown after kGiveUpMs
// counts as missed.

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/ProfileFile.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "tablet/TabletBinding.h"

#include <QApplication>
#include <QScreen>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <thread>
#include <vector>

// X11 headers after Qt's.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>

namespace {

using Clock = std::chrono::steady_clock;

constexpr auto kPacketInterval = std::chrono::microseconds(8000);  // 125 Hz
constexpr int kStep = 7;             // pixels between two moves
constexpr int kMovesPerStroke = 120;
constexpr int kBox = 2;              // the ink is looked for this far around the point
constexpr double kGiveUpMs = 100;

double Ms(Clock::duration d)
{
    return std::chrono::duration<double, std::milli>(d).count();
}

// One point on its way to the screen: where, what the screen showed there before, and when.
struct Pending {
    int x = 0;
    int y = 0;
    std::vector<unsigned long> before;
    Clock::time_point sent;
};

// The pixels of the box around (x, y) on the root window.
std::vector<unsigned long> BoxAt(Display* display, int x, int y)
{
    std::vector<unsigned long> pixels;
    XImage* image = XGetImage(display, DefaultRootWindow(display), x - kBox, y - kBox, 2 * kBox + 1, 2 * kBox + 1,
                              AllPlanes, ZPixmap);
    if (!image)
        return pixels;
    for (int j = 0; j <= 2 * kBox; ++j)
        for (int i = 0; i <= 2 * kBox; ++i)
            pixels.push_back(XGetPixel(image, i, j));
    XDestroyImage(image);
    return pixels;
}

// Drives the pointer from a thread of its own while the program's thread takes the events.
class Driver {
public:
    Driver(QRect area, int strokes) : m_area(area), m_strokes(strokes) {}
    void Run()
    {
        Display* display = XOpenDisplay(nullptr);
        if (!display) {
            m_failed = true;
            m_done = true;
            return;
        }
        for (int s = 0; s < m_strokes; ++s)
            Stroke(display, m_area.left() + 20, m_area.top() + 40 + 30 * s);
        XCloseDisplay(display);
        m_done = true;
    }
    bool Done() const { return m_done; }
    bool Failed() const { return m_failed; }
    const std::vector<double>& Latencies() const { return m_latencies; }
    int Missed() const { return m_missed; }

private:
    void Move(Display* display, int x, int y)
    {
        XTestFakeMotionEvent(display, -1, x, y, CurrentTime);
        XFlush(display);
    }
    void Stroke(Display* display, int x, int y)
    {
        Move(display, x, y);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        XTestFakeButtonEvent(display, 1, True, CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        std::vector<Pending> pending;
        Clock::time_point next = Clock::now();
        for (int i = 1; i <= kMovesPerStroke; ++i) {
            next += kPacketInterval;
            // A gentle wave, so the curves bend as handwriting's do.
            const int px = x + kStep * i;
            const int py = y + ((i / 6) % 2 == 0 ? (i % 6) : 6 - (i % 6));
            while (Clock::now() < next)
                Poll(display, pending);
            Pending point{px, py, BoxAt(display, px, py), {}};
            point.sent = Clock::now();
            Move(display, px, py);
            pending.push_back(std::move(point));
        }
        const Clock::time_point last = Clock::now();
        while (!pending.empty() && Ms(Clock::now() - last) < kGiveUpMs * 2)
            Poll(display, pending);
        m_missed += int(pending.size());
        XTestFakeButtonEvent(display, 1, False, CurrentTime);
        XFlush(display);
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
    }
    // Looks once at each point still waiting for its ink.
    void Poll(Display* display, std::vector<Pending>& pending)
    {
        for (auto it = pending.begin(); it != pending.end();) {
            const Clock::time_point now = Clock::now();
            if (BoxAt(display, it->x, it->y) != it->before) {
                m_latencies.push_back(Ms(Clock::now() - it->sent));
                it = pending.erase(it);
            } else if (Ms(now - it->sent) > kGiveUpMs) {
                ++m_missed;
                it = pending.erase(it);
            } else {
                ++it;
            }
        }
    }

    QRect m_area;
    int m_strokes;
    std::atomic<bool> m_done{false};
    bool m_failed = false;
    std::vector<double> m_latencies;
    int m_missed = 0;
};

double Percentile(std::vector<double> values, double p)
{
    if (values.empty())
        return 0;
    std::sort(values.begin(), values.end());
    const size_t index = std::min(values.size() - 1, size_t(p * double(values.size() - 1) + 0.5));
    return values[index];
}

QString ArgumentAfter(const QStringList& arguments, const QString& name, const QString& fallback)
{
    const qsizetype at = arguments.indexOf(name);
    return at >= 0 && at + 1 < arguments.size() ? arguments[at + 1] : fallback;
}

int ArgumentAfter(const QStringList& arguments, const QString& name, int fallback)
{
    return ArgumentAfter(arguments, name, QString::number(fallback)).toInt();
}

// Puts the frame into the mode asked for; returns where the pen writes (logical screen
// pixels), or an empty rectangle when the mode could not be entered.
QRect EnterMode(CMainFrame& frame, CScrivaDoc& document, const QString& mode)
{
    CScrivaView& view = *frame.View();
    if (mode == QLatin1String("letter")) {
        frame.ShowMaximized();
        if (!QTest::qWaitForWindowExposed(&frame))
            return {};
        QTest::qWait(500);
        const QRect area(view.viewport()->mapToGlobal(QPoint(0, 0)), view.viewport()->size());
        return area.adjusted(area.width() / 4, 0, 0, 0);
    }
    frame.UseViewOverlay();
    document.OnNewDocument();
    if (mode == QLatin1String("desktop")) {
        frame.ShowMaximized();
        if (!QTest::qWaitForWindowExposed(&frame))
            return {};
        QTest::qWait(300);
        frame.OnCommand(ID_DESKTOP_MODE);
    } else if (mode == QLatin1String("inking")) {
        frame.MakeInkingFrame();
        if (!QTest::qWaitForWindowExposed(&frame))
            return {};
        QTest::qWait(300);
        view.OnStartToWrite();
    } else {
        return {};
    }
    if (!view.IsOverlayShown())
        return {};
    QTest::qWait(500);
    // Clear of the small frame in the bottom-right corner.
    const QRect screen = QGuiApplication::primaryScreen()->geometry();
    return QRect(screen.left() + 100, screen.top() + 60, screen.width() / 2, screen.height() / 2);
}

}  // namespace

int main(int argc, char** argv)
{
    QApplication application(argc, argv);
    if (QGuiApplication::platformName() != QLatin1String("xcb")) {
        std::fprintf(stderr, "pen_latency_bench needs an X server (tests/x11/run-in-xvfb)\n");
        return 1;
    }
    const QStringList arguments = QCoreApplication::arguments();
    const QString mode = ArgumentAfter(arguments, QStringLiteral("--mode"), QStringLiteral("letter"));
    const int tail = ArgumentAfter(arguments, QStringLiteral("--tail"), 1);
    const int strokes = ArgumentAfter(arguments, QStringLiteral("--strokes"), 5);
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    WriteSetting(Settings::MousePen, 1);
    WriteSetting(Settings::InkTail, tail);
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);

    CScrivaDoc document;
    const QString frameClass = mode == QLatin1String("inking") ? QStringLiteral("INKING") : QStringLiteral("LETTER");
    CMainFrame frame(document, frameClass, [](UINT) { return false; });
    document.OnNewDocument();
    const QRect area = EnterMode(frame, document, mode);
    if (area.isEmpty()) {
        std::fprintf(stderr, "could not write in %s mode\n", qPrintable(mode));
        return 1;
    }

    Driver driver(area, strokes);
    std::thread thread([&driver] { driver.Run(); });
    QEventLoop running;
    QTimer check;
    QObject::connect(&check, &QTimer::timeout, &running, [&] {
        if (driver.Done())
            running.quit();
    });
    check.start(50);
    running.exec();
    thread.join();
    if (driver.Failed()) {
        std::fprintf(stderr, "no X display\n");
        return 1;
    }
    const std::vector<double>& latencies = driver.Latencies();
    std::printf("%s mode, tail %d: %zu points, %d missed, strokes written %d\n", qPrintable(mode), tail, latencies.size(), driver.Missed(),
                document.m_lines.GetCount());
    std::printf("move to ink on screen: median %.2f ms, p95 %.2f ms, max %.2f ms\n", Percentile(latencies, 0.5),
                Percentile(latencies, 0.95), Percentile(latencies, 1.0));
    return 0;
}
