// Device files reached from the palette bar on a real X server: the pointer that clicked the
// bar's button is over the bar, not the page, while the file's packets are replayed.

#include "DeviceFileBytes.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"
#include "tablet/TabletBinding.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The mouse writes as the pen (true), or is a plain mouse with no tablet bound (false).
class DeviceImportTest : public ::testing::TestWithParam<bool> {
protected:
    DeviceImportTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(GetParam());
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~DeviceImportTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // The letter frame on a note of one stroke, a.Ilf, with the device file b.QVN (three
    // strokes) next in its folder.
    void OpenNoteBesideDeviceFile()
    {
        ASSERT_EQ(TabletBinding::Instance().IsLoaded(), GetParam());
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
        auto line = std::make_unique<CLine>();
        line->SetPenType(2, 1);
        for (int i = 0; i < 5; ++i)
            line->AddPoint(100 + 40 * i, 1500, 160);
        m_doc.m_lines.Add(std::move(line));
        ASSERT_TRUE(m_doc.OnSaveDocument(Path("a.Ilf")));
        ASSERT_TRUE(DeviceFileBytes::Write(Path("b.QVN"), DeviceFileBytes::ThreeStrokes()));
        ASSERT_TRUE(m_doc.OpenDocumentFile(Path("a.Ilf")));
        ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    }
    // Clicks the palette bar's button of command with the real mouse.
    void ClickBarButton(UINT command)
    {
        const QWidget* button = m_frame->PaletteBar()->Button(command);
        ASSERT_TRUE(button && button->isVisible());
        const double ratio = button->devicePixelRatioF();
        ASSERT_TRUE(X11Desk::Click(button->mapToGlobal(button->rect().center()) * ratio));
    }
    // The device file's three strokes, after the first from, are on the page and drawn.
    void ExpectDeviceStrokesFrom(int from)
    {
        ASSERT_EQ(m_doc.m_lines.GetCount(), from + 3);
        const int points[] = {5, 4, 6};
        const DrawingSurface& page = m_frame->View()->Page().Surface();
        const COLORREF background = m_frame->View()->Page().m_crBack;
        for (int s = 0; s < 3; ++s) {
            const CLine& line = *m_doc.m_lines.GetAt(from + s);
            EXPECT_EQ(line.GetPointCount(), points[s]) << "stroke " << s;
            const StrokePoint& middle = line.GetPoint(2);
            EXPECT_NE(page.GetPixel(middle.x, middle.y), background) << "stroke " << s;
        }
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_P(DeviceImportTest, next_page_from_the_bar_replays_the_device_file_onto_the_page)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenNoteBesideDeviceFile();
    ClickBarButton(IDC_NEXT_PAGE);
    ASSERT_EQ(m_doc.OpenedPath(), Path("b.QVN"));
    // The import starts a quarter of a second after the page opened.
    (void)QTest::qWaitFor([this] { return m_doc.m_lines.GetCount() >= 3; }, 3000);
    X11Desk::Settle();
    ExpectDeviceStrokesFrom(0);
    EXPECT_FALSE(m_doc.IsModified());  // as opened
    EXPECT_EQ(m_doc.GetTitle(), "b.QVN");
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_P(DeviceImportTest, merge_from_the_bar_adds_the_device_file_to_the_page)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenNoteBesideDeviceFile();
    m_prompts.QueueFileName(Path("b.QVN"));
    ClickBarButton(IDC_MERGE);
    X11Desk::Settle();
    ExpectDeviceStrokesFrom(1);
    EXPECT_TRUE(m_doc.IsModified());
    EXPECT_EQ(m_doc.GetTitle(), "a.Ilf");
    EXPECT_TRUE(m_prompts.Messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Pointer, DeviceImportTest, ::testing::Values(true, false),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? "mouse_as_pen" : "plain_mouse";
                         });
