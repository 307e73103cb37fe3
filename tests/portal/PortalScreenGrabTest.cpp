// The screen taken through the desktop portal, against a fake portal on a private session bus
// (run-on-private-bus): the picture it names, refusals, no portal at all, and a portal that
// never answers.

#include "ScriptedPrompts.h"
#include "QtPrinting.h"
#include "TestApplication.h"

#include "platform/PortalScreenGrab.h"

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QUrl>

#include <gtest/gtest.h>

namespace {

class PortalScreenGrabTest : public ::testing::Test {
protected:
    PortalScreenGrabTest() { TestApplication(); }
    ~PortalScreenGrabTest() override
    {
        m_portal.kill();
        m_portal.waitForFinished();
    }

    // Starts the fake portal and waits until it owns its name.
    void StartPortal(const QStringList& arguments)
    {
        m_portal.start(QStringLiteral(INKLEAF_FAKE_PORTAL), arguments);
        ASSERT_TRUE(m_portal.waitForStarted());
        ASSERT_TRUE(QTest::qWaitFor([&] { return Said().contains("ready\n"); }, 10000)) << Said().toStdString();
    }
    // Everything the fake portal printed so far.
    const QByteArray& Said()
    {
        m_said += m_portal.readAllStandardOutput();
        return m_said;
    }
    // A picture of four coloured quarters, 64 x 48, saved as PNG with an alpha channel as a
    // portal may write it; returns its file:// URI.
    QString WritePicture()
    {
        QImage picture(64, 48, QImage::Format_ARGB32);
        picture.fill(0xFFFF0000);
        for (int y = 0; y < 48; ++y)
            for (int x = 0; x < 64; ++x)
                picture.setPixel(x, y, y < 24 ? (x < 32 ? 0xFFFF0000 : 0xFF00FF00) : (x < 32 ? 0xFF0000FF : 0xFFFFFFFF));
        m_picturePath = m_dir.filePath(QStringLiteral("Screenshot.png"));
        EXPECT_TRUE(picture.save(m_picturePath));
        return QUrl::fromLocalFile(m_picturePath).toString();
    }

    QTemporaryDir m_dir;
    QString m_picturePath;
    ScriptedPrompts m_prompts;
    QProcess m_portal;
    QByteArray m_said;
};

}  // namespace

TEST_F(PortalScreenGrabTest, the_picture_the_portal_names_comes_in_rgb32_and_its_file_is_left_alone)
{
    StartPortal({QStringLiteral("answer"), WritePicture()});

    const ScreenGrabResult grab = PortalScreenGrab().Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_TRUE(grab.error.isEmpty());
    EXPECT_EQ(grab.image.format(), QImage::Format_RGB32);
    EXPECT_EQ(grab.image.size(), QSize(64, 48));
    EXPECT_EQ(grab.origin, QPoint(0, 0));
    EXPECT_EQ(grab.image.pixel(0, 0), 0xFFFF0000);
    EXPECT_EQ(grab.image.pixel(63, 0), 0xFF00FF00);
    EXPECT_EQ(grab.image.pixel(0, 47), 0xFF0000FF);
    EXPECT_EQ(grab.image.pixel(63, 47), 0xFFFFFFFF);
    EXPECT_TRUE(QFile::exists(m_picturePath));
    EXPECT_EQ(m_prompts.WaitDepth(), 0);
    // A quiet call, with a token of ours that names the request.
    EXPECT_TRUE(Said().contains("screenshot parent=\"\" handle_token=inkleaf_grab")) << Said().toStdString();
    EXPECT_TRUE(Said().contains("interactive=false")) << Said().toStdString();
}

TEST_F(PortalScreenGrabTest, an_answer_from_another_request_path_than_asked_for_is_followed_there)
{
    StartPortal({QStringLiteral("moved"), WritePicture()});

    const ScreenGrabResult grab = PortalScreenGrab(std::chrono::milliseconds(5000)).Grab();
    ASSERT_TRUE(grab.Ok()) << grab.error.toStdString();
    EXPECT_EQ(grab.image.size(), QSize(64, 48));
}

