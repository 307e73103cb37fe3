// Saving that survives the worst moments: inkleaf-tool convert saves a note over an older one
// while a preloaded library kills it at each call that changes the disk in turn, or makes the
// disk full. After every run the file must be the whole old note or the whole new one.

#include "ScriptedPrompts.h"
#include "ToolRun.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

class SafeSaveTest : public ::testing::Test {
protected:
    SafeSaveTest() : m_view(m_doc, CRect(0, 0, 1024, 768), Path("KSTPVX.ini")) {}

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    // A note of count strokes, each of points points, saved under name; its bytes.
    QByteArray SaveNote(const QString& name, int count, int points)
    {
        m_doc.m_lines.RemoveAll();
        for (int s = 0; s < count; ++s) {
            auto line = std::make_unique<CLine>();
            line->SetColor(RGB(0, 0, 128));
            line->SetPenType(2, 1);
            for (int i = 0; i < points; ++i)
                line->AddPoint(50 + i, 40 + 12 * s + i % 7, 160);
            m_doc.m_lines.Add(std::move(line));
        }
        EXPECT_TRUE(m_doc.OnSaveDocument(Path(name)));
        return Contents(Path(name));
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    ToolRun ConvertWithFault(const QString& fault)
    {
        QProcessEnvironment env;
        env.insert("LD_PRELOAD", INKLEAF_WRITE_FAULT);
        env.insert("INKLEAF_FAULT", fault);
        return RunTool({"convert", Path("new.Ilf"), Path("note.Ilf")}, m_dir.path(), m_home.path(), env);
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    HeadlessView m_view;
};

}  // namespace

TEST_F(SafeSaveTest, a_save_killed_at_any_write_sync_or_rename_leaves_the_whole_old_or_whole_new_note)
{
    // Large enough that the new note leaves the process in several writes.
    const QByteArray newer = SaveNote("new.Ilf", 300, 120);
    const QByteArray older = SaveNote("old.Ilf", 3, 20);
    ASSERT_GT(newer.size(), 200000);

    int killed = 0, sawOld = 0, sawNew = 0;
    bool completed = false;
    for (int at = 1; at <= 200 && !completed; ++at) {
        ASSERT_TRUE(QFile::remove(Path("note.Ilf")) || !QFile::exists(Path("note.Ilf")));
        ASSERT_TRUE(QFile::copy(Path("old.Ilf"), Path("note.Ilf")));
        const ToolRun run = ConvertWithFault(QStringLiteral("kill:%1").arg(at));
        ASSERT_TRUE(run.finished);
        const QByteArray onDisk = Contents(Path("note.Ilf"));
        if (run.crashed) {
            ++killed;
            ASSERT_TRUE(onDisk == older || onDisk == newer)
                << "killed at call " << at << ": " << onDisk.size() << " bytes on disk";
            (onDisk == older ? sawOld : sawNew) += 1;
        } else {
            ASSERT_EQ(run.status, 0) << qPrintable(run.err);
            EXPECT_EQ(onDisk, newer);
            completed = true;
        }
    }
    EXPECT_TRUE(completed);
    // Kills fell in the writes (old note kept) and after the rename (new note in place).
    EXPECT_GE(killed, 4);
    EXPECT_GE(sawOld, 3);
    EXPECT_GE(sawNew, 1);
}

TEST_F(SafeSaveTest, a_full_disk_fails_the_save_with_the_message_and_keeps_the_old_note)
{
    SaveNote("new.Ilf", 300, 120);
    const QByteArray older = SaveNote("note.Ilf", 3, 20);
    for (const char* fault : {"nospace:1", "nospace:3"}) {
        const ToolRun run = ConvertWithFault(QString::fromLatin1(fault));
        ASSERT_TRUE(run.finished && !run.crashed) << fault;
        EXPECT_EQ(run.status, 1) << fault;
        EXPECT_TRUE(run.err.contains("Failed to save document.")) << qPrintable(run.err);
        EXPECT_EQ(Contents(Path("note.Ilf")), older) << fault;
    }
    // Nothing of the failed saves is left beside the note.
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"new.Ilf", "note.Ilf"}));
}

TEST_F(SafeSaveTest, a_full_disk_fails_a_rendered_page_with_a_message_and_keeps_the_old_picture)
{
    SaveNote("new.Ilf", 300, 120);
    const QByteArray older("an older picture");
    QFile picture(Path("page.png"));
    ASSERT_TRUE(picture.open(QIODevice::WriteOnly) && picture.write(older) == older.size());
    picture.close();
    for (const char* fault : {"nospace:1", "nospace:3"}) {
        QProcessEnvironment env;
        env.insert("LD_PRELOAD", INKLEAF_WRITE_FAULT);
        env.insert("INKLEAF_FAULT", QString::fromLatin1(fault));
        const ToolRun run = RunTool({"render", Path("new.Ilf"), Path("page.png")}, m_dir.path(), m_home.path(), env);
        ASSERT_TRUE(run.finished && !run.crashed) << fault;
        EXPECT_EQ(run.status, 1) << fault;
        EXPECT_TRUE(run.err.contains(Path("page.png") + ": ")) << qPrintable(run.err);
        EXPECT_TRUE(run.err.contains("No space left on device")) << qPrintable(run.err);
        EXPECT_EQ(Contents(Path("page.png")), older) << fault;
    }
    EXPECT_EQ(QDir(m_dir.path()).entryList(QDir::Files | QDir::Hidden), QStringList({"new.Ilf", "page.png"}));
}
