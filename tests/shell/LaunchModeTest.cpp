#include "InstanceTestSupport.h"

#include "shell/launch/LaunchMode.h"

namespace {

LaunchTimings FastTimings()
{
    LaunchTimings timings;
    timings.inkingWaitMs = 3000;
    timings.inkingRetryMs = 10;
    timings.topmostSettleMs = 0;
    timings.letterWaitMs = 3000;
    timings.channel = {100, 500};
    return timings;
}

}  // namespace

TEST(LaunchWords, are_whole_arguments_in_any_case)
{
    EXPECT_EQ(LaunchKindOf({}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"notes.Ilf"}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"/letter"}), LaunchKind::Letter);
    EXPECT_EQ(LaunchKindOf({"-INKING"}), LaunchKind::Inking);
    EXPECT_EQ(LaunchKindOf({"Letter"}), LaunchKind::Letter);
    EXPECT_EQ(LaunchKindOf({"a.Ilf", "/InKiNg"}), LaunchKind::Inking);
    EXPECT_EQ(LaunchKindOf({"/home/me/Letters/a.Ilf"}), LaunchKind::Plain) << "never part of a file name";
    EXPECT_EQ(LaunchKindOf({"/home/me/Thinking/a.Ilf"}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"/PVMs/a.Ilf", "-letter"}), LaunchKind::Letter);
    EXPECT_EQ(LaunchKindOf({"letter.Ilf", "//letter", "/inking/"}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"letter.Ilf", "--inking"}), LaunchKind::Inking);
    EXPECT_EQ(LaunchKindOf({"/let", "ter"}), LaunchKind::Plain) << "arguments are kept apart";
}

TEST(LaunchWords, letter_wins_over_inking_and_pvm_over_both)
{
    EXPECT_EQ(LaunchKindOf({"/inking", "/letter"}), LaunchKind::Letter);
    EXPECT_EQ(LaunchKindOf({"/LETTERINKING"}), LaunchKind::Plain) << "one word, neither of them";
    EXPECT_EQ(LaunchKindOf({"/pvm", "/letter"}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"-Inking", "PVM"}), LaunchKind::Plain);
    EXPECT_EQ(LaunchKindOf({"-Inking", "x.pvm"}), LaunchKind::Inking) << "a file name";
}

TEST(LaunchWords, the_file_is_the_first_argument_that_is_neither_a_word_nor_a_switch)
{
    EXPECT_EQ(FileArgument({"/letter", "/home/me/Thinking/a.Ilf"}), "/home/me/Thinking/a.Ilf")
        << "a full path, taken even when nothing is there";
    EXPECT_EQ(FileArgument({"LETTER", "notes.Ilf", "other.Ilf"}), "notes.Ilf");
    EXPECT_EQ(FileArgument({"-inking", "-x", "/PVM"}), QString());
    EXPECT_EQ(FileArgument({}), QString());
}

using Launch = RuntimeFolderTest;

TEST_F(Launch, first_letter_launch_takes_the_letter_lock_and_sets_its_flag)
{
    InstanceSession session;
    const LaunchDecision decision = DecideLaunch({"/letter"}, session, FastTimings());
    EXPECT_FALSE(decision.exit);
    EXPECT_EQ(decision.kind, LaunchKind::Letter);
    EXPECT_FALSE(decision.inkingLaunch);
    EXPECT_EQ(decision.firstShow, FirstShow::Maximized);
    EXPECT_EQ(decision.frameClass, "LETTER");
    EXPECT_EQ(decision.overlayClass, "KestroScribon-L");
    EXPECT_EQ(session.shared.LetterRunning(), 1u);
    EXPECT_EQ(session.shared.InkingRunning(), 0u);
    InstanceLock other;
    EXPECT_TRUE(other.Acquire("Inkleaf_"));
    EXPECT_FALSE(other.Acquire("Lumora_"));
}

