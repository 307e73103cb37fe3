#pragma once
// The launch mode: which words the command line holds, whether another instance takes over
// (and this process ends quietly), and how this instance's main frame starts.
//
// The application object calls DecideLaunch once at start-up, before the document template
// creates the frame, and keeps its InstanceSession until the process ends. The canvas view
// calls ClearInstanceFlag when it is destroyed.

#include "SingleInstance.h"

#include <QString>
#include <QStringList>

// Names of the launch locks: one running letter instance, one running inking instance.
inline const QString kLetterLockName = QStringLiteral("Inkleaf_");
inline const QString kInkingLockName = QStringLiteral("Lumora_");

// Overlay window classes, following the launch kind like the frame class.
inline const QString kLetterOverlayClass = QStringLiteral("KestroScribon-L");
inline const QString kInkingOverlayClass = QStringLiteral("KestroScribon-I");

enum class LaunchKind {
    Plain,   // none of the words, or "PVM": no lock, no flag, any number may run
    Letter,  // "LETTER": one instance, letter layout
    Inking,  // "INKING": one instance, starts hidden in the inking layout
};

// The launch word of the arguments (those after the program's own name, e.g.
// QCoreApplication::arguments().mid(1)). The words are found anywhere in the arguments
// joined by blanks, in any letter case: "/letter", "-INKING", "notes.pvm" all count.
// "PVM" wins over both; "LETTER" wins over "INKING".
LaunchKind LaunchKindOf(const QStringList& arguments);

enum class FirstShow { Maximized, Hidden };

struct LaunchDecision {
    bool exit = false;            // another instance took over: end this process quietly
    LaunchKind kind = LaunchKind::Plain;
    bool inkingLaunch = false;    // m_bInkingLaunch: the frame starts in the inking layout
    FirstShow firstShow = FirstShow::Maximized;
    QString frameClass = kLetterFrameClass;     // "INKING" for an inking launch, else "LETTER"
    QString overlayClass = kLetterOverlayClass; // "KestroScribon-I" for an inking launch
};

// What an instance holds for its whole life: the lock of its launch kind (none for a plain
// launch) and the shared flags.
struct InstanceSession {
    InstanceLock lock;
    SharedInstanceState shared;
};

// Waits of a second launch.
struct LaunchTimings {
    // A second inking launch looks for the first one's "INKING" window this long, every
    // retryMs, while that instance is still starting; then it gives up and ends quietly.
    int inkingWaitMs = 10000;
    int inkingRetryMs = 100;
    // After asking the inking window to show top-most, before this process ends.
    int topmostSettleMs = 250;
    ChannelTimeouts channel;
};

// Decides the launch from the arguments (as for LaunchKindOf), taking the launch lock into
// session and setting the shared flags:
//   letter, first:   LetterRunning = 1; the frame starts maximised.
//   letter, second:  an "INKING" window is minimised (and InkingRunning = 1), a visible
//                    "LETTER" window is restored and brought to the foreground; exit.
//   inking, first:   InkingRunning = 1; the frame starts hidden, as "INKING".
//   inking, second:  the "INKING" window is shown top-most; exit.
//   plain:           nothing is taken or set; the frame starts maximised.
// Without a private runtime folder every launch goes on as a first one.
LaunchDecision DecideLaunch(const QStringList& arguments, InstanceSession& session,
                            const LaunchTimings& timings = {});

// At the end of the instance: an inking instance clears InkingRunning, any other clears
// LetterRunning.
void ClearInstanceFlag(InstanceSession& session, bool inkingLaunch);
