#include "InkInserter.h"

#include "ClipboardInkOffer.h"
#include "InkPictures.h"
#include "InsertionTarget.h"
#include "X11PasteKeystroke.h"

#include "platform/DrawingSurface.h"

#include <QClipboard>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QGuiApplication>
#include <QThread>

namespace {

constexpr int kTakePollMs = 5;

bool OnX11()
{
    return QGuiApplication::platformName() == QLatin1String("xcb");
}

// A Wayland session's own windows are not on the X server XWayland gives us.
bool InWaylandSession()
{
    return !qEnvironmentVariableIsEmpty("WAYLAND_DISPLAY")
        || qEnvironmentVariable("XDG_SESSION_TYPE") == QLatin1String("wayland");
}

}  // namespace

InkInserter::InkInserter()
{
    m_restore.setSingleShot(true);
    connect(&m_restore, &QTimer::timeout, this, &InkInserter::RestoreClipboard);
}

InkInserter::~InkInserter()
{
    // The offer may outlive us on the clipboard: it must not call back.
    if (m_offer && m_restore.isActive())
        RestoreClipboard();
    if (m_offer)
        m_offer->Withdraw();
}

bool InkInserter::OfficeBegin(IInkOwner&, const CRect& ink)
{
    m_target = InsertionTarget::Under(ink);
    return m_target && InsertionTarget::IsOffice(*m_target, InsertionTarget::OfficePrograms());
}

InkHandOver InkInserter::OfficeInsert(IInkOwner& owner, const CRect&, DrawingSurface& dc, bool highlighter)
{
    const QImage picture = highlighter ? InkPictures::Highlighter(dc.Bitmap()) : dc.Bitmap().copy();
    return HandOver(owner, picture, m_target, true);
}

void InkInserter::OfficeEnd() {}

InkHandOver InkInserter::Insert(IInkOwner& owner, const CRect& ink, DrawingSurface& dc)
{
    return HandOver(owner, dc.Bitmap().copy(), InsertionTarget::Under(ink), false);
}

void InkInserter::RenderFormat(IInkOwner&, const QString& format)
{
    if (!m_offer)
        return;
    if (!format.isEmpty()) {
        m_offer->Provide(format, InkPictures::Encode(m_picture, format));
        return;
    }
    for (const QString& each : m_offer->formats())
        if (!m_offer->IsProvided(each))
            m_offer->Provide(each, InkPictures::Encode(m_picture, each));
}

// The target asks for a format at a time, and may ask for several: the previous contents come
// back a little after the last request.
void InkInserter::RenderFormatHtmlTimeOut(IInkOwner&)
{
    m_taken = true;
    if (m_holdingPrevious)
        m_restore.start(kRestoreGraceMs);
}

InkHandOver InkInserter::HandOver(IInkOwner& owner, const QImage& picture, const std::optional<TopLevelWindow>& target,
                                  bool waitUntilTaken)
{
    if (!Offer(owner, picture)) {
        RestoreClipboard();
        return InkHandOver::NotTaken;
    }
    const InkHandOver result = Paste(target);
    if (result == InkHandOver::NotTaken) {
        RestoreClipboard();
    } else if (result == InkHandOver::OnClipboard) {
        // The ink is what the user pastes next: nothing comes back over it.
        m_holdingPrevious = false;
        m_previous.reset();
    } else if (result == InkHandOver::Pasted && waitUntilTaken)
        WaitUntilTaken();
    return result;
}

bool InkInserter::Offer(IInkOwner& owner, const QImage& picture)
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || picture.isNull())
        return false;
    SavePreviousClipboard();
    m_picture = picture;
    m_taken = false;
    if (m_offer)
        m_offer->Withdraw();
    m_offer = new ClipboardInkOffer([&owner](const QString& format) { owner.OnRenderFormat(format); },
                                    [&owner] { owner.OnRenderAllFormats(); });
    clipboard->setMimeData(m_offer);  // the clipboard owns it from here
    return OfferIsOnClipboard();
}

InkHandOver InkInserter::Paste(const std::optional<TopLevelWindow>& target)
{
    if (!OnX11())
        return InkHandOver::OnClipboard;
    if (!target)
        return InWaylandSession() ? InkHandOver::OnClipboard : InkHandOver::NotTaken;
    if (!X11PasteKeystroke::Available() || !X11PasteKeystroke::Activate(target->id, kFocusTimeoutMs))
        return InkHandOver::OnClipboard;
    if (!X11PasteKeystroke::SendPaste())
        return InkHandOver::OnClipboard;
    m_restore.start(kRestoreTimeoutMs);
    return InkHandOver::Pasted;
}

// Taken once per series of pictures: what the clipboard held before the first one.
void InkInserter::SavePreviousClipboard()
{
    if (m_holdingPrevious)
        return;
    m_holdingPrevious = true;
    m_previous.reset();
    // Our own ink from before, left for the user to paste: it stays as cheap as it was.
    if (OfferIsOnClipboard()) {
        m_previous = ClipboardInkOffer::OfPicture(m_picture);
        return;
    }
    const QMimeData* now = QGuiApplication::clipboard()->mimeData();
    if (!now)
        return;
    m_previous = std::make_unique<QMimeData>();
    // A program that lists its formats but hangs when asked for one costs the clipboard's
    // timeout (about 5 s on X11) per format: after one such wait it is taken not to answer.
    QElapsedTimer asked;
    for (const QString& format : now->formats()) {
        asked.start();
        const QByteArray data = now->data(format);
        if (data.isEmpty() && asked.elapsed() >= kOwnerStuckMs)
            break;
        m_previous->setData(format, data);
    }
}

bool InkInserter::OfferIsOnClipboard() const
{
    QClipboard* clipboard = QGuiApplication::clipboard();
    return m_offer && clipboard && clipboard->mimeData() == m_offer.data();
}

void InkInserter::WaitUntilTaken()
{
    const QDeadlineTimer deadline(kTakeTimeoutMs);
    while (!m_taken && !deadline.hasExpired()) {
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        if (!m_taken)
            QThread::msleep(kTakePollMs);
    }
}

// Only while our ink is still there: whatever someone copied since stays.
void InkInserter::RestoreClipboard()
{
    m_restore.stop();
    if (!m_holdingPrevious)
        return;
    m_holdingPrevious = false;
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (!clipboard || !OfferIsOnClipboard()) {
        m_previous.reset();
        return;
    }
    m_offer->Withdraw();
    if (m_previous && !m_previous->formats().isEmpty())
        clipboard->setMimeData(m_previous.release());
    else
        clipboard->clear();
    m_previous.reset();
}