TEST_F(Launch, first_inking_launch_starts_hidden_as_an_inking_frame)
{
    InstanceSession session;
    const LaunchDecision decision = DecideLaunch({"-INKING"}, session, FastTimings());
    EXPECT_FALSE(decision.exit);
    EXPECT_TRUE(decision.inkingLaunch);
    EXPECT_EQ(decision.firstShow, FirstShow::Hidden);
    EXPECT_EQ(decision.frameClass, "INKING");
    EXPECT_EQ(decision.overlayClass, "KestroScribon-I");
    EXPECT_EQ(session.shared.InkingRunning(), 1u);
    EXPECT_EQ(session.shared.LetterRunning(), 0u);
    InstanceLock other;
    EXPECT_TRUE(other.Acquire("Lumora_"));
    EXPECT_FALSE(other.Acquire("Inkleaf_"));
}

TEST_F(Launch, plain_launches_take_nothing_even_beside_a_letter_instance)
{
    InstanceSession letter;
    ASSERT_FALSE(DecideLaunch({"/letter"}, letter, FastTimings()).exit);
    letter.shared.SetLetterRunning(0);
    RecordingWindow window;
    ServedChannel served("LETTER", window);

    for (const QStringList& arguments : {QStringList{}, QStringList{"/pvm", "/letter"}, QStringList{"/PVM", "/inking"}}) {
        InstanceSession session;
        const LaunchDecision decision = DecideLaunch(arguments, session, FastTimings());
        EXPECT_FALSE(decision.exit) << arguments.join(' ').toStdString();
        EXPECT_FALSE(decision.inkingLaunch);
        EXPECT_EQ(decision.firstShow, FirstShow::Maximized);
        EXPECT_EQ(decision.frameClass, "LETTER");
        EXPECT_FALSE(session.lock.IsHeld());
    }
    EXPECT_EQ(letter.shared.LetterRunning(), 0u);
    EXPECT_EQ(letter.shared.InkingRunning(), 0u);
    EXPECT_EQ(window.restored.load() + window.minimized.load() + window.topmost.load(), 0);
}

TEST_F(Launch, second_letter_launch_minimises_inking_and_brings_the_letter_window_back)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/letter"}, first, FastTimings()).exit);
    RecordingWindow inking, letter;
    ServedChannel inkingChannel("INKING", inking);
    ServedChannel letterChannel("LETTER", letter);

    InstanceSession second;
    const LaunchDecision decision = DecideLaunch({"/Letter", "/inking"}, second, FastTimings());
    EXPECT_TRUE(decision.exit);
    EXPECT_FALSE(second.lock.IsHeld());
    EXPECT_EQ(inking.minimized.load(), 1);
    EXPECT_EQ(first.shared.InkingRunning(), 1u);
    EXPECT_EQ(letter.restored.load(), 1);
    EXPECT_EQ(inking.restored.load() + letter.minimized.load(), 0);
}

TEST_F(Launch, second_letter_launch_leaves_a_hidden_letter_window_and_absent_inking_alone)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/letter"}, first, FastTimings()).exit);
    RecordingWindow letter;
    letter.visible = false;
    ServedChannel letterChannel("LETTER", letter);

    InstanceSession second;
    EXPECT_TRUE(DecideLaunch({"/letter"}, second, FastTimings()).exit);
    EXPECT_EQ(letter.restored.load(), 0);
    EXPECT_EQ(first.shared.InkingRunning(), 0u);
    EXPECT_EQ(first.shared.LetterRunning(), 1u);
}

TEST_F(Launch, second_letter_launch_hands_its_file_to_the_letter_instance)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/letter"}, first, FastTimings()).exit);
    RecordingWindow letter;
    ServedChannel letterChannel("LETTER", letter, 150);  // the first instance is still starting

    InstanceSession second;
    const LaunchDecision decision = DecideLaunch({"/letter", "notes/a b.Ilf"}, second, FastTimings());
    EXPECT_TRUE(decision.exit);
    EXPECT_EQ(letter.Opened(), QStringList{QDir::current().absoluteFilePath("notes/a b.Ilf")})
        << "a relative name is taken from this launch's folder";
    EXPECT_FALSE(second.lock.IsHeld());
}

