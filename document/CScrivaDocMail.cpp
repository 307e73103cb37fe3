// Send to Mail Recipient: the page as a JPEG image, handed to the user's mail program as the
// one attachment of a new message titled "Inkleaf". The image is the JPEG export of the page;
// it waits for the mail program in a private folder (AttachmentFolder).

#include "CScrivaDoc.h"

#include "mail/MailLauncher.h"
#include "pictures/ImageFiles.h"
#include "mail/X11TopLevelWindows.h"
#include "platform/CommandIds.h"
#include "platform/DrawingSurface.h"
#include "platform/Prompts.h"
#include "platform/ScreenMetrics.h"
#include "platform/StringSource.h"

namespace {

const QString kAppTitle = QStringLiteral("Inkleaf");
// The stock messages of a mail call.
const QString kNoMailSystem = QStringLiteral("Unable to load mail system support.");
const QString kSendFailed = QStringLiteral("Send Mail failed to send message.");

void ShowMailMessage(const QString& text)
{
    prompts().MessageBox(text, kAppTitle, MB_OK | MB_ICONEXCLAMATION);
}

}  // namespace

void CScrivaDoc::OnSendMail()
{
    if (m_sendingMail)
        return;  // one message at a time
    // In desktop mode the mail program gets the screen: the frame and the overlay step aside
    // first, and the pen is given back before they return.
    const bool desktop = m_pView && m_pView->GetFrameMode() == FrameMode::Desktop;
    if (desktop)
        m_pView->BeginDesktopMail();
    {
        ScopedTabletPark park(m_pView);
        SendMail();
    }
    if (desktop)
        m_pView->EndDesktopMail();
}

void CScrivaDoc::SendMail()
{
    m_sendingMail = 1;
    WaitCursor wait;
    // 1. The mail launcher: without one nothing is written.
    const QString launcher = MailLauncher::Find();
    if (launcher.isEmpty()) {
        ShowMailMessage(kNoMailSystem);
        m_sendingMail = 0;
        return;
    }
    // 2. The attachment, written as a save would write it; the note stays as modified as it was,
    // and page navigation goes on from the note, not from the attachment.
    const QString path = m_attachments.NewAttachmentPath(kAppTitle + QStringLiteral(".jpg"));
    const bool modified = IsModified();
    const QString opened = m_openedPath;
    const bool saved = !path.isEmpty() && OnSaveDocument(path);
    SetModifiedFlag(modified);
    m_openedPath = opened;
    if (path.isEmpty())
        ShowMailMessage(kSendFailed);
    // 3. The message; the user cancelling, or not logging on, needs no word from us.
    if (saved) {
        const DWORD result = MailLauncher::Send(launcher, kAppTitle, path);
        if (result != SUCCESS_SUCCESS && result != MAPI_USER_ABORT && result != MAPI_E_LOGIN_FAILURE)
            ShowMailMessage(kSendFailed);
    }
    m_sendingMail = 0;
}

bool CScrivaDoc::WriteAttachment(const QString& path)
{
    const QString upper = path.toUpper();
    if (!upper.contains(QLatin1String("PVM")) || !upper.contains(QLatin1String(".TMP")))
        return true;  // not the mail's file: nothing is written
    if (m_pView && m_pView->GetFrameMode() == FrameMode::Desktop)
        return WriteDesktopAttachment(path);
    return ExportImage(path);
}

// Desktop mode: the frozen screen under the ink and the windows the ink lies on, with the ink.
bool CScrivaDoc::WriteDesktopAttachment(const QString& path)
{
    const CRect desk = ScreenMetrics::DesktopRect();
    const CRect rect = ComputeDesktopCaptureRect(desk, m_lines.GetBounds(), X11TopLevelWindows());
    if (rect.IsRectEmpty()) {
        prompts().MessageBox(LocalizedString(IDS_MAIL_NEEDS_INK, QStringLiteral("Mail must be sent with written script")),
                             QStringLiteral("Information"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const DrawingSurface* screen = m_pView->FrozenScreen();
    if (!screen || screen->IsNull()) {
        ShowSaveFailure();
        return false;
    }
    DrawingSurface image(DrawingSurface::CreateBitmap(rect.Width(), rect.Height()));
    image.BitBlt(0, 0, rect.Width(), rect.Height(), *screen, rect.left, rect.top, SRCCOPY);
    {
        ScopedViewportOrg screenPixels(image, -rect.left, -rect.top);
        m_lines.DrawInRect(&image, rect);
    }
    const PageSettings page = m_pView->GetPageSettings();
    if (!CreateAttachment(&image, image.Bitmap(), path, int(m_imageFormat), page.background, page.lineColor)) {
        ShowSaveFailure();
        return false;
    }
    return true;
}
