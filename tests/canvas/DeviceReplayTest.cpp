// Device files replayed on the real view, on a fixed 1024 × 768 screen: recordings cut off
// with the pen down, the pressure range of a file whatever tablet is bound, and what else may
// happen while an import runs.

#include "DeviceFileBytes.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "canvas/HeadlessView.h"
#include "document/DeviceFile.h"
#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace DeviceFileBytes;

namespace {

class DeviceReplayTest : public ::testing::Test {
protected:
    DeviceReplayTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);  // binds a 1024-level axis without a device
        TabletBinding::Instance().LoadTabletInterface(true);
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->setGeometry(0, 0, 1024, 768);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
    }
    ~DeviceReplayTest() override
    {
        m_view.reset();
        TabletBinding::Instance().SetMousePen(false);
        TabletBinding::Instance().SetAxisMaximum(TabletBinding::kDefaultAxisMaximum);
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    QString WriteFile(const QString& name, const QByteArray& bytes) const
    {
        EXPECT_TRUE(Write(Path(name), bytes));
        return Path(name);
    }

    void Packet(LONG x, LONG y, DWORD pressure, DWORD buttons = 0)
    {
        TabletBinding::Instance().QueuePacket({m_time += 5, buttons, x, y, pressure});
    }
    // A pen stroke of n + 1 points across the page, queued for the view.
    void QueuePenStroke(POINT a, POINT b, DWORD pressure, int n = 10)
    {
        for (int i = 0; i <= n; ++i)
            Packet(a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n, pressure, i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
        Packet(b.x, b.y, 0, MakeButtons(0, TBN_UP));
    }
    void PenStroke(POINT a, POINT b, DWORD pressure, int n = 10)
    {
        QueuePenStroke(a, b, pressure, n);
        QCoreApplication::sendPostedEvents(m_view.get());
    }

    std::vector<int> PointCounts() const
    {
        std::vector<int> counts;
        for (int s = 0; s < m_doc.m_lines.GetCount(); ++s)
            counts.push_back(m_doc.m_lines.GetAt(s)->GetPointCount());
        return counts;
    }
    std::vector<int> Widths(int stroke) const
    {
        std::vector<int> widths;
        for (const StrokePoint& p : m_doc.m_lines.GetAt(stroke)->Points())
            widths.push_back(p.width);
        return widths;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
    DWORD m_time = 1000;
};

}  // namespace

TEST_F(DeviceReplayTest, a_recording_cut_off_with_the_pen_down_keeps_its_last_stroke)
{
    // The notepad went off in the middle of the second stroke.
    const QString cut = WriteFile("cut.QVN", Header() + Stroke(3600, 400, 5) + Stroke(3000, 400, 4, 300, false));
    ASSERT_TRUE(m_view->ImportDeviceFile(cut));
    EXPECT_EQ(PointCounts(), (std::vector<int>{5, 4}));
    EXPECT_FALSE(m_view->IsStroking());
    EXPECT_FALSE(m_doc.IsModified());

    // Merged once more, the file's first stroke does not join the last one.
    m_prompts.QueueFileName(cut);
    m_doc.OnMerge();
    EXPECT_EQ(PointCounts(), (std::vector<int>{5, 4, 5, 4}));
    // New writing is a stroke of its own.
    PenStroke({600, 600}, {700, 650}, 600);
    EXPECT_EQ(PointCounts(), (std::vector<int>{5, 4, 5, 4, 11}));

    // The cut-off strokes are undone and saved like the others.
    m_view->OnCommand(IDC_UNDO);
    m_view->OnCommand(IDC_UNDO);
    EXPECT_EQ(PointCounts(), (std::vector<int>{5, 4, 5}));
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("kept.Ilf")));
    CScrivaDoc saved;
    HeadlessView view(saved, CRect(0, 0, 1024, 768), Path("KSTPVX.ini"));
    ASSERT_TRUE(saved.OnOpenDocument(Path("kept.Ilf")));
    EXPECT_EQ(saved.m_lines.GetCount(), 3);
    EXPECT_TRUE(m_prompts.Messages().empty());
}
