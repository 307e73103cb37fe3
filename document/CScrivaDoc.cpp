#include "CScrivaDoc.h"

#include "DeviceFile.h"
#include "RecoveryJournal.h"

#include "pictures/ImageFiles.h"
#include "platform/Archive.h"
#include "platform/DrawingSurface.h"
#include "platform/Prompts.h"
#include "platform/RegularFile.h"
#include "platform/SafeFile.h"
#include "platform/Settings.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace {

const QString kAppTitle = QStringLiteral("Inkleaf");
const QString kUntitled = QStringLiteral("Untitled");
const QString kOpenFailed = QStringLiteral("Failed to open document.");
constexpr LONG kEmptyExtent = 300;
constexpr LONG kExtentMargin = 20;

void ShowMessage(const QString& text)
{
    prompts().MessageBox(text, kAppTitle, MB_OK | MB_ICONEXCLAMATION);
}

// Whether the first occurrence of needle in text is at its very end.
bool EndsWithFirst(const QString& text, const QString& needle)
{
    const qsizetype at = text.indexOf(needle);
    return at >= 0 && at == text.size() - needle.size();
}

}  // namespace

CScrivaDoc::CScrivaDoc() : m_strTitle(kUntitled) {}

void CScrivaDoc::ShowSaveFailure()
{
    ShowMessage(QStringLiteral("Failed to save document."));
}

void CScrivaDoc::SetView(IDocumentView* view)
{
    m_pView = view;
}

void CScrivaDoc::SetTitle(const QString& title)
{
    m_strTitle = title;
    if (m_pView)
        m_pView->TitleChanged(title);
}

void CScrivaDoc::ClearFolderFiles()
{
    m_folderFiles.clear();
}

bool CScrivaDoc::OnNewDocument()
{
    m_lines.RemoveAll();
    m_lines.ClearRedo();
    m_pictures.RemoveAll();
    SetModifiedFlag(false);
    m_strPathName.clear();
    if (m_pView) {
        m_pView->CancelDeviceImport();
        m_pView->ScrollToOrigin();
        m_pView->ResetPage();
        m_pView->DrawRuledLines(false);
    }
    m_currentPath.clear();
    m_pendingDeviceFile.clear();
    ResetDeviceState();
    m_openedPath.clear();
    SetTitle(kUntitled);
    DropJournal();
    return true;
}

bool CScrivaDoc::OnOpenDocument(const QString& path)
{
    m_openedPath = path;
    m_reloadFolder = 1;
    const QString upper = path.toUpper();
    const bool note = upper.contains(QLatin1String(".ILF"));
    if (!note && !upper.contains(QLatin1String(".QVN")))
        return false;
    if (note && !LoadNote(path))
        return false;
    DropJournal();
    if (m_pView) {
        m_pView->CancelDeviceImport();  // a device file scheduled before belongs to another page
        m_pView->DrawRuledLines(true);
        if (m_lines.GetCount() > 0 || m_pictures.GetCount() > 0)
            m_pView->SetHasInk(true);
    }
    m_lines.ClearRedo();
    // A page replayed from a device file is offered for saving as a note of the same name.
    m_currentPath = note ? path : NoteNameFor(path);
    SetTitle(QFileInfo(path).fileName());
    if (note) {
        SetModifiedFlag(false);
        m_strPathName = path;
        if (m_addToRecent)
            m_addToRecent(path);
    } else {
        // The device file is replayed onto the page once the window has settled.
        ResetDeviceState();
        m_pendingDeviceFile = path;
        if (m_pView)
            m_pView->ScheduleDeviceImport(path);
    }
    return true;
}

bool CScrivaDoc::LoadNote(const QString& path)
{
    QFile file;
    if (!OpenRegularFile(file, path)) {
        ShowMessage(kOpenFailed);
        return false;
    }
    try {
        CArchive ar(&file, CArchive::load);
        Serialize(ar);
    } catch (const CArchiveException&) {
        ShowMessage(QStringLiteral("Unexpected file format."));
        return false;
    }
    return true;
}

