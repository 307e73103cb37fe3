// The small frames and the palette bar on a screen scaled by two, where Qt places windows in
// logical pixels. A program of its own: the scale is set before the application is made.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "shell/bars/CPaletteBar.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class HiDpiTest : public ::testing::Test {
protected:
    HiDpiTest()
    {
        qputenv("QT_SCALE_FACTOR", "2");
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
};

}  // namespace

TEST_F(HiDpiTest, the_inking_frame_stands_in_the_work_area_corner_and_the_palette_measures_logical_width)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_EQ(QGuiApplication::primaryScreen()->devicePixelRatio(), 2.0);
    // A primary monitor 1400 pixels wide shows 700 logical pixels: too narrow for the letter
    // palette of 1300.
    ASSERT_TRUE(X11Desk::AddMonitor(QStringLiteral("Narrow"), QRect(1920, 0, 1400, 900), true));
    CMainFrame frame(m_doc, "INKING", [](UINT) { return false; });
    EXPECT_TRUE(frame.PaletteBar()->IsSmallScreen());
    frame.OnDisplayChange(QGuiApplication::primaryScreen()->geometry().size());
    EXPECT_TRUE(frame.PaletteBar()->IsSmallScreen());

    frame.MakeInkingFrame();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));
    X11Desk::Settle(300);
    const QRect work = QGuiApplication::primaryScreen()->availableGeometry();
    EXPECT_EQ(work.size(), QSize(700, 450));
    EXPECT_EQ(frame.size(), QSize(629, 116));
    EXPECT_EQ(frame.geometry().bottomRight(), work.bottomRight());
    EXPECT_TRUE(frame.screen() == QGuiApplication::primaryScreen());
}
