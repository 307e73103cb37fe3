// The screen overlay as the view drives it: the frozen screen taken into m_dcDesktop, desktop
// mode's writing surface over it, and Capture Screen's selection of a rectangle on the tinted
// screen, which becomes a picture at the page's top-left corner.

#include "CScrivaView.h"

#include "CScreenOverlay.h"

#include "pictures/CPictureItem.h"
#include "platform/Prompts.h"
#include "platform/ScreenGrab.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QGuiApplication>
#include <QScreen>

#include <algorithm>

namespace {

constexpr COLORREF kCaptureTint = 0xFF8080;  // ANDed onto the frozen screen: darker and blue
constexpr WORD kSkippedPackets = 10;         // stray packets of the click on Start
constexpr DWORD kBandIntervalMs = 150;       // packet time between two redraws of the band
constexpr int kFrameGoneWaitMs = 250;        // lets the windows under the frame repaint
constexpr int kDesktopSettleMs = 500;        // a display change comes as several screen events

constexpr WORD HighWord(DWORD value) { return WORD(value >> 16); }

}  // namespace

CScrivaView::~CScrivaView() = default;

void CScrivaView::SetScreenGrab(std::unique_ptr<IScreenGrab> grab)
{
    m_screenGrab = std::move(grab);
}

CScreenOverlay& CScrivaView::Overlay()
{
    if (!m_pScreenOverlay) {
        m_pScreenOverlay = std::make_unique<CScreenOverlay>(*this);
        connect(m_pScreenOverlay.get(), &CScreenOverlay::frameWanted, this, &CScrivaView::frameWanted);
    }
    return *m_pScreenOverlay;
}

bool CScrivaView::IsOverlayShown() const
{
    return m_pScreenOverlay && m_pScreenOverlay->isVisible();
}

void CScrivaView::Wait(int ms)
{
    QEventLoop wait;
    QTimer::singleShot(ms, &wait, &QEventLoop::quit);
    wait.exec();
}

void CScrivaView::HideFrame()
{
    QCoreApplication::processEvents();
    window()->hide();
}

void CScrivaView::ShowFrame()
{
    QWidget* frame = window();
    frame->setEnabled(true);
    frame->show();
    frame->raise();
    frame->activateWindow();
}

