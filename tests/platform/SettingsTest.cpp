#include "FifoFeeder.h"

#include "platform/ProfileFile.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

class ProfileFileTest : public ::testing::Test {
protected:
    QString Path(const char* name = "test.ini") const { return m_dir.filePath(QString::fromLatin1(name)); }

    void WriteText(const QByteArray& text, const char* name = "test.ini") const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(text);
    }

    QByteArray ReadText(const char* name = "test.ini") const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(ProfileFileTest, missing_file_section_or_key_reads_the_default)
{
    EXPECT_EQ(GetPrivateProfileInt("COLOR", "PENCOLOR", 42, Path()), 42);
    EXPECT_EQ(GetPrivateProfileString("UI", "New", "none", 16, Path()), "none");
    WriteText("[COLOR]\nPENCOLOR=7\n");
    EXPECT_EQ(GetPrivateProfileInt("OTHER", "PENCOLOR", 42, Path()), 42);
    EXPECT_EQ(GetPrivateProfileInt("COLOR", "BKCOLOR", 43, Path()), 43);
    EXPECT_FALSE(QFile::exists(Path("never.ini")));
}

TEST_F(ProfileFileTest, sections_and_keys_match_without_case_or_surrounding_blanks)
{
    WriteText("[Tavlo File]\r\nQVN File Size =1234\r\n[color]\r\n  penColor = 255 \r\n");
    EXPECT_EQ(GetPrivateProfileInt("COLOR", "PENCOLOR", 0, Path()), 255);
    EXPECT_EQ(GetPrivateProfileInt("tavlo file", "qvn file size ", 0, Path()), 1234);
    EXPECT_EQ(GetPrivateProfileInt("Tavlo File", "QVN File Size", -1, Path()), 1234);
    EXPECT_EQ(GetPrivateProfileInt("Tavlo File", "QVN File", -1, Path()), -1);
}

TEST_F(ProfileFileTest, keys_are_written_with_their_trailing_blank)
{
    EXPECT_TRUE(WritePrivateProfileString("Tavlo File", "QVN File Size ", "1234", Path()));
    EXPECT_EQ(ReadText(), "[Tavlo File]\nQVN File Size =1234\n");
}

TEST_F(ProfileFileTest, integers_are_signed_decimal_with_leading_digits_only)
{
    WriteText("[N]\na=-17\nb=12abc\nc=abc\nd=+5\ne=\nf=4294967295\n");
    EXPECT_EQ(GetPrivateProfileInt("N", "a", 0, Path()), -17);
    EXPECT_EQ(GetPrivateProfileInt("N", "b", 0, Path()), 12);
    EXPECT_EQ(GetPrivateProfileInt("N", "c", 9, Path()), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "d", 0, Path()), 5);
    EXPECT_EQ(GetPrivateProfileInt("N", "e", 9, Path()), 0);
    EXPECT_EQ(GetPrivateProfileInt("N", "f", 0, Path()), -1);  // the 32-bit pattern wraps
}

TEST_F(ProfileFileTest, strings_are_cut_to_the_buffer)
{
    WriteText("[Record]\nDate=03062006-4\n[UI]\nNew=1234567890ABCDEFGHIJ\n");
    EXPECT_EQ(GetPrivateProfileString("Record", "Date", "", 16, Path()), "03062006-4");
    EXPECT_EQ(GetPrivateProfileString("UI", "New", "", 16, Path()), "1234567890ABCDE");
    EXPECT_EQ(GetPrivateProfileString("UI", "New", "", 1, Path()), "");
    EXPECT_EQ(GetPrivateProfileString("UI", "Gone", "Tablet", 4, Path()), "Tab");
}

