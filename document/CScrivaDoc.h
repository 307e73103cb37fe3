#pragma once
// The note: its strokes and pictures, the page settings it carries (kept by the view), where
// it came from, and the flows that open, save, export and start notes.

#include "IDocumentView.h"
#include "ISplitDialog.h"

#include "ink/CLines.h"
#include "mail/AttachmentFolder.h"
#include "pictures/CPictureList.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>

class CArchive;
class RecoveryJournal;

class CScrivaDoc {
public:
    // Saving under a ".pdf" name writes the printed sheets as a PDF file.
    static constexpr const char* kNoteFilterLetter =
        "Inkleaf(*.Ilf)|*.Ilf|Tavlos(*.QVN)|*.QVN|JPG File (*.jpg)|*.jpg|PDF File (*.pdf)|*.pdf||";
    static constexpr const char* kNoteFilterDesktop = "Inkleaf(*.Ilf)|*.Ilf||";
    static constexpr const char* kNoteFilterInking = "Inkleaf(*.Ilf)|*.Ilf|JPG File (*.jpg)|*.jpg|PDF File (*.pdf)|*.pdf||";
    static constexpr const char* kOpenFilter = "Inkleaf Files(*.Ilf;*.QVN)|*.Ilf;*.QVN||";

    CScrivaDoc();

    // The view must outlive the document's use of it.
    void SetView(IDocumentView* view);
    // The alternative interface names new notes by date and serial.
    void SetAlternativeInterface(bool on) { m_bAlternativeUi = on; }
    // Told of every note opened or saved, for the recent-file list.
    void SetRecentFileSink(std::function<void(const QString&)> sink) { m_addToRecent = std::move(sink); }

    CLines m_lines;
    CPictureList m_pictures;

    // The journal every change of the note goes to until it is saved (not owned; none in the
    // tool). Whoever changes the note tells it right after the change: the last shown stroke
    // was written or redone (JournalStroke), the last shown stroke was undone
    // (JournalUndoneStroke), or anything else changed: an erase, its undo or redo, a picture,
    // the page's settings (JournalNote).
    void SetJournal(RecoveryJournal* journal) { m_pJournal = journal; }
    RecoveryJournal* Journal() const { return m_pJournal; }
    void JournalStroke();
    void JournalUndoneStroke();
    void JournalNote();
    // Rebuilds the note from the bytes of a note file as unsaved changes to the note at
    // pathName (empty for a new note); currentPath is the name Save offers. False, after a
    // message, when the bytes are no note.
    bool RestoreNote(const QByteArray& note, const QString& pathName, const QString& currentPath);

    bool IsModified() const { return m_bModified; }
    void SetModifiedFlag(bool modified = true) { m_bModified = modified; }
    const QString& GetTitle() const { return m_strTitle; }
    void SetTitle(const QString& title);
    const QString& GetPathName() const { return m_strPathName; }
    const QString& CurrentPath() const { return m_currentPath; }
    const QString& OpenedPath() const { return m_openedPath; }
    const QString& PendingDeviceFile() const { return m_pendingDeviceFile; }
    bool ReloadFolder() const { return m_reloadFolder != 0; }

    bool OnNewDocument();
    bool OnOpenDocument(const QString& path);
    bool OnSaveDocument(const QString& path);
    // Reads or writes the note format. A load that fails raises the archive error and
    // leaves the note as it was.
    void Serialize(CArchive& ar);

    // Commands.
    void OnFileSave();
    void OnFileOpen();
    // New: asks to save a modified note first. Returns false when the user cancelled.
    bool OnFileNew();
    // Opens path as a document (shell, drop, command line, another launch), asking to save
    // changes first. A name that is neither a note's nor a device file's, a missing file and
    // anything but a regular file are reported and refused before that question.
    bool OpenDocumentFile(const QString& path);
    // Page navigation through the notes and device files of the current file's folder.
    void OnPrevPage() { MovePage(-1); }
    void OnNextPage() { MovePage(+1); }
    const QStringList& FolderFiles() const { return m_folderFiles; }
    // The pages of folder: its device files and notes, extensions matched in any case,
    // sorted by the bytes of their paths.
    static QStringList PagesOfFolder(const QString& folder);

