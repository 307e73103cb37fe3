#include "LaunchMode.h"

#include <QDeadlineTimer>
#include <QThread>

namespace {

// A letter launch while a letter instance runs: put the inking window away, bring the letter
// window back.
void HandOverToLetterInstance(SharedInstanceState& shared, const ChannelTimeouts& timeouts)
{
    if (std::optional<RemoteWindow> inking = FindWindowOfClass(kInkingFrameClass, timeouts)) {
        inking->Minimize();
        shared.SetInkingRunning(1);
    }
    std::optional<RemoteWindow> letter = FindWindowOfClass(kLetterFrameClass, timeouts);
    if (letter && letter->IsWindowVisible())
        letter->RestoreToForeground();
}

// An inking launch while an inking instance runs: show its window top-most. That instance
// may still be starting, so its window is looked for until the wait runs out.
void HandOverToInkingInstance(const LaunchTimings& timings)
{
    const QDeadlineTimer deadline(timings.inkingWaitMs);
    for (;;) {
        if (std::optional<RemoteWindow> inking = FindWindowOfClass(kInkingFrameClass, timings.channel)) {
            inking->ShowTopmost();
            QThread::msleep(timings.topmostSettleMs);
            return;
        }
        if (deadline.hasExpired())
            return;
        QThread::msleep(std::min<qint64>(timings.inkingRetryMs, deadline.remainingTime()));
    }
}

}  // namespace

LaunchKind LaunchKindOf(const QStringList& arguments)
{
    const QString commandLine = arguments.join(' ').toUpper();
    if (commandLine.contains(QStringLiteral("PVM")))
        return LaunchKind::Plain;
    if (commandLine.contains(kLetterFrameClass))
        return LaunchKind::Letter;
    if (commandLine.contains(kInkingFrameClass))
        return LaunchKind::Inking;
    return LaunchKind::Plain;
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
            HandOverToLetterInstance(session.shared, timings.channel);
            decision.exit = true;
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