bool CScrivaView::TakeSnapshot()
{
    if (!m_screenGrab)
        m_screenGrab = MakeScreenGrab();
    ScreenGrabResult grab = m_screenGrab->Grab();
    if (!grab.Ok()) {
        const QString why = grab.error.isEmpty() ? QStringLiteral("The screen could not be taken.") : grab.error;
        prompts().MessageBox(why, QStringLiteral("Inkleaf"), MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    const CRect desktop(grab.origin.x(), grab.origin.y(), grab.origin.x() + grab.image.width(),
                        grab.origin.y() + grab.image.height());
    m_dcDesktop.SelectBitmap(std::move(grab.image));
    m_dcDesktop.SetViewportOrg(-desktop.left, -desktop.top);
    Overlay().Cover(desktop);
    WatchScreens();
    return true;
}

void CScrivaView::ReleaseSnapshot()
{
    m_dcDesktop.SelectBitmap(QImage());
    m_dcCaptureTint.SelectBitmap(QImage());
    m_dcBandScratch.SelectBitmap(QImage());
}

void CScrivaView::ShowSnapshotInOverlay()
{
    CScreenOverlay& overlay = Overlay();
    const CRect desktop = overlay.ScreenRect();
    overlay.BackBuffer().BitBlt(desktop.left, desktop.top, desktop.Width(), desktop.Height(), m_dcDesktop,
                                desktop.left, desktop.top, SRCCOPY);
    // Strokes already written (a display change re-took the screen) stay over it.
    m_document.m_lines.DrawInRect(&overlay.BackBuffer(), desktop);
    overlay.ShowBackBuffer(desktop);
}

// The frame goes first and what it covered gets time to repaint: the screen is taken as the
// user sees it without us.
bool CScrivaView::ShowSnapshotOverlay()
{
    HideFrame();
    Wait(kFrameGoneWaitMs);
    if (!TakeSnapshot()) {
        ShowFrame();
        return false;
    }
    CScreenOverlay& overlay = Overlay();
    overlay.SetCaptureMode(false);
    ShowSnapshotInOverlay();
    overlay.ShowOnTop();
    TabletBinding::Instance().WTOverlap(m_hTabletContext, true);
    return true;
}

// Leaving desktop mode lets the frozen screen go: the next visit takes a fresh one.
void CScrivaView::HideOverlay()
{
    if (m_pScreenOverlay)
        m_pScreenOverlay->hide();
    ReleaseSnapshot();
}

void CScrivaView::RepaintOverlay()
{
    if (IsOverlayShown())
        m_pScreenOverlay->RepaintFromBackBuffer();
}

// The frozen screen is kept while the overlay is away: the mail's picture is cut from it.
void CScrivaView::BeginDesktopMail()
{
    window()->showMinimized();
    m_bOverlayAsideForMail = IsOverlayShown();
    if (m_bOverlayAsideForMail)
        m_pScreenOverlay->hide();
}

void CScrivaView::EndDesktopMail()
{
    QWidget* frame = window();
    frame->showNormal();
    if (m_bOverlayAsideForMail && !m_dcDesktop.IsNull()) {
        m_pScreenOverlay->ShowOnTop();
        m_pScreenOverlay->RepaintFromBackBuffer();
    }
    m_bOverlayAsideForMail = false;
    // The bars stand over the overlay, as when desktop mode began.
    frame->raise();
    frame->activateWindow();
}

bool CScrivaView::StartScreenCapture()
{
    if (!m_hTabletContext)
        return false;
    m_nViewMode = 1;
    window()->hide();
    return true;
}

// The panel's Start: the screen is taken afresh (the panel and the frame are gone by now),
// tinted, and handed to the pen for the rectangle.
void CScrivaView::BeginCaptureSelection()
{
    TabletBinding& tablet = TabletBinding::Instance();
    tablet.WTOverlap(m_hTabletContext, true);
    HideFrame();
    if (!TakeSnapshot()) {
        m_nViewMode = 0;
        ShowFrame();
        return;
    }
    m_bPenDown = false;
    m_nCaptureSkip = 0;
    ShowTintedSnapshot();
    m_nViewMode = 2;
    CScreenOverlay& overlay = Overlay();
    overlay.SetCaptureMode(true);
    tablet.WTOverlap(m_hTabletContext, true);
    overlay.ShowOnTop();
    SetTabletActive(true);
}

// The tint plane and the band's scratch bitmap (the size of the largest band) are made for
// the screen just taken; a band begins afresh.
void CScrivaView::ShowTintedSnapshot()
{
    CScreenOverlay& overlay = Overlay();
    DrawingSurface& window = overlay.WindowSurface();
    const CRect desktop = overlay.ScreenRect();
    m_dcCaptureTint.SelectBitmap(DrawingSurface::CreateBitmap(desktop.Width(), desktop.Height()));
    m_dcCaptureTint.SetViewportOrg(-desktop.left, -desktop.top);
    m_dcCaptureTint.FillSolidRect(desktop, kCaptureTint);
    m_dcBandScratch.SelectBitmap(DrawingSurface::CreateBitmap(desktop.Width(), desktop.Height()));
    m_bStroking = false;
    m_rcCapture.SetRectEmpty();
    window.BitBlt(desktop.left, desktop.top, desktop.Width(), desktop.Height(), m_dcDesktop, desktop.left,
                  desktop.top, SRCCOPY);
    window.BitBlt(desktop.left, desktop.top, desktop.Width(), desktop.Height(), m_dcCaptureTint, desktop.left,
                  desktop.top, SRCAND);
    overlay.UpdateScreenRect(desktop);
}

BYTE CScrivaView::SelectCapturePacket(DWORD time, DWORD buttons, LONG x, LONG y, DWORD pressure)
{
    // 1. The click on Start may still send a few packets: they are not the selection.
    if (m_nCaptureSkip < kSkippedPackets) {
        ++m_nCaptureSkip;
        return 0;
    }
    // 2. The tip's press and release.
    if (HighWord(buttons) == TBN_DOWN)
        m_bPenDown = true;
    else if (HighWord(buttons) == TBN_UP)
        m_bPenDown = false;
    // 3. Lifted: the rectangle is done.
    if (HighWord(buttons) == TBN_UP || pressure == 0) {
        if (!m_bStroking)
            return 0;
        FinishCaptureSelection();
        return 1;
    }
    // 4. Down: the pen-down point anchors the band, which then follows the pen at most every
    // kBandIntervalMs of packet time.
    if (!m_bStroking) {
        m_bStroking = true;
        m_rcCapture = CRect(x, y, x, y);
        m_dwLastSelectTime = time;
    }
    if (time - m_dwLastSelectTime < kBandIntervalMs)
        return 0;
    m_dwLastSelectTime = time;
    if (m_rcCapture.right == x && m_rcCapture.bottom == y)
        return 1;
    CRect oldBand = m_rcCapture;
    oldBand.NormalizeRect();
    m_rcCapture.right = x;
    m_rcCapture.bottom = y;
    CRect newBand = m_rcCapture;
    newBand.NormalizeRect();
    DrawCaptureBand(oldBand, newBand);
    return 1;
}

// Only the union of the old and the new band changes, and of that not what lies inside both
// bands off their outlines: untinted before and after. The rest, at most four strips, is
// composed off screen (tinted screen, the new band untinted, its outline) in one scratch
// bitmap and shown in one piece, so the band never flickers and a small move costs little
// however large the band.
void CScrivaView::DrawCaptureBand(const CRect& oldBand, const CRect& newBand)
{
    CRect u;
    u.UnionRect(oldBand, newBand);
    if (u.IsRectEmpty())
        return;
    CRect inner;
    inner.IntersectRect(oldBand, newBand);
    inner.InflateRect(-1, -1);
    if (inner.IsRectEmpty()) {
        ComposeBandPart(u, newBand);
        return;
    }
    ComposeBandPart(CRect(u.left, u.top, u.right, inner.top), newBand);
    ComposeBandPart(CRect(u.left, inner.bottom, u.right, u.bottom), newBand);
    ComposeBandPart(CRect(u.left, inner.top, inner.left, inner.bottom), newBand);
    ComposeBandPart(CRect(inner.right, inner.top, u.right, inner.bottom), newBand);
}

void CScrivaView::ComposeBandPart(const CRect& part, const CRect& band)
{
    if (part.IsRectEmpty())
        return;
    DrawingSurface& scratch = m_dcBandScratch;
    ScopedViewportOrg origin(scratch, -part.left, -part.top);
    scratch.BitBlt(part.left, part.top, part.Width(), part.Height(), m_dcDesktop, part.left, part.top, SRCCOPY);
    scratch.BitBlt(part.left, part.top, part.Width(), part.Height(), m_dcCaptureTint, part.left, part.top, SRCAND);
    CRect clear;
    if (clear.IntersectRect(band, part))
        scratch.BitBlt(clear.left, clear.top, clear.Width(), clear.Height(), m_dcDesktop, clear.left, clear.top,
                       SRCCOPY);
    {
        ScopedClipRect within(scratch, part);
        ScopedRop2 notXor(scratch, R2_NOTXORPEN);
        ScopedPen black(scratch, Pen{PS_SOLID, 1, RGB(0, 0, 0)});
        const POINT outline[] = {{band.left, band.top},
                                 {band.right - 1, band.top},
                                 {band.right - 1, band.bottom - 1},
                                 {band.left, band.bottom - 1},
                                 {band.left, band.top}};
        scratch.Polyline(outline);
    }
    CScreenOverlay& overlay = Overlay();
    overlay.WindowSurface().BitBlt(part.left, part.top, part.Width(), part.Height(), scratch, part.left, part.top,
                                   SRCCOPY);
    overlay.UpdateScreenRect(part);
}

// The rectangle of the frozen screen becomes a picture at the page's top-left corner, under
// the ink already there, and the frame comes back.
void CScrivaView::FinishCaptureSelection()
{
    m_nCaptureSkip = 0;
    m_bPenDown = false;
    m_bStroking = false;
    m_nViewMode = 0;
    m_rcCapture.NormalizeRect();
    const LONG w = m_rcCapture.Width();
    const LONG h = m_rcCapture.Height();
    if (w > 0 && h > 0) {
        SetHasInk(true);
        m_document.SetModifiedFlag(true);
        DrawingSurface& page = m_page.Surface();
        page.BitBlt(0, 0, w, h, m_dcDesktop, m_rcCapture.left, m_rcCapture.top, SRCCOPY);
        DrawingSurface picture(DrawingSurface::CreateBitmap(w, h));
        picture.BitBlt(0, 0, w, h, m_dcDesktop, m_rcCapture.left, m_rcCapture.top, SRCCOPY);
        auto item = std::make_unique<CPictureItem>();
        if (item->SetBitmap(picture.Bitmap(), w, h))
            m_document.m_pictures.Add(std::move(item));
        m_rcCapture = CRect(0, 0, w, h);
        m_document.m_lines.DrawInRect(&page, m_rcCapture);
    }
    ReleaseSnapshot();
    Overlay().hide();
    ShowFrame();
    Invalidate();
}

void CScrivaView::CloseOverlay()
{
    if (!m_hTabletContext)
        return;
    TabletBinding& tablet = TabletBinding::Instance();
    tablet.WTOverlap(m_hTabletContext, true);
    // An abandoned selection leaves no stroke open: the next packet starts afresh.
    if (m_nViewMode == 2)
        m_bStroking = false;
    Overlay().hide();
    ShowFrame();
    ReleaseSnapshot();
    m_nViewMode = 0;
    Overlay().SetCaptureMode(false);
    tablet.WTOverlap(m_hTabletContext, true);
}

// A screen added, removed or resized while the overlay is up: the overlay covers the new
// desktop, with a fresh picture of it. A selection under way starts again.
void CScrivaView::WatchScreens()
{
    if (m_bWatchingScreens)
        return;
    m_bWatchingScreens = true;
    m_desktopTimer.setSingleShot(true);
    m_desktopTimer.setInterval(kDesktopSettleMs);
    connect(&m_desktopTimer, &QTimer::timeout, this, &CScrivaView::OnDesktopChanged);
    auto watch = [this](QScreen* screen) {
        connect(screen, &QScreen::geometryChanged, &m_desktopTimer, qOverload<>(&QTimer::start));
    };
    for (QScreen* screen : QGuiApplication::screens())
        watch(screen);
    connect(qApp, &QGuiApplication::screenAdded, this, [this, watch](QScreen* screen) {
        watch(screen);
        m_desktopTimer.start();
    });
    connect(qApp, &QGuiApplication::screenRemoved, &m_desktopTimer, qOverload<>(&QTimer::start));
}

void CScrivaView::OnDesktopChanged()
{
    if (!IsOverlayShown())
        return;
    CScreenOverlay& overlay = Overlay();
    const bool capture = m_nViewMode == 2;
    const bool frameShown = window()->isVisible();
    overlay.hide();
    if (frameShown)
        HideFrame();
    Wait(kFrameGoneWaitMs);
    if (!TakeSnapshot()) {
        ReleaseSnapshot();
        m_nViewMode = 0;
        ShowFrame();
        return;
    }
    if (capture)
        ShowTintedSnapshot();
    else
        ShowSnapshotInOverlay();
    overlay.ShowOnTop();
    if (frameShown)
        ShowFrame();
}