void CScrivaDoc::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        const PageSettings page = m_pView ? m_pView->GetPageSettings() : PageSettings{};
        ar << page.background << page.lineColor << page.lineHeight << page.page.left << page.page.top
           << page.page.right << page.page.bottom;
        m_lines.Serialize(ar);
        m_pictures.Serialize(ar);
        return;
    }
    PageSettings page;
    ar >> page.background >> page.lineColor >> page.lineHeight >> page.page.left >> page.page.top >> page.page.right
        >> page.page.bottom;
    if (!PageSettings::IsPageAllowed(page.page))
        throw CArchiveException(CArchiveException::genericException, "the note's page size is not usable");
    if (page.lineHeight < Settings::LineHeight.minimum)
        page.lineHeight = Settings::LineHeight.defaultValue;  // would rule lines for ever
    // Everything is read before anything is replaced, so a damaged note leaves the page alone.
    CLines lines;
    lines.Serialize(ar);
    CPictureList pictures;
    pictures.Serialize(ar);
    if (m_pView)
        m_pView->SetPageSettings(page);
    m_lines = std::move(lines);
    m_pictures = std::move(pictures);
}

bool CScrivaDoc::OnSaveDocument(const QString& path)
{
    // Page navigation goes on from the file saved, and from the one before when nothing was.
    const bool saved = WriteAs(path);
    if (saved)
        m_openedPath = path;
    return saved;
}

bool CScrivaDoc::WriteAs(const QString& path)
{
    const QString upper = path.toUpper();
    if (EndsWithFirst(upper, QStringLiteral(".QVN"))) {
        if (m_pView && m_pView->WriteDeviceFile(path))
            return true;
        ShowSaveFailure();
        return false;
    }
    if (m_saveAsImage)
        return ExportImage(path);
    if (m_saveAsPdf)
        return ExportPdf(path);
    if (m_sendingMail)
        return WriteAttachment(path);
    return SaveNote(path);
}

bool CScrivaDoc::ExportPageImage(const QString& path)
{
    m_saveAsImage = 1;
    const bool written = OnSaveDocument(path);
    m_saveAsImage = 0;
    return written;
}

bool CScrivaDoc::SaveNote(const QString& path)
{
    // Written beside the target and renamed over it only when complete, so a failed save
    // leaves the previous file as it was.
    SafeFile file(path);
    bool written = file.Open();
    if (written) {
        try {
            CArchive ar(&file.Device(), CArchive::store);
            Serialize(ar);
            ar.Close();
        } catch (const CArchiveException&) {
            written = false;
        }
    }
    if (!written)
        file.Cancel();
    if (!file.Commit()) {
        ShowSaveFailure();
        return false;
    }
    SetModifiedFlag(false);
    m_strPathName = path;
    DropJournal();
    if (m_addToRecent)
        m_addToRecent(path);
    return true;
}

SIZE CScrivaDoc::ExportExtent() const
{
    const SIZE pictures = m_pictures.GetExtent();
    const CRect strokes = m_lines.GetExtent();  // dots and straight strokes included
    LONG width = std::max(pictures.cx, strokes.right);
    LONG height = std::max(pictures.cy, strokes.bottom);
    if (width == 0)
        width = kEmptyExtent;
    if (height == 0)
        height = kEmptyExtent;
    width += kExtentMargin;
    height += kExtentMargin;
    if (m_pView) {
        const CRect page = m_pView->GetPageSettings().page;
        width = std::min(width, page.Width());
        height = std::min(height, page.Height());
    }
    return {width, height};
}

bool CScrivaDoc::ExportImage(const QString& path)
{
    if (!m_pView)
        return false;
    const SIZE extent = ExportExtent();
    DrawingSurface image(DrawingSurface::CreateBitmap(extent.cx, extent.cy));
    image.BitBlt(0, 0, extent.cx, extent.cy, m_pView->PageSurface(), 0, 0, SRCCOPY);
    const PageSettings page = m_pView->GetPageSettings();
    if (!CreateAttachment(&image, image.Bitmap(), path, int(m_imageFormat), page.background, page.lineColor)) {
        ShowSaveFailure();
        return false;
    }
    return true;
}

bool CScrivaDoc::ExportPdf(const QString& path)
{
    if (m_pView && m_pView->WritePdf(path))
        return true;
    ShowSaveFailure();
    return false;
}

