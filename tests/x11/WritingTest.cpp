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

TEST_F(WritingTest, the_page_takes_ink_wherever_the_window_stands)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenLetterFrame();

    // A restored window away from the screen's left edge. At half zoom the page begins 480
    // pixels into the window: a stroke begun on the grey band starts where the pen enters.
    m_frame->showNormal();
    m_frame->setGeometry(300, 200, 1200, 700);
    X11Desk::Settle(300);
    const CRect r = m_frame->View()->ScreenRect();
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(r.left + 200, r.top + 100), QPoint(r.left + 700, r.top + 150))));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    const CLine* line = m_doc.m_lines.GetAt(0);
    EXPECT_GE(line->GetPoint(0).x, 0);
    EXPECT_LE(line->GetPoint(0).x, 90);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, 440, 4);

    // The primary monitor right of another one: the maximised window is there.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Right"), QRect(1920, 0, 1920, 1080), true));
    m_doc.OnNewDocument();
    m_frame->ShowMaximized();
    X11Desk::Settle(300);
    const CRect v = m_frame->View()->ScreenRect();
    ASSERT_GE(v.left, 1920);
    ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(v.left + 860, v.top + 300), QPoint(v.left + 1060, v.top + 340))));
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);
    line = m_doc.m_lines.GetAt(0);
    // 860 pixels into the window, less the 480 of grey, doubled; 200 across are 400 on the page.
    EXPECT_NEAR(line->GetPoint(0).x, 760, 4);
    EXPECT_NEAR(line->GetPoint(line->GetPointCount() - 1).x, 1160, 4);
}
