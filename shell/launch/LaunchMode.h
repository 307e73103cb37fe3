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
// QCoreApplication::arguments().mid(1)). A launch word is a whole argument, in any letter
// case, bare or after "/", "-" or "--": "/letter", "-INKING", "Letter". Never part of a file
// name: "/home/me/Thinking/a.Ilf" is no inking launch. "PVM" wins over both; "LETTER" wins
// over "INKING".
LaunchKind LaunchKindOf(const QStringList& arguments);

// The file named by the arguments: the first that is neither a launch word nor a switch (a
// word that starts with "-"). An argument starting with "/" that is no launch word is a
// full path, whether or not anything is there. Empty when there is none.
QString FileArgument(const QStringList& arguments);

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
    // A second letter launch with a file looks this long, every inkingRetryMs, for a letter
    // window to hand the file to; then it opens the file itself.
    int letterWaitMs = 10000;
    ChannelTimeouts channel;
};

// Decides the launch from the arguments (as for LaunchKindOf), taking the launch lock into
// session and setting the shared flags:
//   letter, first:   LetterRunning = 1; the frame starts maximised.
//   letter, second:  an "INKING" window is minimised (and InkingRunning = 1), a visible
//                    "LETTER" window is restored and brought to the foreground; exit.
//                    With a file among the arguments, the "LETTER" window is asked instead to
//                    open it (by its full path) and come forward; exit. When no letter window
//                    takes the file, this launch goes on as a plain one to open it itself.
//   inking, first:   InkingRunning = 1; the frame starts hidden, as "INKING".
//   inking, second:  the "INKING" window is shown top-most; exit.
//   plain:           nothing is taken or set; the frame starts maximised.
// Without a private runtime folder every launch goes on as a first one.
LaunchDecision DecideLaunch(const QStringList& arguments, InstanceSession& session,
                            const LaunchTimings& timings = {});

// At the end of the instance: an inking instance clears InkingRunning, any other clears
// LetterRunning.
void ClearInstanceFlag(InstanceSession& session, bool inkingLaunch);
