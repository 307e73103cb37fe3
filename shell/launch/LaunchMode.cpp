#include "LaunchMode.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>

#include <algorithm>

namespace {

// The first window of frameClass that answers, looked for until waitMs have passed (0: once).
std::optional<RemoteWindow> WaitForWindowOfClass(const QString& frameClass, int waitMs, const LaunchTimings& timings)
{
    const QDeadlineTimer deadline(waitMs);
    for (;;) {
        if (std::optional<RemoteWindow> window = FindWindowOfClass(frameClass, timings.channel))
            return window;
        if (deadline.hasExpired())
            return std::nullopt;
        QThread::msleep(std::min<qint64>(timings.inkingRetryMs, deadline.remainingTime()));
    }
}

// A letter launch while a letter instance runs: put the inking window away, bring the letter
// window back, and hand it the file to open when there is one. That instance may still be
// starting, so a file waits for its window. Returns false when nobody took the file.
bool HandOverToLetterInstance(SharedInstanceState& shared, const QString& file, const LaunchTimings& timings)
{
    if (std::optional<RemoteWindow> inking = FindWindowOfClass(kInkingFrameClass, timings.channel)) {
        inking->Minimize();
        shared.SetInkingRunning(1);
    }
    if (file.isEmpty()) {
        std::optional<RemoteWindow> letter = FindWindowOfClass(kLetterFrameClass, timings.channel);
        if (letter && letter->IsWindowVisible())
            letter->RestoreToForeground();
        return true;
    }
    std::optional<RemoteWindow> letter = WaitForWindowOfClass(kLetterFrameClass, timings.letterWaitMs, timings);
    return letter && letter->OpenDocumentFile(QFileInfo(file).absoluteFilePath());
}

// An inking launch while an inking instance runs: show its window top-most. That instance
// may still be starting, so its window is looked for until the wait runs out.
void HandOverToInkingInstance(const LaunchTimings& timings)
{
    if (std::optional<RemoteWindow> inking = WaitForWindowOfClass(kInkingFrameClass, timings.inkingWaitMs, timings)) {
        inking->ShowTopmost();
        QThread::msleep(timings.topmostSettleMs);
    }
}

// Whether argument is word, bare or after "/", "-" or "--", in any letter case.
bool IsWord(const QString& argument, QLatin1String word)
{
    QStringView rest(argument);
    if (rest.startsWith(QLatin1String("--")))
        rest = rest.mid(2);
    else if (rest.startsWith(QLatin1Char('/')) || rest.startsWith(QLatin1Char('-')))
        rest = rest.mid(1);
    return rest.compare(word, Qt::CaseInsensitive) == 0;
}

const QLatin1String kPvmWord("PVM");
const QLatin1String kLetterWord("LETTER");
const QLatin1String kInkingWord("INKING");

bool HasWord(const QStringList& arguments, QLatin1String word)
{
    return std::any_of(arguments.begin(), arguments.end(), [word](const QString& a) { return IsWord(a, word); });
}

bool IsLaunchWord(const QString& argument)
{
    return IsWord(argument, kPvmWord) || IsWord(argument, kLetterWord) || IsWord(argument, kInkingWord);
}

}  // namespace

LaunchKind LaunchKindOf(const QStringList& arguments)
{
    if (HasWord(arguments, kPvmWord))
        return LaunchKind::Plain;
    if (HasWord(arguments, kLetterWord))
        return LaunchKind::Letter;
    if (HasWord(arguments, kInkingWord))
        return LaunchKind::Inking;
    return LaunchKind::Plain;
}

QString FileArgument(const QStringList& arguments)
{
    for (const QString& argument : arguments) {
        if (!argument.isEmpty() && !argument.startsWith(QLatin1Char('-')) && !IsLaunchWord(argument))
            return argument;
    }
    return QString();
}

LaunchDecision DecideLaunch(const QStringList& arguments, InstanceSession& session, const LaunchTimings& timings)
{
    LaunchDecision decision;
    decision.kind = LaunchKindOf(arguments);
    session.shared.Open();  // every instance clears its flag at the end

    switch (decision.kind) {
    case LaunchKind::Plain:
        break;
    case LaunchKind::Letter:
        if (session.lock.Acquire(kLetterLockName)) {
            if (HandOverToLetterInstance(session.shared, FileArgument(arguments), timings))
                decision.exit = true;
            else
                decision.kind = LaunchKind::Plain;  // the file is opened here, beside the letter instance
            break;
        }
        session.shared.SetLetterRunning(1);
        break;
    case LaunchKind::Inking:
        if (session.lock.Acquire(kInkingLockName)) {
            HandOverToInkingInstance(timings);
            decision.exit = true;
            break;
        }
        decision.firstShow = FirstShow::Hidden;
        decision.inkingLaunch = true;
        decision.frameClass = kInkingFrameClass;
        decision.overlayClass = kInkingOverlayClass;
        session.shared.SetInkingRunning(1);
        break;
    }
    return decision;
}

void ClearInstanceFlag(InstanceSession& session, bool inkingLaunch)
{
    if (inkingLaunch)
        session.shared.SetInkingRunning(0);
    else
        session.shared.SetLetterRunning(0);
}