TEST_F(PortalScreenGrabTest, a_cancel_or_a_refusal_gives_no_picture_and_says_which)
{
    StartPortal({QStringLiteral("refuse"), QStringLiteral("1")});
    ScreenGrabResult grab = PortalScreenGrab().Grab();
    EXPECT_FALSE(grab.Ok());
    EXPECT_TRUE(grab.image.isNull());
    EXPECT_EQ(grab.error, "The screen cannot be taken: taking the screen was cancelled.");

    m_portal.kill();
    m_portal.waitForFinished();
    m_said.clear();
    StartPortal({QStringLiteral("refuse"), QStringLiteral("2")});
    grab = PortalScreenGrab().Grab();
    EXPECT_TRUE(grab.image.isNull());
    EXPECT_EQ(grab.error, "The screen cannot be taken: the desktop portal refused to take it.");
    EXPECT_EQ(m_prompts.WaitDepth(), 0);
}

TEST_F(PortalScreenGrabTest, without_a_portal_on_the_bus_the_grab_says_so_at_once)
{
    const ScreenGrabResult grab = PortalScreenGrab().Grab();
    EXPECT_TRUE(grab.image.isNull());
    EXPECT_EQ(grab.error, "The screen cannot be taken: no desktop portal (xdg-desktop-portal) runs on this session.");
}

TEST_F(PortalScreenGrabTest, a_portal_that_never_answers_is_given_up_under_the_wait_cursor_and_its_request_closed)
{
    StartPortal({QStringLiteral("silent")});
    int waitDepthWhileWaiting = -1;
    QTimer::singleShot(100, [&] { waitDepthWhileWaiting = m_prompts.WaitDepth(); });

    const ScreenGrabResult grab = PortalScreenGrab(std::chrono::milliseconds(400)).Grab();
    EXPECT_TRUE(grab.image.isNull());
    EXPECT_EQ(grab.error, "The screen cannot be taken: the desktop portal gave no picture within 1 second.");
    EXPECT_EQ(waitDepthWhileWaiting, 1);
    EXPECT_EQ(m_prompts.WaitDepth(), 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return Said().contains("closed /org/freedesktop/portal/desktop/request/"); }, 5000))
        << Said().toStdString();
}

TEST_F(PortalScreenGrabTest, a_missing_foreign_or_unreadable_picture_is_an_error_not_a_black_screen)
{
    StartPortal({QStringLiteral("answer"), QString()});
    EXPECT_EQ(PortalScreenGrab().Grab().error, "The screen cannot be taken: the desktop portal sent no picture.");

    m_portal.kill();
    m_portal.waitForFinished();
    m_said.clear();
    StartPortal({QStringLiteral("answer"), QStringLiteral("https://example.org/screen.png")});
    EXPECT_EQ(PortalScreenGrab().Grab().error, "The screen cannot be taken: the desktop portal's picture is not a "
                                               "local file (https://example.org/screen.png).");

    QFile damaged(m_dir.filePath(QStringLiteral("damaged.png")));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write("\x89PNG\r\n\x1a\n and then nothing of a picture");
    damaged.close();
    m_portal.kill();
    m_portal.waitForFinished();
    m_said.clear();
    StartPortal({QStringLiteral("answer"), QUrl::fromLocalFile(damaged.fileName()).toString()});
    const ScreenGrabResult grab = PortalScreenGrab().Grab();
    EXPECT_TRUE(grab.image.isNull());
    EXPECT_TRUE(grab.error.startsWith(QStringLiteral("The screen cannot be taken: the desktop portal's picture %1 could "
                                                     "not be read (").arg(damaged.fileName())))
        << grab.error.toStdString();
    EXPECT_TRUE(QFile::exists(damaged.fileName()));
}
