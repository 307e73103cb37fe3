#include "Settings.h"

#include "ProfileFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <algorithm>
#include <array>

namespace {

constexpr std::array<COLORREF, Settings::kColorBlocks> kSwatchDefaults = {
    0x0000FF, 0x00FF00, 0xFF0000, 0x00FFFF, 0xFF00FF, 0x000000,
    0x400080, 0x208020, 0x800040, 0x008080, 0x800080, 0x808080,
};

constexpr std::array<const char*, Settings::kColorBlocks> kSwatchKeys = {
    "COLORBLOCK0", "COLORBLOCK1", "COLORBLOCK2", "COLORBLOCK3", "COLORBLOCK4",  "COLORBLOCK5",
    "COLORBLOCK6", "COLORBLOCK7", "COLORBLOCK8", "COLORBLOCK9", "COLORBLOCK10", "COLORBLOCK11",
};

QString g_settingsFolder;  // empty until chosen

bool CanCreateFilesIn(const QString& folder)
{
    QTemporaryFile probe(folder + QStringLiteral("/.inkleaf-write-test-XXXXXX"));
    return probe.open();
}

bool EnsureFolderOf(const QString& file)
{
    return QDir().mkpath(QFileInfo(file).absolutePath());
}

}  // namespace

IntSetting Settings::ColorBlock(int index)
{
    const size_t i = size_t(std::clamp(index, 0, kColorBlocks - 1));
    return {"COLOR", kSwatchKeys[i], int(kSwatchDefaults[i])};
}

QString GetProgramFolder()
{
    if (QCoreApplication::instance())
        return QCoreApplication::applicationDirPath();
    return QFileInfo(QStringLiteral("/proc/self/exe")).canonicalFilePath().section(QLatin1Char('/'), 0, -2);
}

QString InstalledDataFolder(const QString& programFolder)
{
    const QString folder = QDir::cleanPath(programFolder);
    if (QFileInfo(folder).fileName() != QLatin1String("bin"))
        return {};
    const QString data = QDir::cleanPath(folder + QStringLiteral("/../share/inkleaf"));
    return QFileInfo(data).isDir() ? data : QString();
}

QString FindProgramFile(const QString& name, const QString& programFolder)
{
    const QString beside = programFolder + QLatin1Char('/') + name;
    if (QFileInfo(beside).isFile())
        return beside;
    const QString data = InstalledDataFolder(programFolder);
    if (!data.isEmpty() && QFileInfo(data + QLatin1Char('/') + name).isFile())
        return data + QLatin1Char('/') + name;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation, QStringLiteral("inkleaf/") + name);
}

QString ChooseSettingsFolder(const QString& programFolder, bool programFolderWritable,
                             const QString& xdgConfigHome, const QString& home)
{
    if (programFolderWritable)
        return programFolder;
    // Only an absolute XDG_CONFIG_HOME counts; a relative one is to be ignored.
    if (!xdgConfigHome.isEmpty() && QDir::isAbsolutePath(xdgConfigHome))
        return xdgConfigHome + QStringLiteral("/inkleaf");
    return home + QStringLiteral("/.config/inkleaf");
}

QString SettingsFolderFor(const QString& programFolder)
{
    // An installed program keeps its settings in the user's folder even where it could write
    // beside itself (a prefix in the home folder).
    const bool beside = InstalledDataFolder(programFolder).isEmpty() && CanCreateFilesIn(programFolder);
    return ChooseSettingsFolder(programFolder, beside, qEnvironmentVariable("XDG_CONFIG_HOME"), QDir::homePath());
}

QString SettingsFolder()
{
    if (g_settingsFolder.isEmpty())
        g_settingsFolder = SettingsFolderFor(GetProgramFolder());
    return g_settingsFolder;
}

void OverrideSettingsFolder(const QString& folder)
{
    g_settingsFolder = folder;
}

QString SettingsFilePath()
{
    return SettingsFolder() + QStringLiteral("/KSTPVX.ini");
}

QString ReportFilePath()
{
    return SettingsFolder() + QStringLiteral("/Tavlo01.ini");
}

QString TabletDescriptionPath()
{
    return SettingsFolder() + QStringLiteral("/KSTTBL.ini");
}

int ReadSetting(const IntSetting& setting, const QString& file)
{
    const int value = GetPrivateProfileInt(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                                           setting.defaultValue, file);
    return value < setting.minimum ? setting.defaultValue : value;
}

QString ReadSetting(const TextSetting& setting, const QString& file)
{
    return GetPrivateProfileString(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                                   QString::fromLatin1(setting.defaultValue), setting.bufferSize, file);
}

COLORREF ReadColorSetting(const IntSetting& setting, const QString& file)
{
    return COLORREF(ReadSetting(setting, file));
}

bool WriteSetting(const IntSetting& setting, int value, const QString& file)
{
    return EnsureFolderOf(file)
        && WritePrivateProfileString(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                                     QString::number(value), file);
}

bool WriteSetting(const TextSetting& setting, const QString& value, const QString& file)
{
    return EnsureFolderOf(file)
        && WritePrivateProfileString(QString::fromLatin1(setting.section), QString::fromLatin1(setting.key),
                                     value, file);
}
