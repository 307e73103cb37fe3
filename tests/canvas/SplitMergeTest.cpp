// Split and merge of device files on the real view (the merge replays packets through the pen
// capture, which needs a window), with the split dialog scripted.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "canvas/HeadlessView.h"
#include "document/DeviceFile.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <optional>

namespace {

// Answers the split with a fixed cut, and keeps what it was shown.
class ScriptedSplitDialog : public ISplitDialog {
public:
    struct Point {
        LONG x, y;
        int stroke;
    };
    void PrepareSplit(int totalPoints, int strokeCount) override
    {
        points.assign(size_t(totalPoints), Point{-1, -1, -1});
        strokes = strokeCount;
        cut = strokeCount;
    }
    void SetSplitPoint(int index, LONG x, LONG y, int stroke) override { points.at(size_t(index)) = {x, y, stroke}; }
    int DoModal() override
    {
        ++shown;
        if (!answerCut)
            return IDCANCEL;
        cut = *answerCut;
        return IDOK;
    }
    int CutPoint() const override { return cut; }
    int StrokeCount() const override { return strokes; }

    std::optional<int> answerCut;  // nothing: the user cancels
    std::vector<Point> points;
    int strokes = -1;
    int cut = -1;
    int shown = 0;
};

// What a device file holds: its packets, and how many of them lift the pen.
struct DeviceContents {
    bool wellFormed = false;
    int packets = 0;
    int penUps = 0;
};

DeviceContents ReadDeviceFile(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    const QByteArray bytes = file.readAll();
    DeviceContents contents;
    contents.wellFormed = bytes.size() >= kDeviceHeaderBytes && bytes.startsWith("QORVEN")
                          && (bytes.size() - kDeviceHeaderBytes) % kDevicePacketBytes == 0;
    for (qsizetype at = kDeviceHeaderBytes; at + kDevicePacketBytes <= bytes.size(); at += kDevicePacketBytes) {
        ++contents.packets;
        contents.penUps += DecodePacket(bytes.constData() + at).buttons == 0;
    }
    return contents;
}

class SplitMergeTest : public ::testing::Test {
protected:
    SplitMergeTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        m_view = std::make_unique<CScrivaView>(m_doc);
        m_view->setGeometry(0, 0, 1024, 768);
        m_view->show();
        QCoreApplication::processEvents();
        m_doc.OnNewDocument();
        m_doc.SetSplitDialog(&m_dialog);
    }
    ~SplitMergeTest() override
    {
        m_view.reset();
        TabletBinding::Instance().SetMousePen(false);
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A stroke written with the pen across the page, at half zoom.
    void Stroke(POINT a, POINT b, int steps = 20)
    {
        auto& tablet = TabletBinding::Instance();
        for (int i = 0; i <= steps; ++i) {
            const LONG x = a.x + (b.x - a.x) * i / steps, y = a.y + (b.y - a.y) * i / steps;
            tablet.QueuePacket({m_time += 5, i == 0 ? MakeButtons(0, TBN_DOWN) : 0, x, y, 600});
            QCoreApplication::sendPostedEvents(m_view.get());
        }
        tablet.QueuePacket({m_time += 5, MakeButtons(0, TBN_UP), b.x, b.y, 0});
        QCoreApplication::sendPostedEvents(m_view.get());
    }
    // Three strokes, saved as a note so the page has a file behind it.
    void WriteThreeStrokesAndSave()
    {
        Stroke({300, 100}, {500, 120});
        Stroke({320, 250}, {480, 300}, 10);
        Stroke({350, 400}, {600, 380}, 30);
        ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
        ASSERT_TRUE(m_doc.OnSaveDocument(Path("note.Ilf")));
    }
    // The packets strokes first..end-1 make in a device file: one per point, one to lift.
    int PacketsOf(int first, int end) const
    {
        int packets = 0;
        for (int s = first; s < end; ++s)
            packets += m_doc.m_lines.GetAt(s)->GetPointCount() + 1;
        return packets;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    ScriptedSplitDialog m_dialog;
    CScrivaDoc m_doc;
    std::unique_ptr<CScrivaView> m_view;
    DWORD m_time = 1000;
};

}  // namespace

TEST_F(SplitMergeTest, split_writes_the_strokes_before_the_cut_and_from_the_cut_as_two_files)
{
    WriteThreeStrokesAndSave();
    const int total = PacketsOf(0, 3);
    for (const int cut : {1, 2}) {
        const QString page1 = Path(QStringLiteral("first%1.QVN").arg(cut));
        const QString page2 = Path(QStringLiteral("second%1.qvn").arg(cut));  // any case
        m_dialog.answerCut = cut;
        m_prompts.QueueFileName(page1);
        m_prompts.QueueFileName(page2);
        m_doc.OnSplit();

        const DeviceContents one = ReadDeviceFile(page1);
        const DeviceContents two = ReadDeviceFile(page2);
        ASSERT_TRUE(one.wellFormed && two.wellFormed) << "cut " << cut;
        EXPECT_EQ(one.penUps, cut);
        EXPECT_EQ(two.penUps, 3 - cut);
        EXPECT_EQ(one.packets, PacketsOf(0, cut));
        EXPECT_EQ(two.packets, PacketsOf(cut, 3));
        EXPECT_EQ(one.packets + two.packets, total);
    }
    // Both file dialogs offer device files under their page names.
    ASSERT_EQ(m_prompts.FileDialogs().size(), 4u);
    for (size_t i = 0; i < 4; ++i) {
        const FileDialogRequest& request = m_prompts.FileDialogs()[i];
        EXPECT_TRUE(request.save);
        EXPECT_TRUE(request.overwritePrompt);
        EXPECT_EQ(request.filter, "Tavlos(*.QVN)|*.QVN||");
        EXPECT_EQ(request.defaultExtension, "QVN");
        EXPECT_EQ(request.initialName, i % 2 == 0 ? "Page1.QVN" : "Page2.QVN");
    }
    // The dialog was shown every point in drawing order, and the page is left as it was.
    ASSERT_EQ(m_dialog.points.size(), size_t(total - 3));
    EXPECT_EQ(m_dialog.strokes, 3);
    size_t at = 0;
    for (int s = 0; s < 3; ++s) {
        for (const StrokePoint& p : m_doc.m_lines.GetAt(s)->Points()) {
            EXPECT_EQ(m_dialog.points[at].x, p.x);
            EXPECT_EQ(m_dialog.points[at].y, p.y);
            EXPECT_EQ(m_dialog.points[at].stroke, s);
            ++at;
        }
    }
    EXPECT_EQ(m_doc.m_lines.GetCount(), 3);
    EXPECT_FALSE(m_doc.IsModified());
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(SplitMergeTest, split_needs_a_file_behind_the_page_and_a_confirmed_cut)
{
    Stroke({300, 100}, {500, 120});
    Stroke({300, 200}, {500, 220});
    m_dialog.answerCut = 1;
    m_doc.OnSplit();  // never opened or saved
    EXPECT_EQ(m_dialog.shown, 0);
    EXPECT_TRUE(m_prompts.FileDialogs().empty());

    ASSERT_TRUE(m_doc.OnSaveDocument(Path("note.Ilf")));
    m_dialog.answerCut.reset();  // cancelled
    m_doc.OnSplit();
    EXPECT_EQ(m_dialog.shown, 1);
    EXPECT_TRUE(m_prompts.FileDialogs().empty());
}

TEST_F(SplitMergeTest, split_writes_only_names_ending_in_the_device_extension_and_always_asks_twice)
{
    WriteThreeStrokesAndSave();
    m_dialog.answerCut = 1;
    m_prompts.QueueFileName(QString());  // the first dialog is cancelled: the second still comes
    m_prompts.QueueFileName(Path("second.QVN"));
    m_doc.OnSplit();
    EXPECT_EQ(m_prompts.FileDialogs().size(), 2u);
    EXPECT_EQ(ReadDeviceFile(Path("second.QVN")).penUps, 2);

    for (const char* name : {"page.QVN.txt", "page.txt", "a.QVN.b.QVN"}) {
        m_prompts.QueueFileName(Path(QString::fromLatin1(name)));
        m_prompts.QueueFileName(QString());
        m_doc.OnSplit();
        EXPECT_FALSE(QFile::exists(Path(QString::fromLatin1(name)))) << name;
    }
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(SplitMergeTest, a_half_that_cannot_be_written_says_so_and_the_other_is_still_offered)
{
    WriteThreeStrokesAndSave();
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("taken.QVN"));
    m_dialog.answerCut = 1;
    m_prompts.QueueFileName(Path("taken.QVN"));
    m_prompts.QueueFileName(Path("second.QVN"));
    m_doc.OnSplit();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Failed to save document.");
    EXPECT_EQ(ReadDeviceFile(Path("second.QVN")).penUps, 2);

    m_prompts.QueueFileName(Path("first.QVN"));
    m_prompts.QueueFileName(Path("no-such-folder/second.QVN"));
    m_doc.OnSplit();
    ASSERT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_EQ(m_prompts.Messages()[1].text, "Failed to save document.");
    EXPECT_EQ(ReadDeviceFile(Path("first.QVN")).penUps, 1);
}

TEST_F(SplitMergeTest, merge_replays_a_device_file_on_top_of_the_page)
{
    WriteThreeStrokesAndSave();
    m_dialog.answerCut = 1;
    m_prompts.QueueFileName(Path("top.QVN"));
    m_prompts.QueueFileName(Path("rest.QVN"));
    m_doc.OnSplit();
    std::vector<std::vector<StrokePoint>> written;
    for (int s = 1; s < 3; ++s)
        written.push_back(m_doc.m_lines.GetAt(s)->Points());

    // A page with one stroke of its own gets the two strokes of the file added.
    m_doc.OnNewDocument();
    Stroke({400, 600}, {600, 650});
    m_doc.OnSaveDocument(Path("other.Ilf"));
    const QString title = m_doc.GetTitle();
    m_prompts.QueueFileName(Path("rest.QVN"));
    m_doc.OnMerge();
    ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
    EXPECT_EQ(m_doc.m_lines.GetAt(0)->GetPoint(0).y, m_view->ScreenToPage(400, 600).y);
    for (int s = 0; s < 2; ++s) {
        const CLine& merged = *m_doc.m_lines.GetAt(s + 1);
        const std::vector<StrokePoint>& original = written[size_t(s)];
        // Device units are coarser than page pixels: the ends come back within a pixel or two.
        for (const auto& [a, b] : {std::pair{merged.Points().front(), original.front()},
                                   std::pair{merged.Points().back(), original.back()}}) {
            EXPECT_NEAR(a.x, b.x, 2) << "stroke " << s;
            EXPECT_NEAR(a.y, b.y, 2) << "stroke " << s;
        }
    }
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), title);
    EXPECT_EQ(m_doc.GetPathName(), Path("other.Ilf"));
    const FileDialogRequest& request = m_prompts.FileDialogs().back();
    EXPECT_FALSE(request.save);
    EXPECT_EQ(request.filter, "Tavlos(*.QVN)|*.QVN||");
    EXPECT_EQ(request.defaultExtension, "QVN");
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(SplitMergeTest, merge_scrolls_to_the_top_and_refuses_other_files)
{
    WriteThreeStrokesAndSave();
    m_dialog.answerCut = 1;
    m_prompts.QueueFileName(Path("top.QVN"));
    m_prompts.QueueFileName(QString());
    m_doc.OnSplit();
    m_doc.SetModifiedFlag(false);

    m_doc.OnMerge();  // cancelled
    m_prompts.QueueFileName(Path("note.Ilf"));
    m_doc.OnMerge();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Not QVN File");
    EXPECT_EQ(m_prompts.Messages()[0].caption, "Error");
    EXPECT_EQ(m_doc.m_lines.GetCount(), 3);
    EXPECT_FALSE(m_doc.IsModified());

    m_view->OnZoomIn();
    m_view->ScrollTo(300, 400);
    ASSERT_NE(m_view->ScrollPosition(), QPoint(0, 0));
    m_prompts.QueueFileName(Path("top.QVN"));
    m_doc.OnMerge();
    EXPECT_EQ(m_view->ScrollPosition(), QPoint(0, 0));
    EXPECT_EQ(m_doc.m_lines.GetCount(), 4);
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(SplitMergeTest, a_window_less_view_splits_single_point_strokes_but_merges_nothing)
{
    CScrivaDoc doc;
    HeadlessView view(doc, CRect(0, 0, 1024, 768), Path("headless.ini"));
    ScriptedSplitDialog dialog;
    doc.SetSplitDialog(&dialog);
    for (const int points : {1, 5, 1, 3}) {
        auto line = std::make_unique<CLine>();
        line->SetPenType(2, 1);
        for (int i = 0; i < points; ++i)
            line->AddPoint(100 + i * 10, 200 + i * 10, 160);
        doc.m_lines.Add(std::move(line));
    }
    ASSERT_TRUE(doc.OnSaveDocument(Path("flat.Ilf")));
    dialog.answerCut = 2;
    m_prompts.QueueFileName(Path("a.QVN"));
    m_prompts.QueueFileName(Path("b.QVN"));
    doc.OnSplit();
    EXPECT_EQ(ReadDeviceFile(Path("a.QVN")).packets, 2 + 6);
    EXPECT_EQ(ReadDeviceFile(Path("b.QVN")).packets, 2 + 4);

    m_prompts.QueueFileName(Path("a.QVN"));
    doc.OnMerge();
    EXPECT_EQ(doc.m_lines.GetCount(), 4);
    EXPECT_TRUE(m_prompts.Messages().empty());
}
