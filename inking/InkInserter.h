#pragma once
// Ink into another program through the clipboard: the bitmap is offered there (made when the
// target asks), the window under the ink is made active and sent Ctrl+V, and the clipboard's
// previous contents come back once the target has taken the ink, or after kRestoreTimeoutMs.
// Office programs (by window class, see InsertionTarget::OfficePrograms) are pasted one picture
// at a time: each waits until the target has taken it, kTakeTimeoutMs at most.
//
// Where no program may be typed into (a native Wayland window, no X server, no XTest, a target
// that would not take the focus), the ink stays on the clipboard for the user to paste.
// Nothing ever waits without bound: focus, taking and restoring all have their time-outs.

#include "IInkInserter.h"

#include "mail/DesktopCaptureRect.h"

#include <QImage>
#include <QMimeData>
#include <QPointer>
#include <QTimer>

#include <memory>
#include <optional>

class ClipboardInkOffer;

class InkInserter : public QObject, public IInkInserter {
    Q_OBJECT
public:
    static constexpr int kFocusTimeoutMs = 1000;    // for the target to take the keyboard
    static constexpr int kTakeTimeoutMs = 3000;     // an office picture is taken before the next
    static constexpr int kRestoreGraceMs = 500;     // after the target's last request
    static constexpr int kRestoreTimeoutMs = 5000;  // when the target asks for nothing
    static constexpr int kOwnerStuckMs = 1000;      // a format read this slowly and empty

    InkInserter();
    ~InkInserter() override;

    bool OfficeBegin(IInkOwner& owner, const CRect& ink) override;
    InkHandOver OfficeInsert(IInkOwner& owner, const CRect& ink, DrawingSurface& dc, bool highlighter) override;
    void OfficeEnd() override;
    InkHandOver Insert(IInkOwner& owner, const CRect& ink, DrawingSurface& dc) override;
    void RenderFormat(IInkOwner& owner, const QString& format) override;
    void RenderFormatHtmlTimeOut(IInkOwner& owner) override;

    // Puts the clipboard's previous contents back now, if our ink still holds it.
    void RestoreClipboard();
    // The picture offered last, as the clipboard hands it out.
    const QImage& OfferedPicture() const { return m_picture; }

private:
    InkHandOver HandOver(IInkOwner& owner, const QImage& picture, const std::optional<TopLevelWindow>& target,
                         bool waitUntilTaken);
    bool Offer(IInkOwner& owner, const QImage& picture);
    InkHandOver Paste(const std::optional<TopLevelWindow>& target);
    void SavePreviousClipboard();
    bool OfferIsOnClipboard() const;
    void WaitUntilTaken();

    QImage m_picture;
    QPointer<ClipboardInkOffer> m_offer;
    std::unique_ptr<QMimeData> m_previous;  // what the clipboard held before our ink
    bool m_holdingPrevious = false;
    bool m_taken = false;                   // the target asked for the ink
    std::optional<TopLevelWindow> m_target; // from OfficeBegin
    QTimer m_restore;
};
