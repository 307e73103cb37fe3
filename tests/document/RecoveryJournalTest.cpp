// The recovery journal of a note: what a later start reads back from it must be the note as it
// was after the last change, byte for byte, whatever was done to it and however the journal
// ended.

#include "ScriptedPrompts.h"

#include "../ink/InkTestSupport.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "document/JournalFormat.h"
#include "document/LeftJournal.h"
#include "document/RecoveryJournal.h"
#include "document/RecoveryOffer.h"
#include "platform/StringSource.h"

#include <QBuffer>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <functional>

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr WORD kPencilType = 2;
constexpr WORD kEraserType = 1;

class RecoveryJournalTest : public ::testing::Test {
protected:
    RecoveryJournalTest() : m_view(m_doc, CRect(0, 0, 1024, 768), m_dir.filePath("KSTPVX.ini"))
    {
        m_doc.SetJournal(m_journal.get());
        m_doc.OnNewDocument();
    }

    QString Folder() const { return m_dir.filePath("state/inkleaf"); }

    // A pencil stroke of n points from (x, y), written as the capture hands it over.
    void Write(int x, int y, int n = 12)
    {
        std::vector<POINT> points;
        for (int i = 0; i < n; ++i)
            points.push_back({x + 3 * i, y + (i % 3)});
        m_doc.m_lines.Add(MakeStroke(kPencilType, points, SHORT(100 + n)));
        m_doc.SetModifiedFlag(true);
        m_doc.JournalStroke();
    }

    QByteArray LiveNote()
    {
        QByteArray bytes;
        QBuffer buffer(&bytes);
        buffer.open(QIODevice::WriteOnly);
        CArchive ar(&buffer, CArchive::store);
        m_doc.Serialize(ar);
        ar.Close();
        return bytes;
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // Makes the file look last written seconds ago.
    static void Age(const QString& path, int seconds)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadWrite));
        ASSERT_TRUE(file.setFileTime(QDateTime::currentDateTime().addSecs(-seconds), QFileDevice::FileModificationTime));
    }

    // The note read back from the one journal a later start finds.
    QByteArray FoundNote()
    {
        std::vector<LeftJournal> found = LeftJournal::Find(Folder(), "letter");
        EXPECT_EQ(found.size(), 1u);
        if (found.size() != 1)
            return {};
        const std::optional<JournalState> state = found[0].Read();
        EXPECT_TRUE(state && state->hasNote);
        return state && state->hasNote ? state->Note() : QByteArray();
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    std::unique_ptr<RecoveryJournal> m_journal = std::make_unique<RecoveryJournal>(Folder(), "letter");
    CScrivaDoc m_doc;
    HeadlessView m_view;
};

}  // namespace