TEST_F(ProfileFileTest, first_write_creates_file_and_section_and_last_write_wins)
{
    EXPECT_TRUE(WritePrivateProfileString("COLOR", "PENCOLOR", "255", Path()));
    EXPECT_TRUE(WritePrivateProfileString("LineHeight", "LINEHEIGHT", "90", Path()));
    EXPECT_TRUE(WritePrivateProfileString("color", "BKCOLOR", "1", Path()));
    EXPECT_TRUE(WritePrivateProfileString("COLOR", "pencolor", "-3", Path()));
    EXPECT_EQ(ReadText(), "[COLOR]\nPENCOLOR=-3\nBKCOLOR=1\n\n[LineHeight]\nLINEHEIGHT=90\n");
    EXPECT_EQ(GetPrivateProfileInt("COLOR", "PENCOLOR", 0, Path()), -3);

    // Several keys at once: the same file as one key after another.
    EXPECT_TRUE(WritePrivateProfileStrings("color", {{"LINECOLOR", "7"}, {"pencolor", "8"}}, Path()));
    EXPECT_TRUE(WritePrivateProfileStrings("Recent", {{"File1", "/a"}, {"File2", ""}}, Path()));
    EXPECT_EQ(ReadText(),
              "[COLOR]\nPENCOLOR=8\nBKCOLOR=1\nLINECOLOR=7\n\n[LineHeight]\nLINEHEIGHT=90\n\n[Recent]\nFile1=/a\nFile2=\n");
}

TEST_F(ProfileFileTest, writing_keeps_other_lines_and_keys_with_trailing_blanks)
{
    WriteText("; made by hand\n[Product]\nModel Code =7\nMaximum =1023\n\n[Other]\nx=1\n");
    EXPECT_TRUE(WritePrivateProfileString("Product", "Maximum ", "2047", Path()));
    EXPECT_TRUE(WritePrivateProfileString("Product", "ODM Code ", "3", Path()));
    EXPECT_EQ(ReadText(), "; made by hand\n[Product]\nModel Code =7\nMaximum =2047\nODM Code =3\n\n[Other]\nx=1\n");
}

TEST_F(ProfileFileTest, unwritable_place_fails_without_harm)
{
    EXPECT_FALSE(WritePrivateProfileString("A", "b", "1", Path("missing-folder/x.ini")));
}

TEST_F(ProfileFileTest, a_file_that_cannot_be_read_is_never_replaced_by_a_write)
{
    const QByteArray settings = "[COLOR]\nPENCOLOR=255\nBKCOLOR=1\n";

    // A folder in the file's place.
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.ini"));
    EXPECT_FALSE(WritePrivateProfileString("COLOR", "PENCOLOR", "7", Path("folder.ini")));
    EXPECT_TRUE(QFileInfo(Path("folder.ini")).isDir());

    // A FIFO: reading it would wait for a writer; it is neither read nor replaced.
    {
        FifoFeeder fifo(Path("fifo.ini"), settings);
        EXPECT_EQ(GetPrivateProfileInt("COLOR", "BKCOLOR", 42, Path("fifo.ini")), 42);
        EXPECT_FALSE(WritePrivateProfileString("COLOR", "PENCOLOR", "7", Path("fifo.ini")));
        struct stat st {};
        ASSERT_EQ(::lstat(QFile::encodeName(Path("fifo.ini")).constData(), &st), 0);
        EXPECT_TRUE(S_ISFIFO(st.st_mode));
        EXPECT_FALSE(fifo.Opened());
    }

    // Far larger than any settings file: not read, so not rewritten from nothing either.
    WriteText(settings, "huge.ini");
    {
        QFile huge(Path("huge.ini"));
        ASSERT_TRUE(huge.resize(8 * 1024 * 1024));
    }
    EXPECT_EQ(GetPrivateProfileInt("COLOR", "BKCOLOR", 42, Path("huge.ini")), 42);
    EXPECT_FALSE(WritePrivateProfileString("COLOR", "PENCOLOR", "7", Path("huge.ini")));
    EXPECT_EQ(QFileInfo(Path("huge.ini")).size(), 8 * 1024 * 1024);
    EXPECT_TRUE(ReadText("huge.ini").startsWith(settings));
}

