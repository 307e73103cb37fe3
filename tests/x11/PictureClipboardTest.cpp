// Pictures pasted from the X clipboard, held there by another program, into the letter frame.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"

#include <QClipboard>
#include <QImage>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

constexpr COLORREF kBack = 0xCCE2E5;  // the page colour without settings

// 40 × 30 pixels: a see-through left half, then opaque red, then blue at half strength.
QImage BrowserImage()
{
    QImage image(40, 30, QImage::Format_ARGB32);
    for (int y = 0; y < 30; ++y)
        for (int x = 0; x < 40; ++x)
            image.setPixel(x, y, x < 20 ? qRgba(0, 0, 0, 0) : x < 30 ? qRgba(220, 20, 30, 255) : qRgba(0, 0, 255, 128));
    return image;
}

}  // namespace

TEST(PictureClipboard, a_see_through_picture_from_another_program_shows_the_page_colour)
{
    TestApplication();
    ASSERT_TRUE(X11Desk::Available());
    QTemporaryDir dir;
    OverrideSettingsFolder(dir.path());
    const QString png = dir.filePath("copied.png");
    ASSERT_TRUE(BrowserImage().save(png, "PNG"));

    ScriptedPrompts prompts;
    CScrivaDoc doc;
    CMainFrame frame(doc, "LETTER", [](UINT) { return false; });
    doc.OnNewDocument();
    frame.ShowMaximized();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&frame));

    QProcess owner;
    owner.start(QStringLiteral(INKLEAF_CLIPBOARD_OWNER), {png});
    ASSERT_TRUE(owner.waitForReadyRead(10000)) << owner.readAllStandardError().toStdString();
    ASSERT_EQ(owner.readAllStandardOutput().trimmed(), "ready");
    X11Desk::Settle();
    EXPECT_FALSE(QGuiApplication::clipboard()->ownsClipboard());

    frame.OnCommand(ID_EDIT_PASTE);
    owner.kill();
    owner.waitForFinished();

    ASSERT_EQ(doc.m_pictures.GetCount(), 1);
    EXPECT_EQ(doc.m_pictures.GetAt(0)->GetRect(), CRect(0, 0, 40, 30));
    const DrawingSurface& page = frame.View()->Page().Surface();
    EXPECT_EQ(page.GetPixel(5, 5), kBack);
    EXPECT_EQ(page.GetPixel(19, 29), kBack);
    EXPECT_EQ(page.GetPixel(25, 5), RGB(220, 20, 30));
    // Half blue over the page colour (229, 226, 204): each channel halfway.
    const COLORREF half = page.GetPixel(35, 5);
    EXPECT_NEAR(GetRValue(half), 114, 1);
    EXPECT_NEAR(GetGValue(half), 113, 1);
    EXPECT_NEAR(GetBValue(half), 230, 1);
    EXPECT_TRUE(prompts.Messages().empty());
}