TEST_F(RecoveryJournalTest, strokes_undo_redo_erase_and_page_changes_read_back_as_the_live_note)
{
    EXPECT_FALSE(QFile::exists(Folder()));  // a new note with no change has no journal
    Write(100, 100);
    ASSERT_TRUE(m_journal->IsOpen());
    Write(100, 200);
    Write(400, 300, 30);
    CRect undone = m_doc.m_lines.Undo();
    ASSERT_FALSE(undone.IsRectNull());
    m_doc.JournalUndoneStroke();
    DrawingSurface& page = m_view.PageSurface();
    m_doc.m_lines.Redo(&page);
    m_doc.JournalStroke();
    m_doc.m_lines.Add(MakeStroke(kEraserType, LoopPoints(CRect(90, 90, 200, 120)), 1, kBlack));
    ASSERT_FALSE(m_doc.m_lines.EraseByLasso().IsRectEmpty());
    m_doc.JournalNote();
    Write(500, 500);
    m_doc.m_lines.Undo();
    m_doc.JournalUndoneStroke();
    m_doc.m_lines.Undo();  // the erase: its stroke comes back in its place
    m_doc.JournalNote();
    PageSettings settings = m_view.GetPageSettings();
    settings.lineColor = RGB(10, 20, 30);
    m_view.SetPageSettings(settings);
    m_doc.JournalNote();
    Write(600, 50, 3);
    ASSERT_EQ(m_doc.m_lines.GetCount(), 4);

    const QByteArray live = LiveNote();
    m_journal.reset();  // the instance ends without saving
    EXPECT_EQ(FoundNote(), live);

    // The file and its folder are the user's alone.
    const QFileInfoList files = QDir(Folder()).entryInfoList(QDir::Files);
    ASSERT_EQ(files.size(), 1);
    struct stat st {};
    ASSERT_EQ(::stat(QFile::encodeName(files[0].filePath()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0600u);
    ASSERT_EQ(::stat(QFile::encodeName(Folder()).constData(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0700u);
}

TEST_F(RecoveryJournalTest, a_record_cut_short_keeps_everything_before_it)
{
    for (int i = 0; i < 5; ++i)
        Write(50, 40 + 60 * i);
    const QByteArray beforeLast = LiveNote();
    Write(50, 400, 40);
    const QString path = m_journal->Path();
    m_journal.reset();

    // The crash came in the middle of the last record, or damaged one byte of it.
    const QByteArray whole = Contents(path);
    for (const int cut : {1, 9, 200}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(whole.left(whole.size() - cut));
        file.close();
        EXPECT_EQ(FoundNote(), beforeLast) << cut;
    }
    QByteArray flipped = whole;
    flipped[flipped.size() - 20] = char(flipped[flipped.size() - 20] ^ 0x40);
    const std::optional<JournalState> state = JournalFormat::Parse(flipped);
    ASSERT_TRUE(state);
    EXPECT_TRUE(state->damagedTail);
    EXPECT_EQ(state->Note(), beforeLast);
    // Not a journal at all.
    EXPECT_FALSE(JournalFormat::Parse(QByteArray("Ilf\0\0\0\0\0", 8)));
}

TEST_F(RecoveryJournalTest, a_running_instances_journal_is_never_found_and_an_ended_ones_is)
{
    Write(100, 100);
    EXPECT_TRUE(LeftJournal::Find(Folder(), "letter").empty());
    // Another kind's start does not look at it either.
    RecoveryJournal inking(Folder(), "inking");
    inking.Snapshot(LiveNote(), QString(), QString());
    m_journal.reset();
    EXPECT_TRUE(LeftJournal::Find(Folder(), "inking").empty());
    std::vector<LeftJournal> found = LeftJournal::Find(Folder(), "letter");
    ASSERT_EQ(found.size(), 1u);
    // While one start holds it, a second start at the same moment does not offer it too.
    EXPECT_TRUE(LeftJournal::Find(Folder(), "letter").empty());
    const QString aside = found[0].MoveAside(".declined");
    EXPECT_TRUE(QFile::exists(aside));
    found.clear();
    EXPECT_TRUE(LeftJournal::Find(Folder(), "letter").empty());
}

TEST_F(RecoveryJournalTest, a_snapshot_left_half_written_by_an_ended_instance_is_removed_at_start)
{
    // A kill during the very first snapshot leaves only its ".new" file, one during a later
    // rewrite leaves it beside the journal; neither is ever renamed over anything again.
    Write(100, 100);
    const QString journal = m_journal->Path();
    const QString crashed = Folder() + "/letter-999-00000000000000ab.journal.new";
    const QString beside = journal + ".new";
    const QString writing = Folder() + "/letter-998-00000000000000cd.journal.new";
    for (const QString& path : {crashed, beside, writing}) {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(JournalFormat::Signature() + "half a snapshot");
    }
    // A running instance is still writing this one, and holds its lock.
    const int held = ::open(QFile::encodeName(writing).constData(), O_RDONLY | O_CLOEXEC);
    ASSERT_GE(held, 0);
    ASSERT_EQ(::flock(held, LOCK_EX | LOCK_NB), 0);
    m_journal.reset();

    std::vector<LeftJournal> found = LeftJournal::Find(Folder(), "letter");
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Path(), journal);
    EXPECT_FALSE(QFile::exists(crashed));
    EXPECT_FALSE(QFile::exists(beside));
    EXPECT_TRUE(QFile::exists(writing));
    ::close(held);
}

TEST_F(RecoveryJournalTest, saving_new_and_opening_remove_the_journal)
{
    Write(100, 100);
    const QString first = m_journal->Path();
    ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("a.Ilf")));
    EXPECT_FALSE(QFile::exists(first));
    EXPECT_FALSE(m_journal->IsOpen());

    Write(100, 200);
    ASSERT_TRUE(QFile::exists(m_journal->Path()));
    m_prompts.QueueAnswer(IDNO);  // New, and the changes are not wanted
    ASSERT_TRUE(m_doc.OnFileNew());
    EXPECT_TRUE(QDir(Folder()).entryList(QDir::Files).isEmpty());

    Write(100, 400);
    ASSERT_TRUE(m_doc.OnOpenDocument(m_dir.filePath("a.Ilf")));
    EXPECT_TRUE(QDir(Folder()).entryList(QDir::Files).isEmpty());
}

TEST_F(RecoveryJournalTest, a_long_session_keeps_the_journal_a_small_multiple_of_the_note)
{
    // Writing, and undoing and redoing each stroke five times: the records would be six
    // times the note; the journal is rewritten as it grows.
    qint64 largest = 0;
    for (int i = 0; i < 300; ++i) {
        Write(10 + i % 300, 10 + (i * 7) % 1200, 40);
        for (int k = 0; k < 5; ++k) {
            m_doc.m_lines.Undo();
            m_doc.JournalUndoneStroke();
            m_doc.m_lines.Redo(&m_view.PageSurface());
            m_doc.JournalStroke();
        }
        largest = std::max(largest, QFileInfo(m_journal->Path()).size());
    }
    const QByteArray live = LiveNote();
    ASSERT_GT(live.size(), 100000);
    EXPECT_LT(largest, 4 * live.size());
    m_journal.reset();
    EXPECT_EQ(FoundNote(), live);
}

TEST_F(RecoveryJournalTest, the_rewrite_runs_apart_from_the_pen_and_keeps_what_is_written_meanwhile)
{
    // The rewrite is held back here until the test lets it run, as a busy thread would be.
    std::vector<std::function<void()>> rewrites;
    m_doc.SetJournal(nullptr);
    m_journal = std::make_unique<RecoveryJournal>(Folder(), "letter",
                                                  [&rewrites](std::function<void()> rewrite) {
                                                      rewrites.push_back(std::move(rewrite));
                                                  });
    m_doc.SetJournal(m_journal.get());
    Write(100, 100, 40);
    int strokes = 1;
    while (rewrites.empty() && strokes < 1000) {
        Write(10 + strokes % 300, 10 + (strokes * 7) % 1200, 40);
        ++strokes;
    }
    ASSERT_EQ(rewrites.size(), 1u);
    // The pen did not wait for it: the journal still holds a record for each stroke.
    const std::optional<JournalState> grown = JournalFormat::Parse(Contents(m_journal->Path()));
    ASSERT_TRUE(grown);
    EXPECT_EQ(grown->records, 2 + strokes - 1);

    // Written, undone and redone while the rewrite runs.
    Write(500, 500, 40);
    Write(520, 520, 40);
    m_doc.m_lines.Undo();
    m_doc.JournalUndoneStroke();
    Write(540, 540, 40);
    m_doc.m_lines.Undo();
    m_doc.JournalUndoneStroke();
    m_doc.m_lines.Redo(&m_view.PageSurface());
    m_doc.JournalStroke();
    EXPECT_EQ(rewrites.size(), 1u);
    rewrites.front()();

    // One snapshot now, followed by the six records written meanwhile, in their order.
    const std::optional<JournalState> rewritten = JournalFormat::Parse(Contents(m_journal->Path()));
    ASSERT_TRUE(rewritten);
    EXPECT_EQ(rewritten->records, 8);
    EXPECT_EQ(rewritten->Note(), LiveNote());
    Write(560, 560, 40);
    const QByteArray live = LiveNote();
    m_doc.SetJournal(nullptr);
    m_journal.reset();
    EXPECT_EQ(FoundNote(), live);
}

TEST_F(RecoveryJournalTest, a_restored_note_saves_to_the_bytes_it_had_and_where_it_was)
{
    Write(100, 100);
    ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("kept.Ilf")));
    Write(100, 200);
    Write(300, 250, 5);
    const QByteArray live = LiveNote();
    m_journal.reset();
    std::vector<LeftJournal> found = LeftJournal::Find(Folder(), "letter");
    ASSERT_EQ(found.size(), 1u);
    const std::optional<JournalState> state = found[0].Read();
    ASSERT_TRUE(state && state->hasNote);
    EXPECT_EQ(state->pathName, m_dir.filePath("kept.Ilf"));

    // A later instance with a journal of its own.
    RecoveryJournal next(Folder(), "letter");
    CScrivaDoc doc;
    HeadlessView view(doc, CRect(0, 0, 1024, 768), m_dir.filePath("KSTPVX.ini"));
    doc.SetJournal(&next);
    doc.OnNewDocument();
    ASSERT_TRUE(doc.RestoreNote(state->Note(), state->pathName, state->currentPath));
    EXPECT_TRUE(doc.IsModified());
    EXPECT_EQ(doc.GetTitle(), "kept.Ilf");
    EXPECT_TRUE(next.IsOpen());  // kept safe by the new instance from now on
    m_prompts.QueueAnswer(IDYES);
    ASSERT_TRUE(doc.CanCloseFrame());  // "Save changes?" Yes: saved where it came from
    EXPECT_EQ(Contents(m_dir.filePath("kept.Ilf")), live);
    EXPECT_FALSE(next.IsOpen());

    // Bytes that are no note are refused with a message, and the page stays as it was.
    const int before = doc.m_lines.GetCount();
    EXPECT_FALSE(doc.RestoreNote(QByteArray(40, '\xff'), QString(), QString()));
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_EQ(doc.m_lines.GetCount(), before);
}

