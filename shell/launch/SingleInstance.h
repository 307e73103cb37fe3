#pragma once
// What the instances of one user share: a private runtime folder, one lock per launch kind,
// the block of two flags, and a channel through which a later launch asks an earlier instance
// to show, minimise or raise its window.
//
// Everything lives in the runtime folder, which only this user can enter. Without such a
// folder single instance is off: locks are never "already held", the flags read 0 and no
// window is ever found.

#include "platform/WinTypes.h"

#include <QObject>
#include <QString>

#include <memory>
#include <optional>

class QLocalServer;
class QLocalSocket;

// Main-frame window classes: an instance launched in inking mode is an "INKING" frame, every
// other instance a "LETTER" frame.
inline const QString kLetterFrameClass = QStringLiteral("LETTER");
inline const QString kInkingFrameClass = QStringLiteral("INKING");

// ---------------------------------------------------------------------------------------------
// Runtime folder

// $XDG_RUNTIME_DIR/inkleaf when XDG_RUNTIME_DIR is a folder of ours with mode 0700, else
// /tmp/inkleaf-<uid>. Created with mode 0700 when missing. Empty when the folder exists but is
// not a real folder owned by us with mode 0700, or cannot be created.
QString RuntimeFolder();
// The same choice for a given XDG_RUNTIME_DIR value (may be empty) and temporary folder.
QString RuntimeFolderFor(const QString& xdgRuntimeDir, const QString& tempFolder);
// True when path is a folder (not a link) owned by the effective user with mode exactly 0700.
bool IsPrivateFolder(const QString& path);

// ---------------------------------------------------------------------------------------------
// Launch locks

// A per-user lock by name (`flock` on "<name>.lock" in the runtime folder). Once taken it is
// held until Release, destruction or the end of the process; the kernel drops it when the
// process ends, crash included. The descriptor is closed on exec, so programs we start never
// keep it. Two locks of one name conflict even inside one process.
class InstanceLock {
public:
    InstanceLock() = default;
    ~InstanceLock();
    InstanceLock(const InstanceLock&) = delete;
    InstanceLock& operator=(const InstanceLock&) = delete;

    // Tries to take the lock. Returns true when the name already existed, that is another
    // live holder has it; this object then holds nothing. Returns false when the lock is now
    // held, and also when there is no runtime folder (nothing is held then).
    // name: letters, digits, '_' and '-' only ("Inkleaf_", "Lumora_").
    bool Acquire(const QString& name);
    bool IsHeld() const { return m_fd >= 0; }
    void Release();

private:
    int m_fd = -1;
};

// ---------------------------------------------------------------------------------------------
// Shared flags

// The two 32-bit flags all instances of the user see: InkingRunning (first word) and
// LetterRunning (second word). A file "instances.state" in the runtime folder, mapped shared.
// Every open instance holds a shared lock on the file; the one that opens it while nobody else
// has it open zeroes both words, so the flags start at 0 even after a crashed instance. Words
// are read and written whole; no lock guards them.
class SharedInstanceState {
public:
    SharedInstanceState() = default;
    ~SharedInstanceState();
    SharedInstanceState(const SharedInstanceState&) = delete;
    SharedInstanceState& operator=(const SharedInstanceState&) = delete;

    // Maps the block. False when there is no runtime folder or the file is not ours; the
    // flags then read 0 and writes are dropped.
    bool Open();
    bool IsOpen() const { return m_words != nullptr; }
    // Unmaps the block; the words stay for the other instances.
    void Close();

    DWORD InkingRunning() const { return Read(0); }
    void SetInkingRunning(DWORD value) { Write(0, value); }
    DWORD LetterRunning() const { return Read(1); }
    void SetLetterRunning(DWORD value) { Write(1, value); }

private:
    DWORD Read(int word) const;
    void Write(int word, DWORD value);

    int m_fd = -1;
    DWORD* m_words = nullptr;
};

// ---------------------------------------------------------------------------------------------
// Window channel
//
// Every instance listens on "<frame class>-<pid>.sock" in the runtime folder. One connection
// carries any number of requests, one line each (UTF-8, ending in '\n', at most 256 bytes;
// an OPEN line at most 16 KiB); each is answered by one line in order:
//
//   HELLO                  -> OK <frame class> <pid>
//   VISIBLE                -> OK 1 | OK 0        is the main frame visible
//   MINIMIZE               -> OK
//   RESTORE                -> OK                 restore and bring to the foreground
//   TOPMOST                -> OK                 restore, raise, top-most at its own place
//   ADD-PAGE-LENGTH        -> OK                 the view adds one page length
//   CLOSE-OVERLAY <class>  -> OK 1 | OK 0        closed its overlay window of that class
//   OPEN <path>            -> OK                 come forward and open the file at path, as
//                                                the document opens any file (asking first
//                                                about unsaved changes); the answer comes at
//                                                once, the opening afterwards
//   anything else          -> ERR <reason>
//
// The path of OPEN is a full path, its bytes percent-encoded (every byte but letters,
// digits, "-._~" and "/"), so blanks and line breaks survive and the longest path fits.
// A longer line ends the connection.

