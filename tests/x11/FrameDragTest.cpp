// The inking frame dragged by its palette bar with the real mouse: by the frame itself where
// there is no window manager to do it, and by the window manager's own move where one offers it
// (on Wayland that is the only way a window moves).

#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/Settings.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/frame/CMainFrame.h"

#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <memory>

namespace {

class FrameDragTest : public ::testing::Test {
protected:
    FrameDragTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
    }
    ~FrameDragTest() override
    {
        m_frame.reset();
        if (m_windowManager.state() != QProcess::NotRunning) {
            m_windowManager.kill();
            m_windowManager.waitForFinished(5000);
        }
    }

    void OpenInkingFrame()
    {
        m_frame = std::make_unique<CMainFrame>(m_doc, "INKING", [](UINT) { return false; });
        m_frame->MakeInkingFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
    }
    // A point of the palette bar right of the swatches, where no button stands: X pixels.
    QPoint Grip() const
    {
        const CPaletteBar* palette = m_frame->PaletteBar();
        return palette->mapToGlobal(QPoint(palette->width() - 60, 8));
    }
    // Presses the left button at from, moves in steps to to and lets go there.
    static bool Drag(QPoint from, QPoint to)
    {
        QStringList arguments{QStringLiteral("mousemove"), QString::number(from.x()), QString::number(from.y()),
                              QStringLiteral("mousedown"), QStringLiteral("1"), QStringLiteral("sleep"),
                              QStringLiteral("0.3")};
        for (const QPoint& at : X11Desk::Line(from, to, 10))
            arguments << QStringLiteral("mousemove") << QString::number(at.x()) << QString::number(at.y())
                      << QStringLiteral("sleep") << QStringLiteral("0.02");
        arguments << QStringLiteral("mouseup") << QStringLiteral("1");
        const bool dragged = X11Desk::Run(QStringLiteral("xdotool"), arguments);
        X11Desk::Settle(300);
        return dragged;
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QProcess m_windowManager;
};

}  // namespace

TEST_F(FrameDragTest, without_a_window_manager_straight_drags_move_the_frame_the_whole_way)
{
    ASSERT_TRUE(X11Desk::Available());
    OpenInkingFrame();
    const QPoint start = m_frame->pos();
    ASSERT_TRUE(Drag(Grip(), Grip() - QPoint(300, 0)));
    EXPECT_EQ(m_frame->pos(), start - QPoint(300, 0));
    ASSERT_TRUE(Drag(Grip(), Grip() - QPoint(0, 200)));
    EXPECT_EQ(m_frame->pos(), start - QPoint(300, 200));
    ASSERT_TRUE(Drag(Grip(), Grip() + QPoint(120, 70)));
    EXPECT_EQ(m_frame->pos(), start - QPoint(180, 130));
}

TEST_F(FrameDragTest, a_window_manager_that_offers_its_move_is_handed_the_drag)
{
    ASSERT_TRUE(X11Desk::Available());
    m_windowManager.start(QStringLiteral(INKLEAF_MOVE_WM), {});
    ASSERT_TRUE(m_windowManager.waitForReadyRead(10000)) << m_windowManager.readAllStandardError().toStdString();
    ASSERT_EQ(m_windowManager.readLine().trimmed(), "ready");
    X11Desk::Settle(300);
    OpenInkingFrame();
    const QPoint start = m_frame->pos();
    const QPoint grip = Grip();
    ASSERT_TRUE(Drag(grip, grip - QPoint(250, 0)));

    // The window manager was asked to move the frame's window from where the button went down,
    // and moved it the whole way.
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_windowManager.canReadLine(); }, 3000));
    EXPECT_EQ(m_windowManager.readLine().trimmed(),
              QStringLiteral("move %1 %2 %3").arg(m_frame->winId()).arg(grip.x()).arg(grip.y()).toUtf8());
    ASSERT_TRUE(QTest::qWaitFor([&] { return m_windowManager.canReadLine(); }, 3000));
    EXPECT_EQ(m_windowManager.readLine().trimmed(),
              QStringLiteral("moved %1 %2 %3").arg(m_frame->winId()).arg(start.x() - 250).arg(start.y()).toUtf8());
    EXPECT_TRUE(QTest::qWaitFor([&] { return m_frame->pos() == start - QPoint(250, 0); }, 3000))
        << m_frame->pos().x() << "," << m_frame->pos().y();
}
