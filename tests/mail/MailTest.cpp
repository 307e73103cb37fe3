// Send to Mail Recipient with a stand-in for xdg-email on the PATH (tests/mail/xdg-email): what
// the mail program is given, the image it reads, the private folder the image waits in and
// when that folder goes, and the messages when there is no launcher or it fails.

#include "QtPrinting.h"
#include "ScriptedPrompts.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "mail/AttachmentFolder.h"
#include "platform/ScreenMetrics.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/time.h>

#include <ctime>

#include <memory>

namespace {

const CRect kScreen(0, 0, 1024, 768);

QCoreApplication& Application()
{
    static int argc = 1;
    static char name[] = "mail-tests";
    static char* argv[] = {name, nullptr};
    static auto* application = new QCoreApplication(argc, argv);
    return *application;
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

int ModeOf(const QString& path)
{
    struct stat info {};
    return ::lstat(QFile::encodeName(path).constData(), &info) == 0 ? int(info.st_mode & 07777) : -1;
}

// Sets an environment variable while it lives.
class ScopedEnv {
public:
    ScopedEnv(const char* name, const QByteArray& value) : m_name(name), m_old(qgetenv(name)), m_had(qEnvironmentVariableIsSet(name))
    {
        qputenv(name, value);
    }
    ~ScopedEnv()
    {
        if (m_had)
            qputenv(m_name, m_old);
        else
            qunsetenv(m_name);
    }

private:
    const char* m_name;
    QByteArray m_old;
    bool m_had;
};

// A view in desktop mode over a frozen screen: green left of x = 300, red from there on.
class DesktopView : public IDocumentView {
public:
    DesktopView() : m_screen(DrawingSurface::CreateBitmap(1024, 768))
    {
        m_screen.FillSolidRect(CRect(0, 0, 300, 768), RGB(0, 160, 0));
        m_screen.FillSolidRect(CRect(300, 0, 1024, 768), RGB(200, 0, 0));
    }
    PageSettings GetPageSettings() const override { return {0xCCE2E5, 0xACC0C5, 90, CRect(0, 0, 1024, 1365)}; }
    void SetPageSettings(const PageSettings&) override {}
    void DrawRuledLines(bool) override {}
    DrawingSurface& PageSurface() override { return m_noPage; }
    void ResetPage() override {}
    void ScrollToOrigin() override {}
    void SetHasInk(bool) override {}
    bool WriteDeviceFile(const QString&) override { return false; }
    bool WriteDeviceFile(const QString&, int, int) override { return false; }
    bool ImportDeviceFile(const QString&) override { return false; }
    void ScheduleDeviceImport(const QString&) override {}
    void CancelDeviceImport() override {}
    FrameMode GetFrameMode() const override { return FrameMode::Desktop; }
    void TitleChanged(const QString&) override {}
    void ParkTablet() override {}
    void ReopenTablet() override {}
    const DrawingSurface* FrozenScreen() override { return &m_screen; }

private:
    DrawingSurface m_screen;
    DrawingSurface m_noPage;
};

class MailTest : public ::testing::Test {
protected:
    MailTest()
        : m_runtimeEnv("XDG_RUNTIME_DIR", QFile::encodeName(Runtime())),
          m_pathEnv("PATH", QFile::encodeName(Bin() + ":/usr/bin:/bin")),
          m_recordEnv("INKLEAF_MAIL_RECORD", QFile::encodeName(m_dir.filePath("arguments"))),
          m_copyEnv("INKLEAF_MAIL_COPY", QFile::encodeName(m_dir.filePath("received.jpg")))
    {
        Application();
        m_doc = std::make_unique<CScrivaDoc>();
        m_view = std::make_unique<HeadlessView>(*m_doc, kScreen, m_dir.filePath("KSTPVX.ini"));
    }

    QString Runtime()
    {
        const QString runtime = m_dir.filePath("runtime");
        QDir().mkpath(runtime);
        QFile::setPermissions(runtime, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        return runtime;
    }
    // A folder with the stand-in launcher in it.
    QString Bin()
    {
        const QString bin = m_dir.filePath("bin");
        QDir().mkpath(bin);
        QFile::link(QStringLiteral(INKLEAF_FAKE_XDG_EMAIL), bin + "/xdg-email");
        return bin;
    }
    QString Base() const { return m_dir.filePath("runtime/inkleaf-mail"); }
    QStringList SendFolders() const { return QDir(Base()).entryList({"pvm.tmp-*"}, QDir::Dirs); }
    QStringList Arguments() const
    {
        return QString::fromUtf8(Contents(m_dir.filePath("arguments"))).split('\n', Qt::SkipEmptyParts);
    }
    QByteArray Received() const { return Contents(m_dir.filePath("received.jpg")); }

    // The page's JPEG export, as Save As a .jpg name writes it.
    QByteArray Exported()
    {
        const QString path = m_dir.filePath("export.jpg");
        EXPECT_TRUE(m_doc->ExportPageImage(path));
        return Contents(path);
    }

    void AddStroke()
    {
        auto line = std::make_unique<CLine>();
        line->SetColor(RGB(0, 0, 128));
        for (int i = 0; i <= 10; ++i)
            line->AddPoint(100 + 40 * i, 500 + 10 * i, 160);
        m_doc->m_lines.Add(std::move(line));
        m_view->DrawRuledLines(true);
    }

    QTemporaryDir m_dir;
    ScopedEnv m_runtimeEnv, m_pathEnv, m_recordEnv, m_copyEnv;
    ScriptedPrompts m_prompts;
    std::unique_ptr<CScrivaDoc> m_doc;
    std::unique_ptr<HeadlessView> m_view;
};

TEST_F(MailTest, the_mail_program_gets_the_page_as_the_jpeg_export_in_a_private_folder)
{
    ASSERT_TRUE(m_doc->OnSaveDocument(m_dir.filePath("note.Ilf")));
    m_doc->SetModifiedFlag(true);
    m_doc->OnSendMail();

    EXPECT_TRUE(m_prompts.Messages().empty());
    const QStringList arguments = Arguments();
    ASSERT_EQ(arguments.size(), 4);
    EXPECT_EQ(arguments[0], "--subject");
    EXPECT_EQ(arguments[1], "Inkleaf");
    EXPECT_EQ(arguments[2], "--attach");
    // The note is as it was: still modified, navigation from the note.
    EXPECT_TRUE(m_doc->IsModified());
    EXPECT_EQ(m_doc->OpenedPath(), m_dir.filePath("note.Ilf"));
    const QFileInfo attachment(arguments[3]);
    EXPECT_EQ(attachment.fileName(), "Inkleaf.jpg");
    EXPECT_EQ(attachment.absolutePath(), QDir(Base()).filePath(SendFolders().value(0)));
    // An empty page still goes: 300 + 20 pixels square, exactly the export.
    const QImage received = QImage::fromData(Received(), "JPEG");
    EXPECT_EQ(received.size(), QSize(320, 320));
    EXPECT_EQ(Received(), Exported());
    // Nobody else may reach it, and its folder's name is not predictable.
    EXPECT_EQ(Contents(m_dir.filePath("received.jpg.mode")).trimmed(), "700");
    EXPECT_EQ(ModeOf(Base()), 0700);
    EXPECT_NE(SendFolders().value(0), "pvm.tmp-XXXXXX");
    EXPECT_FALSE(m_doc->IsSendingMail());
    m_doc->SetModifiedFlag(false);
    m_doc->OnSendMail();
    EXPECT_FALSE(m_doc->IsModified());
}

TEST_F(MailTest, each_attachment_stays_until_the_next_send_or_the_end_of_the_program)
{
    m_doc->OnSendMail();
    const QStringList first = SendFolders();
    ASSERT_EQ(first.size(), 1);
    // The mail program may read it long after the launcher returned.
    EXPECT_TRUE(QFile::exists(QDir(Base()).filePath(first[0] + "/Inkleaf.jpg")));

    AddStroke();
    m_doc->OnSendMail();
    const QStringList second = SendFolders();
    ASSERT_EQ(second.size(), 1);
    EXPECT_NE(second[0], first[0]);
    EXPECT_EQ(Received(), Exported());  // the written page this time

    m_view.reset();
    m_doc.reset();
    EXPECT_TRUE(SendFolders().isEmpty());
}

TEST_F(MailTest, folders_left_for_a_day_are_removed_and_newer_ones_of_other_runs_kept)
{
    ASSERT_FALSE(AttachmentFolder::BaseFolder().isEmpty());
    for (const char* name : {"pvm.tmp-old123", "pvm.tmp-new123"})
        ASSERT_TRUE(QDir(Base()).mkdir(name));
    // Left by a run 25 hours ago.
    const timeval before = {time(nullptr) - 25 * 3600, 0};
    const timeval times[2] = {before, before};
    ASSERT_EQ(::utimes(QFile::encodeName(QDir(Base()).filePath("pvm.tmp-old123")).constData(), times), 0);

    m_doc->OnSendMail();
    const QStringList left = SendFolders();
    EXPECT_FALSE(left.contains("pvm.tmp-old123"));
    EXPECT_TRUE(left.contains("pvm.tmp-new123"));
    EXPECT_EQ(left.size(), 2);
}

TEST_F(MailTest, a_base_folder_of_anyone_else_is_refused)
{
    // A folder others may enter is made private again; a link to elsewhere is never followed.
    ASSERT_TRUE(QDir().mkpath(Base()));
    QFile::setPermissions(Base(), QFileDevice::Permissions(0x7777));
    EXPECT_EQ(AttachmentFolder::BaseFolder(), Base());
    EXPECT_EQ(ModeOf(Base()), 0700);
    ASSERT_TRUE(QDir(Base()).removeRecursively());
    ASSERT_TRUE(QFile::link(m_dir.path(), Base()));
    EXPECT_TRUE(AttachmentFolder::BaseFolder().isEmpty());
    m_doc->OnSendMail();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Send Mail failed to send message.");
    EXPECT_TRUE(Arguments().isEmpty());
}

TEST_F(MailTest, without_xdg_email_the_stock_message_shows_and_nothing_is_written)
{
    const QString empty = m_dir.filePath("empty");
    QDir().mkpath(empty);
    ScopedEnv path("PATH", QFile::encodeName(empty));
    m_doc->OnSendMail();
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Unable to load mail system support.");
    EXPECT_EQ(m_prompts.Messages()[0].caption, "Inkleaf");
    EXPECT_FALSE(QFileInfo::exists(Base()));
    EXPECT_FALSE(m_doc->IsSendingMail());
    // Saves write notes again.
    ASSERT_TRUE(m_doc->OnSaveDocument(m_dir.filePath("after.Ilf")));
    EXPECT_TRUE(QFile::exists(m_dir.filePath("after.Ilf")));
}

TEST_F(MailTest, a_failing_mail_program_gets_the_stock_message_and_a_broken_off_one_none)
{
    {
        ScopedEnv exit("INKLEAF_MAIL_EXIT", "4");
        m_doc->OnSendMail();
    }
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Send Mail failed to send message.");
    {
        ScopedEnv exit("INKLEAF_MAIL_EXIT", "3");  // no mail program set up
        m_doc->OnSendMail();
    }
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
    {
        ScopedEnv exit("INKLEAF_MAIL_EXIT", "signal");
        m_doc->OnSendMail();
    }
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_FALSE(m_doc->IsSendingMail());
}

}  // namespace

namespace {

TEST_F(MailTest, desktop_mode_sends_the_screen_under_the_ink_with_the_ink)
{
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    DesktopView desktop;
    m_doc->SetView(&desktop);
    m_doc->OnSendMail();
    // Nothing written: nothing to send, and no mail program is started.
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Mail must be sent with written script");
    EXPECT_EQ(m_prompts.Messages()[0].caption, "Information");
    EXPECT_TRUE(Arguments().isEmpty());

    // A stroke in screen pixels from (100, 500) to (500, 600): over no window, the ink's area.
    auto line = std::make_unique<CLine>();
    line->SetColor(RGB(0, 0, 128));
    for (int i = 0; i <= 10; ++i)
        line->AddPoint(100 + 40 * i, 500 + 10 * i, 160);
    m_doc->m_lines.Add(std::move(line));
    m_doc->OnSendMail();
    EXPECT_EQ(m_prompts.Messages().size(), 1u);
    const QImage received = QImage::fromData(Received(), "JPEG");
    ASSERT_EQ(received.size(), QSize(400, 100));
    // Away from the ink: the screen at (105, 595) and at (495, 505).
    const QRgb green = received.pixel(5, 95);
    EXPECT_LT(std::abs(qRed(green) - 0) + std::abs(qGreen(green) - 160) + std::abs(qBlue(green) - 0), 24);
    const QRgb red = received.pixel(395, 5);
    EXPECT_LT(std::abs(qRed(red) - 200) + std::abs(qGreen(red) - 0) + std::abs(qBlue(red) - 0), 24);
    const QRgb ink = received.pixel(200, 50);
    EXPECT_TRUE(qRed(ink) < 40 && qGreen(ink) < 40 && qBlue(ink) > 90) << std::hex << ink;
    m_doc->SetView(m_view.get());
    ScreenMetrics::SetFixedScreen(std::nullopt);
}

}  // namespace
