// The letter frame on a real X server, written on with the mouse as the pen: events come from
// the X server, through Qt, to the tablet binding and the page capture.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/Settings.h"
#include "shell/CMainFrame.h"
#include "tablet/TabletBinding.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class WritingTest : public ::testing::Test {
protected:
    WritingTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~WritingTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }

    void OpenLetterFrame()
    {
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
    }
    // The view's centre in X pixels.
    QPoint ViewCentre() const
    {
        const CRect r = m_frame->View()->ScreenRect();
        return QPoint((r.left + r.right) / 2, (r.top + r.bottom) / 2);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(WritingTest, a_mouse_drag_over_the_page_becomes_one_stroke_in_the_note)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame();
    const QPoint c = ViewCentre();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(c - QPoint(100, 0), c + QPoint(100, 40))));

    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_GE(line->GetPointCount(), 3);
    // At half zoom, 200 screen pixels across are 400 page pixels.
    const CRect bounds = line->GetBounds();
    EXPECT_NEAR(bounds.Width(), 400, 8);
    EXPECT_NEAR(bounds.Height(), 80, 8);
    EXPECT_TRUE(m_doc.IsModified());
}