QString CScrivaDoc::DatedPrefix(const QDate& date)
{
    QString prefix = QStringLiteral("%1%2%3-").arg(date.month()).arg(date.day()).arg(date.year());
    if (date.month() < 10)
        prefix.insert(0, QLatin1Char('0'));
    if (!date.isValid() || date.day() < 10)
        prefix.insert(2, QLatin1Char('0'));
    return prefix;
}

QString CScrivaDoc::SuggestedName(const QString& prefix, const QString& recordDate)
{
    long long serial = 1;
    if (recordDate.contains(prefix)) {
        long long number = 0;
        long long power = 1;
        const QString digits = recordDate.mid(9);
        for (qsizetype i = digits.size() - 1; i >= 0; --i) {
            if (!digits[i].isDigit())
                continue;
            number += digits[i].digitValue() * power;
            power *= 10;
        }
        serial = number + 1;
    }
    return prefix + QString::number(serial);
}

void CScrivaDoc::OnFileSave()
{
    ScopedTabletPark park(m_pView);
    SaveAsAsked();
}

bool CScrivaDoc::SaveAsAsked()
{
    const FrameMode mode = m_pView ? m_pView->GetFrameMode() : FrameMode::Letter;
    const char* filter = mode == FrameMode::Letter    ? kNoteFilterLetter
                         : mode == FrameMode::Desktop ? kNoteFilterDesktop
                                                      : kNoteFilterInking;
    QString suggested;
    if (m_bAlternativeUi)
        suggested = SuggestedName(DatedPrefix(QDate::currentDate()), ReadSetting(Settings::RecordDate));
    const FileDialogRequest request{true, QString::fromLatin1(filter), QStringLiteral("Ilf"),
                                    m_currentPath.isEmpty() ? suggested : m_currentPath, true};
    const QString path = prompts().GetFileName(request);
    if (path.isEmpty() || !SaveAs(path))
        return false;
    if (m_bAlternativeUi && !suggested.isEmpty() && m_currentPath.contains(suggested))
        WriteSetting(Settings::RecordDate, suggested);
    return true;
}

bool CScrivaDoc::SaveAs(const QString& path)
{
    ClearFolderFiles();
    m_reloadFolder = 1;
    if (EndsWithFirst(path, QStringLiteral("jpg")))
        m_saveAsImage = 1;
    else if (path.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive))
        m_saveAsPdf = 1;
    const bool saved = OnSaveDocument(path);
    m_saveAsImage = 0;
    m_saveAsPdf = 0;
    if (!saved)
        return false;  // the title and the name offered next time stay those of the last save
    m_currentPath = QFileInfo(path).fileName();
    SetTitle(m_currentPath);
    return true;
}

QString CScrivaDoc::NoteNameFor(const QString& path)
{
    const QFileInfo file(path);
    return file.dir().filePath(file.completeBaseName() + QStringLiteral(".Ilf"));
}

void CScrivaDoc::OnFileOpen()
{
    ScopedTabletPark park(m_pView);
    const FileDialogRequest request{false, QString::fromLatin1(kOpenFilter), QStringLiteral("Ilf"), QString(), true};
    const QString path = prompts().GetFileName(request);
    if (!path.isEmpty())
        OpenDocumentFile(path);
}

bool CScrivaDoc::OpenDocumentFile(const QString& path)
{
    // A file that cannot be opened is refused before the question about unsaved strokes.
    const QString upper = path.toUpper();
    if (!upper.contains(QLatin1String(".ILF")) && !upper.contains(QLatin1String(".QVN"))) {
        ShowMessage(QStringLiteral("Cannot open %1: Inkleaf opens notes (.Ilf) and device files (.QVN) only.").arg(path));
        return false;
    }
    // Missing, or something a read would wait on for ever (a FIFO, a device).
    if (!IsRegularFile(path)) {
        ShowMessage(kOpenFailed);
        return false;
    }
    // Opening another note never drops unsaved strokes without asking.
    if (!SaveModified())
        return false;
    ClearFolderFiles();
    m_reloadFolder = 1;
    if (upper.contains(QLatin1String(".QVN")))
        OnNewDocument();
    return OnOpenDocument(path);
}

