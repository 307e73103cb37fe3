// Device files replayed on the real view, on a fixed 1024 × 768 screen: recordings cut off
// with the pen down, the pressure range of a file whatever tablet is bound, and what else may
// happen while an import runs.

#include "DeviceFileBytes.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "canvas/HeadlessView.h"
#include "document/DeviceFile.h"
#include "ink/PressureAxis.h"
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

    void LivePacket(LONG x, LONG y, DWORD pressure, DWORD buttons = 0)
    {
        TabletBinding::Instance().QueuePacket({m_time += 5, buttons, x, y, pressure});
    }
    // A pen stroke of n + 1 points across the page, queued for the view.
    void QueuePenStroke(POINT a, POINT b, DWORD pressure, int n = 10)
    {
        for (int i = 0; i <= n; ++i)
            LivePacket(a.x + (b.x - a.x) * i / n, a.y + (b.y - a.y) * i / n, pressure,
                       i == 0 ? MakeButtons(0, TBN_DOWN) : 0);
        LivePacket(b.x, b.y, 0, MakeButtons(0, TBN_UP));
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

TEST_F(DeviceReplayTest, a_device_file_gives_the_same_widths_whatever_tablet_is_bound)
{
    // Brush at width step 2: a recorded pressure of 300 (of 511) is width 2 × 300 / 5.
    const QString file = WriteFile("same.QVN", Header() + Stroke(3600, 400, 5, 300));
    const std::vector<int> expected(5, 120);
    for (const LONG axis : {1023L, 511L, 2047L}) {
        TabletBinding::Instance().SetAxisMaximum(axis);
        m_view->ReadPressureAxis();
        m_doc.OnNewDocument();
        ASSERT_TRUE(m_view->ImportDeviceFile(file));
        ASSERT_EQ(m_doc.m_lines.GetCount(), 1) << axis;
        EXPECT_EQ(Widths(0), expected) << "axis maximum " << axis;
        for (const StrokePoint& p : m_doc.m_lines.GetAt(0)->Points())
            EXPECT_EQ(p.pressure, 300u) << "axis maximum " << axis;
    }
    // No tablet at all.
    TabletBinding::Instance().SetMousePen(false);
    ASSERT_FALSE(TabletBinding::Instance().LoadTabletInterface(true));
    m_doc.OnNewDocument();
    ASSERT_TRUE(m_view->ImportDeviceFile(file));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_EQ(Widths(0), expected) << "no tablet";
}

TEST_F(DeviceReplayTest, live_pressure_is_written_in_the_file_range_and_comes_back_at_the_same_widths)
{
    // A 1024-level tablet: a full press is 1023, a firm one 700.
    m_view->OnCommand(IDC_BRUSH);
    PenStroke({300, 200}, {500, 220}, 1023);
    PenStroke({300, 400}, {500, 420}, 700);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    const std::vector<int> full = Widths(0), firm = Widths(1);
    EXPECT_EQ(full.front(), 204);
    EXPECT_EQ(firm.front(), 140);

    const QString path = Path("live.QVN");
    ASSERT_TRUE(m_view->WriteDeviceFile(path));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    ASSERT_EQ(bytes.size(), 32 + 6 * (11 + 1 + 11 + 1));
    const DevicePacket first = DecodePacket(bytes.constData() + 32);
    const DevicePacket second = DecodePacket(bytes.constData() + 32 + 6 * 12);
    EXPECT_EQ(first.pressure, 511) << "a full press stays full";
    EXPECT_EQ(second.pressure, 350);

    m_doc.OnNewDocument();
    ASSERT_TRUE(m_view->ImportDeviceFile(path));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    EXPECT_EQ(Widths(0), full);
    EXPECT_EQ(Widths(1), firm);
}

TEST_F(DeviceReplayTest, a_note_or_page_opened_before_the_import_starts_drops_it)
{
    WriteFile("b.QVN", ThreeStrokes());
    PenStroke({600, 600}, {700, 650}, 600);
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("c.Ilf")));

    // Another note opened within the quarter second: the device file stays off it.
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("b.QVN")));
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("c.Ilf")));
    QTest::qWait(2 * CScrivaView::kImportDelayMs);
    EXPECT_EQ(PointCounts(), (std::vector<int>{11}));
    EXPECT_EQ(m_doc.GetTitle(), "c.Ilf");

    // The next page, from the device file to the note.
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("b.QVN")));
    m_doc.OnNextPage();
    ASSERT_EQ(m_doc.OpenedPath(), Path("c.Ilf"));
    QTest::qWait(2 * CScrivaView::kImportDelayMs);
    EXPECT_EQ(PointCounts(), (std::vector<int>{11}));
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_prompts.Messages().empty());

    // Left alone, the device file is imported.
    ASSERT_TRUE(m_doc.OpenDocumentFile(Path("b.QVN")));
    EXPECT_TRUE(QTest::qWaitFor([this] { return m_doc.m_lines.GetCount() == 3; }, 2000));
}

TEST_F(DeviceReplayTest, pen_packets_that_come_during_a_replay_wait_for_its_end)
{
    // One stroke long enough for the import to show its progress, which lets events through.
    QByteArray bytes = Header();
    for (int i = 0; i < 6000; ++i) {
        const int step = i % 70;
        bytes += Packet(WORD(3600 - i / 10), WORD(400 + 100 * (step < 35 ? step : 70 - step)), 300, true);
    }
    bytes += Packet(3000, 400, 0, false);
    const QString file = WriteFile("long.QVN", bytes);

    // The pen writes while the file is being merged.
    QueuePenStroke({600, 600}, {700, 650}, 600);
    m_prompts.QueueFileName(file);
    m_doc.OnMerge();
    EXPECT_EQ(PointCounts(), (std::vector<int>{6000}));
    QCoreApplication::processEvents();
    EXPECT_EQ(PointCounts(), (std::vector<int>{6000, 11}));
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(DeviceReplayTest, without_a_tablet_imported_ink_is_as_wide_as_every_later_redraw_of_it)
{
    // A program that started without a tablet: no pressure axis has ever been bound.
    TabletBinding::Instance().SetMousePen(false);
    ASSERT_FALSE(TabletBinding::Instance().LoadTabletInterface(true));
    struct NoAxis {
        NoAxis() { SetPressureAxisSource(nullptr); }
        ~NoAxis() { SetPressureAxisSource(&TabletBinding::Instance()); }
    } noAxis;
    const QString file = WriteFile("wide.QVN", Header() + Stroke(3600, 400, 9, 450) + Stroke(3000, 400, 9, 450));
    ASSERT_TRUE(m_view->ImportDeviceFile(file));
    ASSERT_EQ(PointCounts(), (std::vector<int>{9, 9}));
    const QImage imported = m_view->Page().Surface().Bitmap().copy();
    m_view->DrawRuledLines(true);  // as undo, erasing or opening the note again draws it
    const QImage redrawn = m_view->Page().Surface().Bitmap();

    // Across the middle of each stroke, clear of its end, the two are the same pixels.
    for (int s = 0; s < 2; ++s) {
        const StrokePoint& middle = m_doc.m_lines.GetAt(s)->GetPoint(3);
        EXPECT_NE(QRgbToColorRef(imported.pixel(middle.x, middle.y)), 0xCCE2E5u) << s;
        int differing = 0;
        for (int y = middle.y - 8; y <= middle.y + 8; ++y)
            for (int x = middle.x - 8; x <= middle.x + 8; ++x)
                differing += imported.pixel(x, y) != redrawn.pixel(x, y);
        EXPECT_EQ(differing, 0) << "stroke " << s;
    }
}
