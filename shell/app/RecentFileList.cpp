#include "RecentFileList.h"

#include "platform/ProfileFile.h"
#include "platform/Settings.h"

#include <QDir>
#include <QFileInfo>

namespace {
const QString kSection = QStringLiteral("Recent File List");

QString KeyOf(int index)
{
    return QStringLiteral("File%1").arg(index + 1);
}
}  // namespace

RecentFileList::RecentFileList(const QString& file) : m_file(file)
{
    for (int i = 0; i < kSize; ++i) {
        const QString path = GetPrivateProfileString(kSection, KeyOf(i), QString(), 4096, m_file);
        if (!path.isEmpty())
            m_files << path;
    }
}

QString RecentFileList::DefaultFile()
{
    const QString folder = ChooseSettingsFolder(QString(), false, qEnvironmentVariable("XDG_CONFIG_HOME"),
                                                QDir::homePath());
    return folder + QStringLiteral("/Local AppWizard-Generated Applications.ini");
}

void RecentFileList::Add(const QString& path)
{
    const QString absolute = QFileInfo(path).absoluteFilePath();
    if (!m_files.isEmpty() && m_files.first() == absolute)
        return;  // already first: the file stays as it is
    m_files.removeAll(absolute);
    m_files.prepend(absolute);
    while (m_files.size() > kSize)
        m_files.removeLast();
    Write();
}

// One rewrite of the file for the whole list: each waits for the disk, after every open.
void RecentFileList::Write() const
{
    QDir().mkpath(QFileInfo(m_file).absolutePath());
    QList<std::pair<QString, QString>> entries;
    for (int i = 0; i < kSize; ++i)
        entries.append({KeyOf(i), i < m_files.size() ? m_files[i] : QString()});
    WritePrivateProfileStrings(kSection, entries, m_file);
}
