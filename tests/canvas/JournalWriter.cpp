// A writing session on the real view, offscreen, with the program's recovery journal in
// $XDG_STATE_HOME: strokes, an erase, undo and redo go through the pen capture as pen packets.
//
//   journal_writer kill         the session, then a stroke left unfinished; prints "writing"
//                               and waits to be killed
//   journal_writer save PATH    the same session, then saves the note at PATH and ends
//
// Both sessions write the same finished strokes, so the note a killed session leaves in its
// journal must be the one the saving session writes.

#include "canvas/CScrivaView.h"
#include "document/RecoveryJournal.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QApplication>
#include <QTemporaryDir>

#include <cstdio>
#include <vector>

#include <unistd.h>

namespace {

class Session {
public:
    explicit Session(CScrivaView& view) : m_view(view) {}

    void Packet(LONG x, LONG y, DWORD pressure, DWORD buttons = 0)
    {
        TabletBinding::Instance().QueuePacket({m_time += 5, buttons, x, y, pressure});
        QCoreApplication::sendPostedEvents(&m_view);
    }
    void PenDown(const std::vector<POINT>& points)
    {
        for (size_t i = 0; i < points.size(); ++i)
            Packet(points[i].x, points[i].y, 400 + DWORD(i * 37 % 500), i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
    }
    void Stroke(const std::vector<POINT>& points)
    {
        PenDown(points);
        Packet(points.back().x, points.back().y, 0, MakeButtons(0, TBN_UP));
    }
    // A wavy stroke from (x, y), n points.
    static std::vector<POINT> Wave(LONG x, LONG y, int n)
    {
        std::vector<POINT> points;
        for (int i = 0; i < n; ++i)
            points.push_back({x + 4 * i, y + (i % 5) * 3 - (i % 3) * 2});
        return points;
    }
    static std::vector<POINT> Loop(LONG left, LONG top, LONG right, LONG bottom)
    {
        std::vector<POINT> points;
        for (LONG x = left; x < right; x += 6) points.push_back({x, top});
        for (LONG y = top; y < bottom; y += 6) points.push_back({right, y});
        for (LONG x = right; x > left; x -= 6) points.push_back({x, bottom});
        for (LONG y = bottom; y > top; y -= 6) points.push_back({left, y});
        points.push_back({left, top});
        return points;
    }

    void Run()
    {
        for (int i = 0; i < 8; ++i)
            Stroke(Wave(320 + (i % 2) * 120, 120 + i * 40, 20 + i * 3));
        m_view.OnEraser();
        Stroke(Loop(300, 150, 520, 175));  // takes the second stroke
        m_view.OnPencil();
        m_view.OnUndo();                   // the erase comes back
        m_view.OnRedo();                   // and goes again
        m_view.OnBrush();
        Stroke(Wave(350, 500, 60));
        Stroke(Wave(360, 540, 5));
        m_view.OnUndo();                   // the last stroke
        m_view.OnMarker();
        Stroke(Wave(380, 580, 40));
    }

    void StartUnfinishedStroke() { PenDown(Wave(400, 620, 25)); }

private:
    CScrivaView& m_view;
    DWORD m_time = 1000;
};

}  // namespace

int main(int argc, char* argv[])
{
    QApplication application(argc, argv);
    const QStringList arguments = QApplication::arguments();
    const bool save = arguments.size() == 3 && arguments[1] == "save";
    if (!save && !(arguments.size() == 2 && arguments[1] == "kill")) {
        std::fprintf(stderr, "usage: journal_writer kill | save PATH\n");
        return 2;
    }
    QTemporaryDir settings;
    OverrideSettingsFolder(settings.path());
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);

    RecoveryJournal journal(RecoveryJournal::DefaultFolder(), QStringLiteral("letter"));
    CScrivaDoc doc;
    doc.SetJournal(&journal);
    CScrivaView view(doc);
    view.setGeometry(0, 0, 1024, 768);
    view.show();
    QCoreApplication::processEvents();
    doc.OnNewDocument();

    Session session(view);
    session.Run();
    if (save)
        return doc.OnSaveDocument(arguments[2]) ? 0 : 1;
    session.StartUnfinishedStroke();
    std::printf("writing\n");
    std::fflush(stdout);
    for (;;)
        ::pause();
}
