#pragma once
// The real X desk of an end-to-end test (see run-in-xvfb): monitors added with xrandr, and the
// mouse moved, pressed and released by the X server itself through xdotool, so events take
// the road a user's do. Coordinates are X pixels (physical) of the root window.

#include <QCoreApplication>
#include <QGuiApplication>
#include <QPoint>
#include <QProcess>
#include <QRect>
#include <QScreen>
#include <QStringList>
#include <QTest>

#include <vector>

namespace X11Desk {

inline bool Available()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// Runs an X client to completion while the program goes on taking its events (a blocked
// program would find a queue of moves that Qt merges into one); false when it fails.
inline bool Run(const QString& program, const QStringList& arguments)
{
    QProcess process;
    process.start(program, arguments);
    if (!QTest::qWaitFor([&] { return process.state() == QProcess::NotRunning; }, 10000))
        return false;
    return process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
}

// Adds a monitor over part of the root window (a primary one moves the primary role to it)
// and waits until Qt has a screen for it. The monitor shows no output of the X server unless
// one is named: "screen", Xvfb's only output, which a monitor of its own ("Main") shows at
// first and the server's automatic one named "screen" once no monitor does.
inline bool AddMonitor(const QString& name, const QRect& geometry, bool primary = false,
                       const QString& output = QStringLiteral("none"))
{
    const QString monitor = QStringLiteral("%1/%2x%3/%4+%5+%6")
                             .arg(geometry.width()).arg(geometry.width() / 4)
                             .arg(geometry.height()).arg(geometry.height() / 4)
                             .arg(geometry.x()).arg(geometry.y());
    if (!Run(QStringLiteral("xrandr"), {QStringLiteral("--setmonitor"), (primary ? QStringLiteral("*") : QString()) + name,
                                        monitor, output}))
        return false;
    return QTest::qWaitFor([&] {
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen->name() == name)
                return !primary || QGuiApplication::primaryScreen() == screen;
        return false;
    }, 5000);
}

// Takes a monitor away and waits until Qt has no screen for it.
inline bool RemoveMonitor(const QString& name)
{
    if (!Run(QStringLiteral("xrandr"), {QStringLiteral("--delmonitor"), name}))
        return false;
    return QTest::qWaitFor([&] {
        for (const QScreen* screen : QGuiApplication::screens())
            if (screen->name() == name)
                return false;
        return true;
    }, 5000);
}

// Lets the program take what the X server has sent it.
inline void Settle(int ms = 100)
{
    QTest::qWait(ms);
}

inline bool MoveMouse(QPoint at)
{
    const bool moved = Run(QStringLiteral("xdotool"),
                           {QStringLiteral("mousemove"), QString::number(at.x()), QString::number(at.y())});
    Settle();
    return moved;
}

inline bool Click(QPoint at, int button = 1)
{
    const bool clicked = Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QString::number(at.x()),
                                                         QString::number(at.y()), QStringLiteral("click"),
                                                         QString::number(button)});
    Settle();
    return clicked;
}

// Presses the left button at the first point, moves through the others and lets go at the last.
inline bool Drag(const std::vector<QPoint>& path)
{
    if (path.empty())
        return false;
    QStringList arguments{QStringLiteral("mousemove"), QString::number(path.front().x()),
                          QString::number(path.front().y()), QStringLiteral("mousedown"), QStringLiteral("1")};
    for (size_t i = 1; i < path.size(); ++i)
        arguments << QStringLiteral("mousemove") << QString::number(path[i].x()) << QString::number(path[i].y())
                  << QStringLiteral("sleep") << QStringLiteral("0.01");
    arguments << QStringLiteral("mouseup") << QStringLiteral("1");
    const bool dragged = Run(QStringLiteral("xdotool"), arguments);
    Settle(200);
    return dragged;
}

// Points from a to b, n steps.
inline std::vector<QPoint> Line(QPoint a, QPoint b, int n = 12)
{
    std::vector<QPoint> points;
    for (int i = 0; i <= n; ++i)
        points.push_back(a + (b - a) * i / n);
    return points;
}

}  // namespace X11Desk