QStringList CScrivaDoc::PagesOfFolder(const QString& folder)
{
    const QDir dir(folder);
    QStringList pages;
    for (const char* pattern : {"*.QVN", "*.Ilf"}) {
        for (const QString& name : dir.entryList({QString::fromLatin1(pattern)}, QDir::Files))
            pages << dir.filePath(name);
    }
    std::sort(pages.begin(), pages.end(), [](const QString& a, const QString& b) { return a.toUtf8() < b.toUtf8(); });
    return pages;
}

void CScrivaDoc::MovePage(int step)
{
    if (m_openedPath.isEmpty())
        return;
    if (m_reloadFolder) {
        m_reloadFolder = 0;
        m_folderFiles = PagesOfFolder(QFileInfo(m_openedPath).absolutePath());
    }
    const QString current = QFileInfo(m_openedPath).absoluteFilePath();
    const qsizetype index = step < 0 ? m_folderFiles.lastIndexOf(current) : m_folderFiles.indexOf(current);
    if (index < 0)
        return;
    const qsizetype count = m_folderFiles.size();
    const QString target = m_folderFiles[(index + step + count) % count];

    ScopedTabletPark park(m_pView);
    // Moving on never drops unsaved strokes without asking.
    if (SaveModified()) {
        OnNewDocument();
        OnOpenDocument(target);
    }
}

bool CScrivaDoc::OnFileNew()
{
    return SaveModified() && OnNewDocument();
}

bool CScrivaDoc::SaveModified()
{
    if (!IsModified())
        return true;
    const int answer = prompts().MessageBox(QStringLiteral("Save changes to %1?").arg(m_strTitle), kAppTitle,
                                            MB_YESNOCANCEL | MB_ICONEXCLAMATION);
    if (answer == IDCANCEL)
        return false;
    if (answer == IDNO)
        return true;
    if (m_strPathName.toUpper().contains(QLatin1String(".ILF")))
        return OnSaveDocument(m_strPathName);
    // No note behind the page yet: the name is asked for, and saved by its kind, as Save does.
    return SaveAsAsked();
}

bool CScrivaDoc::CanCloseFrame()
{
    ClearFolderFiles();
    ScopedTabletPark park(m_pView);
    if (!SaveModified())
        return false;
    DropJournal();  // saved, or given up by the user
    return true;
}

void CScrivaDoc::DropJournal()
{
    if (m_pJournal)
        m_pJournal->Remove();
}

void CScrivaDoc::JournalStroke()
{
    if (!m_pJournal || m_lines.GetCount() == 0)
        return;
    if (m_pJournal->WantsSnapshot()) {
        JournalNote();
        return;
    }
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::store);
        m_lines.GetAt(m_lines.GetCount() - 1)->Serialize(ar);
        ar.Close();
    }
    if (!m_pJournal->AppendStroke(bytes))
        JournalNote();
}

void CScrivaDoc::JournalUndoneStroke()
{
    if (m_pJournal && (m_pJournal->WantsSnapshot() || !m_pJournal->CutStrokes(m_lines.GetCount())))
        JournalNote();
}

void CScrivaDoc::JournalNote()
{
    if (!m_pJournal)
        return;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::store);
        Serialize(ar);
        ar.Close();
    }
    m_pJournal->Snapshot(bytes, m_strPathName, m_currentPath);
}

bool CScrivaDoc::RestoreNote(const QByteArray& note, const QString& pathName, const QString& currentPath)
{
    QByteArray bytes = note;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    try {
        CArchive ar(&buffer, CArchive::load);
        Serialize(ar);
    } catch (const CArchiveException&) {
        ShowMessage(QStringLiteral("The unsaved note could not be restored: its recovery journal is damaged."));
        return false;
    }
    m_lines.ClearRedo();
    if (m_pView) {
        m_pView->CancelDeviceImport();
        m_pView->DrawRuledLines(true);
        m_pView->SetHasInk(m_lines.GetCount() > 0 || m_pictures.GetCount() > 0);
    }
    ClearFolderFiles();
    m_reloadFolder = 1;
    m_pendingDeviceFile.clear();
    m_strPathName = pathName;
    m_openedPath = pathName;
    m_currentPath = currentPath;
    const QString named = currentPath.isEmpty() ? pathName : currentPath;
    SetTitle(named.isEmpty() ? kUntitled : QFileInfo(named).fileName());
    SetModifiedFlag(true);
    JournalNote();  // the restored note is this instance's to keep safe now
    return true;
}
