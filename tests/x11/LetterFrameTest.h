#pragma once
// A letter frame on the test's X server with the mouse as the pen, for tests that drive the
// program through the X server as a user would.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "document/CScrivaDoc.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "tablet/TabletBinding.h"

#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

class LetterFrameTest : public ::testing::Test {
protected:
    LetterFrameTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~LetterFrameTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }

    // A maximised letter frame on a new note. With activate, the frame also asks for the
    // keyboard, as a window manager would hand it over; the tests' X server runs none.
    void OpenLetterFrame(bool activate = false)
    {
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        if (activate) {
            m_frame->activateWindow();
            ASSERT_TRUE(QTest::qWaitForWindowActive(m_frame.get()));
        }
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