// What an instance does when another one asks. Called on the thread of the WindowChannel,
// from its event loop; the main frame implements it with the real window calls.
class IWindowRequests {
public:
    virtual ~IWindowRequests() = default;
    virtual bool IsWindowVisible() = 0;
    virtual void Minimize() = 0;
    virtual void RestoreToForeground() = 0;
    // Restores and raises the frame and makes it top-most, shown at its own position and size.
    virtual void ShowTopmost() = 0;
    // Same as the "Add Line" command of the view.
    virtual void AddPageLength() = 0;
    // Closes this instance's overlay window when its class is overlayClass. Returns whether
    // there was one.
    virtual bool CloseOverlay(const QString& overlayClass) = 0;
    // Brings the frame forward and opens path (a full path) through the document's usual open
    // flow. Returns at once: the flow, with its questions and messages, runs afterwards from
    // the event loop, so the asking instance is answered in time.
    virtual void OpenDocumentFile(const QString& path) = 0;
};

// The answering side. Lives on the thread whose event loop serves it (the interface thread
// in the program).
class WindowChannel : public QObject {
public:
    explicit WindowChannel(IWindowRequests& handler, QObject* parent = nullptr);
    // Stops listening and removes the socket file.
    ~WindowChannel() override;

    // Starts answering as a window of frameClass. False when there is no runtime folder or
    // the socket cannot be created. A socket file left under our own name by a dead process
    // is replaced.
    bool Listen(const QString& frameClass);
    void Close();
    // The socket file; empty when not listening.
    QString Path() const { return m_path; }

    // Answers every whole request line at the start of pending, taking it out, and appends
    // the answers to answers, a line each. False when pending holds a line longer than a
    // request may be: the connection must then end.
    bool AnswerRequests(QByteArray& pending, QByteArray& answers);

private:
    void Accept();
    void Serve(QLocalSocket* socket, QByteArray& pending);
    QByteArray Answer(const QByteArray& request);

    IWindowRequests& m_handler;
    QLocalServer* m_server = nullptr;
    QString m_frameClass;
    QString m_path;
};

// How long a caller waits for another instance. A hung instance costs at most
// connectMs + answerMs per request, and its channel is given up after the first miss.
struct ChannelTimeouts {
    int connectMs = 250;
    int answerMs = 1000;
};

// The asking side: a connection to one answering instance. Each request returns whether it
// was answered in time; after a miss the connection is dropped and later requests fail at once.
class RemoteWindow {
public:
    RemoteWindow(RemoteWindow&&) noexcept;
    RemoteWindow& operator=(RemoteWindow&&) noexcept;
    ~RemoteWindow();

    QString FrameClass() const { return m_frameClass; }
    qint64 Pid() const { return m_pid; }

    // False also when it does not answer.
    bool IsWindowVisible();
    bool Minimize();
    bool RestoreToForeground();
    bool ShowTopmost();
    bool AddPageLength();
    // True when that instance had an overlay of this class and closed it.
    bool CloseOverlay(const QString& overlayClass);
    // True when that instance took the file to open. path must be a full path.
    bool OpenDocumentFile(const QString& path);

private:
    friend class ChannelDirectory;
    RemoteWindow(std::unique_ptr<QLocalSocket> socket, const ChannelTimeouts& timeouts);
    // The text after "OK" (possibly empty), or nothing when refused or not answered.
    std::optional<QString> Ask(const QString& request);

    std::unique_ptr<QLocalSocket> m_socket;
    ChannelTimeouts m_timeouts;
    QString m_frameClass;
    qint64 m_pid = 0;
};

// The first instance with a main frame of frameClass that answers, newest first. Socket files
// of processes that no longer exist are removed on the way; an instance that does not answer
// in time is passed over. A channel served by the calling thread itself is skipped: it could
// not answer while this thread waits (and it is our own window).
std::optional<RemoteWindow> FindWindowOfClass(const QString& frameClass, const ChannelTimeouts& timeouts = {});

// Asks the other instances, newest first, to close an overlay window of overlayClass, until
// one reports that it had one. Returns whether one was closed.
bool CloseOverlayOfClass(const QString& overlayClass, const ChannelTimeouts& timeouts = {});