TEST_F(ProfileFileTest, a_file_without_read_permission_keeps_the_other_settings)
{
    // The write runs in a child process. Run as root, the child takes the "nobody" account so
    // that the file's mode binds it; the folder is that account's, so a new file could be made.
    WriteText("[COLOR]\nPENCOLOR=255\nBKCOLOR=1\n", "locked.ini");
    const QByteArray folder = QFile::encodeName(m_dir.path());
    const QByteArray file = QFile::encodeName(Path("locked.ini"));
    constexpr uid_t kNobody = 65534;
    if (::geteuid() == 0) {
        ASSERT_EQ(::chown(folder.constData(), kNobody, kNobody), 0);
        ASSERT_EQ(::chown(file.constData(), kNobody, kNobody), 0);
    }
    ASSERT_EQ(::chmod(file.constData(), 0200), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(kNobody) != 0 || ::setuid(kNobody) != 0))
            ::_exit(3);
        const int read = GetPrivateProfileInt("COLOR", "BKCOLOR", 42, Path("locked.ini"));
        const bool written = WritePrivateProfileString("COLOR", "PENCOLOR", "7", Path("locked.ini"));
        ::_exit(read != 42 ? 2 : written ? 1 : 0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "1: the write went through; 2: the file was read";

    ASSERT_EQ(::chmod(file.constData(), 0600), 0);
    EXPECT_EQ(ReadText("locked.ini"), "[COLOR]\nPENCOLOR=255\nBKCOLOR=1\n");
}

TEST(Settings, first_run_reads_the_defaults)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KSTPVX.ini");
    EXPECT_EQ(ReadColorSetting(Settings::PenColor, file), 0x800000u);
    EXPECT_EQ(ReadColorSetting(Settings::BackColor, file), 0xCCE2E5u);
    EXPECT_EQ(ReadColorSetting(Settings::LineColor, file), 0xACC0C5u);
    EXPECT_EQ(ReadSetting(Settings::LineHeight, file), 90);
    EXPECT_EQ(ReadColorSetting(Settings::ColorBlock(0), file), 0x0000FFu);
    EXPECT_EQ(ReadColorSetting(Settings::ColorBlock(6), file), 0x400080u);
    EXPECT_EQ(ReadColorSetting(Settings::ColorBlock(11), file), 0x808080u);
    EXPECT_EQ(ReadSetting(Settings::DeviceFilterOn, file), 1);
    EXPECT_EQ(ReadSetting(Settings::NewInterface, file), "");
    EXPECT_EQ(ReadSetting(Settings::AboutLogoForLayout, file), 1);
    EXPECT_EQ(ReadSetting(Settings::AboutLogoForPaint, file), 0);
    EXPECT_EQ(ReadSetting(Settings::TabletManagerName, file), "Tablet");
}

TEST(Settings, writes_colours_as_decimal_in_their_sections)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("sub/KSTPVX.ini");  // the folder is made on first write
    ASSERT_TRUE(WriteSetting(Settings::PenColor, 255, file));
    ASSERT_TRUE(WriteSetting(Settings::ColorBlock(10), 0x800080, file));
    ASSERT_TRUE(WriteSetting(Settings::LineHeight, 70, file));
    ASSERT_TRUE(WriteSetting(Settings::RecordDate, QStringLiteral("03062006-4"), file));
    EXPECT_EQ(GetPrivateProfileString("COLOR", "PENCOLOR", "", 32, file), "255");
    EXPECT_EQ(GetPrivateProfileString("COLOR", "COLORBLOCK10", "", 32, file), "8388736");
    EXPECT_EQ(ReadColorSetting(Settings::PenColor, file), RGB(255, 0, 0));
    EXPECT_EQ(ReadSetting(Settings::LineHeight, file), 70);
    EXPECT_EQ(ReadSetting(Settings::RecordDate, file), "03062006-4");
}

TEST(Settings, line_height_of_zero_or_less_falls_back_to_the_default)
{
    QTemporaryDir dir;
    const QString file = dir.filePath("KSTPVX.ini");
    for (int bad : {0, -10}) {
        ASSERT_TRUE(WriteSetting(Settings::LineHeight, bad, file));
        EXPECT_EQ(ReadSetting(Settings::LineHeight, file), 90) << bad;
    }
    ASSERT_TRUE(WriteSetting(Settings::LineHeight, 1, file));
    EXPECT_EQ(ReadSetting(Settings::LineHeight, file), 1);
}