TEST_F(Launch, a_file_no_letter_instance_takes_is_opened_by_the_launch_itself)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/letter"}, first, FastTimings()).exit);
    RecordingWindow inking;
    ServedChannel inkingChannel("INKING", inking);  // no letter window answers

    LaunchTimings timings = FastTimings();
    timings.letterWaitMs = 100;
    InstanceSession second;
    const LaunchDecision decision = DecideLaunch({"/letter", "/home/me/a.Ilf"}, second, timings);
    EXPECT_FALSE(decision.exit) << "the file would be lost";
    EXPECT_EQ(decision.kind, LaunchKind::Plain);
    EXPECT_FALSE(second.lock.IsHeld());
    EXPECT_EQ(inking.Opened(), QStringList());
    EXPECT_EQ(first.shared.LetterRunning(), 1u) << "the letter instance's flag is left alone";
}

TEST_F(Launch, second_inking_launch_shows_the_first_one_topmost_once_its_window_exists)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/inking"}, first, FastTimings()).exit);
    RecordingWindow inking;
    ServedChannel late("INKING", inking, 150);  // the first instance is still starting

    InstanceSession second;
    EXPECT_TRUE(DecideLaunch({"/inking"}, second, FastTimings()).exit);
    EXPECT_EQ(inking.topmost.load(), 1);
    EXPECT_EQ(inking.minimized.load() + inking.restored.load(), 0);
}

TEST_F(Launch, second_inking_launch_gives_up_quietly_when_no_window_comes)
{
    InstanceSession first;
    ASSERT_FALSE(DecideLaunch({"/inking"}, first, FastTimings()).exit);
    RecordingWindow letter;
    ServedChannel letterChannel("LETTER", letter);

    LaunchTimings timings = FastTimings();
    timings.inkingWaitMs = 100;
    InstanceSession second;
    const LaunchDecision decision = DecideLaunch({"/inking"}, second, timings);
    EXPECT_TRUE(decision.exit);
    EXPECT_EQ(letter.topmost.load(), 0) << "only an inking window is shown top-most";
    EXPECT_EQ(first.shared.InkingRunning(), 1u);
}

TEST_F(Launch, without_a_runtime_folder_every_launch_goes_on)
{
    ASSERT_EQ(::chmod(QFile::encodeName(Folder()).constData(), 0755), 0);
    InstanceSession first, second;
    EXPECT_FALSE(DecideLaunch({"/letter"}, first, FastTimings()).exit);
    EXPECT_FALSE(DecideLaunch({"/letter"}, second, FastTimings()).exit);
    EXPECT_FALSE(first.lock.IsHeld());
}

TEST_F(Launch, ending_instance_clears_only_its_own_flag)
{
    InstanceSession inking, letter;
    ASSERT_FALSE(DecideLaunch({"/inking"}, inking, FastTimings()).exit);
    ASSERT_FALSE(DecideLaunch({"/letter"}, letter, FastTimings()).exit);
    ASSERT_EQ(letter.shared.InkingRunning(), 1u);
    ASSERT_EQ(letter.shared.LetterRunning(), 1u);

    ClearInstanceFlag(inking, true);
    EXPECT_EQ(letter.shared.InkingRunning(), 0u);
    EXPECT_EQ(letter.shared.LetterRunning(), 1u);
    inking.shared.SetInkingRunning(1);
    ClearInstanceFlag(inking, false);
    EXPECT_EQ(letter.shared.InkingRunning(), 1u);
    EXPECT_EQ(letter.shared.LetterRunning(), 0u);
}