    // Asks to save a modified note: true to go on (saved or discarded), false to stay.
    bool SaveModified();
    // Closing the frame: the save question, with the tablet parked around it.
    bool CanCloseFrame();

    // Device files. Split writes the page's strokes, cut in two where the split dialog says,
    // as two device files; the page stays as it is. Merge replays a device file onto the page,
    // so its strokes join those already there.
    static constexpr const char* kDeviceFilter = "Tavlos(*.QVN)|*.QVN||";
    void SetSplitDialog(ISplitDialog* dialog) { m_splitDialog = dialog; }
    ISplitDialog* SplitDialog() const { return m_splitDialog; }
    void OnSplit();
    void OnMerge();

    // Send to Mail Recipient (CScrivaDocMail.cpp): the page image as the attachment of a new
    // message in the user's mail program.
    void OnSendMail();
    bool IsSendingMail() const { return m_sendingMail != 0; }
    // The folder the last attachment waits in, for its mail program.
    const AttachmentFolder& Attachments() const { return m_attachments; }

    // The name offered for a new note when the alternative interface is on: the date as
    // MMDDYYYY- and the next serial of that day after recordDate.
    static QString DatedPrefix(const QDate& date);
    static QString SuggestedName(const QString& prefix, const QString& recordDate);

    // Writes the JPEG file that saving under a ".jpg" name writes (the export extent of the
    // page buffer) to path, whatever its name. Returns false, after the message, when the
    // file could not be written.
    bool ExportPageImage(const QString& path);

    // The JPEG export's image size: content extent (300 when empty) + 20, within the page.
    SIZE ExportExtent() const;

    // The note name offered for a page replayed from the device file at path: the same folder
    // and name with the extension ".Ilf".
    static QString NoteNameFor(const QString& path);

private:
    // Asks for a name as Save does and saves under it; false when cancelled or not saved.
    bool SaveAsAsked();
    // Saves under path by the kind its name gives (note, device file, JPEG); only when that
    // succeeded does the name become the title and the name offered next.
    bool SaveAs(const QString& path);
    // OnSaveDocument's writing, by the kind of the name.
    bool WriteAs(const QString& path);
    bool SaveNote(const QString& path);
    // One half of a split, when path is a device file's name; says so when it is not written.
    void WriteSplitHalf(const QString& path, int firstStroke, int endStroke);
    static void ShowSaveFailure();
    bool LoadNote(const QString& path);
    bool ExportImage(const QString& path);
    bool ExportPdf(const QString& path);
    void SendMail();
    // The attachment of a mail being sent: the JPEG export of the page. A path that is not the
    // mail's is left alone (true, nothing written).
    bool WriteAttachment(const QString& path);
    bool WriteDesktopAttachment(const QString& path);
    void ClearFolderFiles();
    void MovePage(int step);
    // The note on disk, or none, is all there is: the journal goes.
    void DropJournal();

    IDocumentView* m_pView = nullptr;
    DWORD m_imageFormat = 1;  // JPEG
    QStringList m_folderFiles;
    QString m_openedPath;
    BYTE m_reloadFolder = 0;
    QString m_currentPath;
    BYTE m_sendingMail = 0;
    BYTE m_saveAsImage = 0;
    BYTE m_saveAsPdf = 0;  // 1 while a save writes the printed sheets as a PDF file

    bool m_bModified = false;
    QString m_strTitle;
    QString m_strPathName;
    QString m_pendingDeviceFile;
    bool m_bAlternativeUi = false;
    std::function<void(const QString&)> m_addToRecent;
    ISplitDialog* m_splitDialog = nullptr;  // not owned; none without a window
    AttachmentFolder m_attachments;
    RecoveryJournal* m_pJournal = nullptr;  // not owned
};
