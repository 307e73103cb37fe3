// Send to Mail Recipient: the page as a JPEG image, handed to the user's mail program as the
// one attachment of a new message titled "Inkleaf". The image is the JPEG export of the page;
// it waits for the mail program in a private folder (AttachmentFolder).

#include "CScrivaDoc.h"

#include "mail/MailLauncher.h"
#include "platform/Prompts.h"

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
    ScopedTabletPark park(m_pView);
    SendMail();
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
    return ExportImage(path);
}