TEST(Settings, files_stay_beside_a_writable_program_and_go_to_the_user_config_otherwise)
{
    EXPECT_EQ(ChooseSettingsFolder("/opt/inkleaf", true, "/home/u/.cfg", "/home/u"), "/opt/inkleaf");
    EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "/home/u/.cfg", "/home/u"), "/home/u/.cfg/inkleaf");
    EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "", "/home/u"), "/home/u/.config/inkleaf");
    EXPECT_EQ(ChooseSettingsFolder("/usr/bin", false, "relative/cfg", "/home/u"), "/home/u/.config/inkleaf");

    const QString before = SettingsFolder();
    OverrideSettingsFolder("/tmp/somewhere");
    EXPECT_EQ(SettingsFilePath(), "/tmp/somewhere/KSTPVX.ini");
    EXPECT_EQ(ReportFilePath(), "/tmp/somewhere/Tavlo01.ini");
    OverrideSettingsFolder(before);
}

// An unpacked prefix (prefix/bin with prefix/share/inkleaf), a build folder and a user's XDG
// folders, side by side in one temporary folder.
class InstalledLayoutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const char* folder : {"prefix/bin", "prefix/lib", "prefix/share/inkleaf", "build/app", "xdg/data/inkleaf",
                                   "xdg/config"})
            ASSERT_TRUE(QDir().mkpath(Path(folder)));
        m_dataHome = qgetenv("XDG_DATA_HOME");
        m_dataDirs = qgetenv("XDG_DATA_DIRS");
        m_configHome = qgetenv("XDG_CONFIG_HOME");
        qputenv("XDG_DATA_HOME", Path("xdg/data").toLocal8Bit());
        qputenv("XDG_DATA_DIRS", Path("nowhere").toLocal8Bit());
        qputenv("XDG_CONFIG_HOME", Path("xdg/config").toLocal8Bit());
    }
    void TearDown() override
    {
        qputenv("XDG_DATA_HOME", m_dataHome);
        qputenv("XDG_DATA_DIRS", m_dataDirs);
        qputenv("XDG_CONFIG_HOME", m_configHome);
    }

    QString Path(const char* name) const { return m_dir.filePath(QString::fromLatin1(name)); }
    void Touch(const char* name) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    }

    QTemporaryDir m_dir;
    QByteArray m_dataHome, m_dataDirs, m_configHome;
};

TEST_F(InstalledLayoutTest, only_a_bin_folder_with_share_inkleaf_beside_it_is_installed)
{
    EXPECT_EQ(InstalledDataFolder(Path("prefix/bin")), Path("prefix/share/inkleaf"));
    EXPECT_EQ(InstalledDataFolder(Path("prefix/bin/")), Path("prefix/share/inkleaf"));
    EXPECT_EQ(InstalledDataFolder(Path("prefix/lib")), "");
    EXPECT_EQ(InstalledDataFolder(Path("build/app")), "");
    EXPECT_EQ(InstalledDataFolder(Path("nowhere/bin")), "");
}

TEST_F(InstalledLayoutTest, files_are_found_beside_the_program_then_in_its_data_folder_then_the_xdg_ones)
{
    Touch("build/app/help.pdf");
    Touch("prefix/share/inkleaf/help.pdf");
    Touch("xdg/data/inkleaf/help.pdf");
    Touch("xdg/data/inkleaf/IlfRes.rcc");
    EXPECT_EQ(FindProgramFile("help.pdf", Path("build/app")), Path("build/app/help.pdf"));
    EXPECT_EQ(FindProgramFile("help.pdf", Path("prefix/bin")), Path("prefix/share/inkleaf/help.pdf"));
    EXPECT_EQ(FindProgramFile("IlfRes.rcc", Path("prefix/bin")), Path("xdg/data/inkleaf/IlfRes.rcc"));
    EXPECT_EQ(FindProgramFile("IlfRes.rcc", Path("build/app")), Path("xdg/data/inkleaf/IlfRes.rcc"));
    Touch("prefix/bin/help.pdf");
    EXPECT_EQ(FindProgramFile("help.pdf", Path("prefix/bin")), Path("prefix/bin/help.pdf"));
    EXPECT_EQ(FindProgramFile("KSTPVX.ini", Path("prefix/bin")), "");
}

TEST_F(InstalledLayoutTest, an_installed_program_keeps_its_settings_in_the_user_folder_even_where_it_could_write)
{
    EXPECT_EQ(SettingsFolderFor(Path("build/app")), Path("build/app"));
    EXPECT_EQ(SettingsFolderFor(Path("prefix/bin")), Path("xdg/config/inkleaf"));
}
