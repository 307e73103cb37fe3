#pragma once
// Where the page image for a mail goes. The mail program reads the attachment after the
// launcher has returned, often much later, so the file cannot be removed at once: it is kept
// in a folder of its own, private to the user, until the next send, the end of the program, or
// a day has passed. The folders live under $XDG_RUNTIME_DIR (else the user's cache folder) in
// "inkleaf-mail", mode 0700; each send gets a new folder with an unguessable name
// ("pvm.tmp-" and six random characters), so the attachment can keep a plain display name
// such as "Inkleaf.jpg" that nobody else can predict, reach or replace.

#include <QString>

class AttachmentFolder {
public:
    AttachmentFolder() = default;
    ~AttachmentFolder() { RemoveCurrent(); }  // the attachment goes with the program
    AttachmentFolder(const AttachmentFolder&) = delete;  // two owners would remove it twice
    AttachmentFolder& operator=(const AttachmentFolder&) = delete;

    // The private folder that holds the per-send folders, made (0700) when missing. Empty when
    // it cannot be made, or exists but is not a folder of this user's alone (it is then left
    // as it is).
    static QString BaseFolder();

    // A path named name in a new per-send folder. The previous send's folder, and every
    // per-send folder older than a day (left by an earlier run), are removed first. Empty when
    // no private folder could be made.
    QString NewAttachmentPath(const QString& name);

    // Removes the folder of the last send, if any.
    void RemoveCurrent();
    // The folder of the last send; empty when none is kept.
    const QString& CurrentFolder() const { return m_current; }

    static constexpr qint64 kMaxAgeSeconds = 24 * 60 * 60;

private:
    static void RemoveStale(const QString& base);

    QString m_current;
};
