// The program is killed in the middle of a stroke; the next start restores every stroke
// finished before, and the note saved then is byte for byte the note a run that was not killed
// saves after the same session (JournalWriter.cpp).

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "canvas/CScrivaView.h"
#include "document/RecoveryJournal.h"
#include "document/RecoveryOffer.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <csignal>

namespace {

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The writer with its own state folder.
void StartWriter(QProcess& writer, const QString& stateHome, const QStringList& arguments)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    env.insert("XDG_STATE_HOME", stateHome);
    writer.setProcessEnvironment(env);
    writer.start(QStringLiteral(JOURNAL_WRITER), arguments);
}

}  // namespace

TEST(RecoveryKillTest, a_note_killed_mid_stroke_comes_back_with_every_finished_stroke)
{
    QTemporaryDir dir;
    const QString killedState = dir.filePath("killed");
    const QString twinState = dir.filePath("twin");

    QProcess twin;
    StartWriter(twin, twinState, {"save", dir.filePath("twin.Ilf")});
    ASSERT_TRUE(twin.waitForFinished(60000)) << twin.readAllStandardError().constData();
    ASSERT_EQ(twin.exitCode(), 0) << twin.readAllStandardError().constData();
    const QByteArray expected = Contents(dir.filePath("twin.Ilf"));
    ASSERT_GT(expected.size(), 1000);
    EXPECT_TRUE(QDir(twinState + "/inkleaf").entryList(QDir::Files).isEmpty());  // saved: no journal

    QProcess killed;
    StartWriter(killed, killedState, {"kill"});
    ASSERT_TRUE(killed.waitForReadyRead(60000)) << killed.readAllStandardError().constData();
    ASSERT_EQ(killed.readLine().trimmed(), "writing");
    ::kill(pid_t(killed.processId()), SIGKILL);
    ASSERT_TRUE(killed.waitForFinished(10000));
    ASSERT_EQ(killed.exitStatus(), QProcess::CrashExit);

    // The next start, on a view of the same screen.
    TestApplication();
    ScriptedPrompts prompts;
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    OverrideSettingsFolder(dir.path());
    RecoveryJournal journal(killedState + "/inkleaf", "letter");
    CScrivaDoc doc;
    doc.SetJournal(&journal);
    {
        CScrivaView view(doc);
        view.setGeometry(0, 0, 1024, 768);
        view.show();
        QCoreApplication::processEvents();
        doc.OnNewDocument();
        prompts.QueueAnswer(IDYES);
        ASSERT_TRUE(OfferRecovery(doc, journal.Folder(), "letter"));
        ASSERT_EQ(prompts.Messages().size(), 1u);
        EXPECT_TRUE(doc.IsModified());
        EXPECT_EQ(doc.m_lines.GetCount(), 9);
        ASSERT_TRUE(doc.OnSaveDocument(dir.filePath("restored.Ilf")));
        EXPECT_EQ(Contents(dir.filePath("restored.Ilf")), expected);
        // Saved: neither the killed run's journal nor this one's is left.
        EXPECT_TRUE(QDir(journal.Folder()).entryList(QDir::Files).isEmpty());
    }
    ScreenMetrics::SetFixedScreen(std::nullopt);
}