TEST_F(RecoveryJournalTest, each_left_note_is_offered_newest_first_and_no_moves_it_aside)
{
    // An older run left one note, a later run another; a third left a file with no note.
    Write(100, 100);
    const QString olderPath = m_journal->Path();
    m_journal.reset();
    Age(olderPath, 60);
    {
        RecoveryJournal later(Folder(), "letter");
        m_doc.SetJournal(&later);
        Write(100, 300);
        Write(100, 400);
        m_doc.SetJournal(nullptr);
    }
    QFile damaged(QDir(Folder()).filePath("letter-1-00.journal"));
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(JournalFormat::Signature() + "cut");
    damaged.close();
    Age(damaged.fileName(), 30);

    RecoveryJournal next(Folder(), "letter");
    CScrivaDoc doc;
    HeadlessView view(doc, CRect(0, 0, 1024, 768), m_dir.filePath("KSTPVX.ini"));
    doc.SetJournal(&next);
    doc.OnNewDocument();
    m_prompts.QueueAnswer(IDNO);
    m_prompts.QueueAnswer(IDYES);
    ASSERT_TRUE(OfferRecovery(doc, Folder(), "letter"));

    ASSERT_EQ(m_prompts.Messages().size(), 2u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Inkleaf closed unexpectedly. Restore the unsaved note?");
    EXPECT_EQ(m_prompts.Messages()[0].type, UINT(MB_YESNO | MB_ICONQUESTION));
    // The later note was declined and kept aside, the damaged file too; the older one restored.
    const QStringList left = QDir(Folder()).entryList(QDir::Files, QDir::Name);
    ASSERT_EQ(left.size(), 3);
    EXPECT_TRUE(left.contains("letter-1-00.journal.damaged"));
    EXPECT_FALSE(left.contains(QFileInfo(olderPath).fileName()));
    EXPECT_TRUE(left.contains(QFileInfo(next.Path()).fileName()));
    QString declined;
    for (const QString& name : left)
        if (name.endsWith(".declined"))
            declined = QDir(Folder()).filePath(name);
    ASSERT_FALSE(declined.isEmpty());
    const std::optional<JournalState> kept = JournalFormat::Parse(Contents(declined));
    ASSERT_TRUE(kept && kept->hasNote);
    EXPECT_EQ(kept->strokes.size(), 3);
    EXPECT_EQ(doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(doc.IsModified());

    // Nothing is offered twice.
    m_prompts.QueueAnswer(IDYES);
    EXPECT_FALSE(OfferRecovery(doc, Folder(), "letter"));
    EXPECT_EQ(m_prompts.Messages().size(), 2u);
}
