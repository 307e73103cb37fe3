#pragma once
// The view of the note: a scrolling window that shows the page back buffer at zoom 0.5, 1, 2
// or 4. Painting only scales the buffer onto the window; every change is rendered into the
// buffer first. At zoom 0.5 the page sits in the middle of the screen between grey bands.

#include "CanvasPage.h"
#include "InkTail.h"
#include "LatencyMeter.h"

#include "document/CScrivaDoc.h"
#include "document/DeviceFileIO.h"
#include "ink/InkRenderer.h"
#include "inking/IInkInserter.h"
#include "pictures/CPictureItem.h"
#include "pictures/IPageView.h"
#include "platform/ScreenGrab.h"
#include "tablet/TabletBinding.h"

#include <QAbstractScrollArea>
#include <QCursor>
#include <QImage>
#include <QRegion>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>

class CScreenOverlay;
class QPrinter;

class CScrivaView : public QAbstractScrollArea, public IDocumentView, public IPageView, public IInkOwner {
    Q_OBJECT
public:
    // Tools: what the pen does.
    enum Tool { kToolNone = 0, kEraser = 1, kPencil = 2, kBrush = 3, kMarker = 4 };
    // Mouse flags as pictures read them.
    static constexpr unsigned MK_LBUTTON = 0x0001, MK_RBUTTON = 0x0002, MK_SHIFT = 0x0004, MK_CONTROL = 0x0008;

    static constexpr UINT kImportTimer = 1;
    static constexpr int kImportDelayMs = 250;

    explicit CScrivaView(CScrivaDoc& document, QWidget* parent = nullptr);
    ~CScrivaView() override;

    CScrivaDoc& GetDocument() { return m_document; }
    CanvasPage& Page() { return m_page; }
    float Zoom() const { return m_fZoom; }
    int PageMarginX() const { return m_nPageMarginX; }
    bool HasInk() const { return m_bHasInk; }
    // The frame mode the view works in.
    void SetFrameMode(FrameMode mode) { m_frameMode = mode; }
    // Launched in inking mode: no black band beside a narrow page.
    void SetInkingLaunch(bool inking) { m_bInkingLaunch = inking; }
    // Runs call from the event loop once the window has first been painted, or after a second
    // should no paint come: a note named at start-up then fills the shown window as it draws.
    void CallAfterFirstPaint(std::function<void()> call);

    // Handles the commands of the view; false for commands it does not know.
    bool OnCommand(UINT id);
    void OnZoomIn();
    void OnZoomOut();
    void OnUndo();
    void OnRedo();

    // Tools and widths.
    void OnPencil() { SelectTool(kPencil); }
    void OnBrush() { SelectTool(kBrush); }
    void OnMarker() { SelectTool(kMarker); }
    void OnEraser() { SelectTool(kEraser); }
    void OnMovePicture();
    void SetToolWidth(int tool, int step);
    int Tool() const { return m_nTool; }
    int ToolWidth(int tool) const;
    // The pen-width popup's tool (0 when closed); the popup window itself sits behind this.
    // Outside letter mode the pen is parked while the popup is open, so that it chooses a
    // width on the popup instead of writing under it.
    int PenWidthPopupTool() const { return m_penWidthPopupTool; }
    COLORREF PenColor() const { return m_page.m_crPen; }
    void SetPenColor(COLORREF color);
    // The width value a packet gets with the current tool in letter mode.
    SHORT PacketWidth(DWORD pressure) const;
    // A packet's pressure in the notepad's levels, 0..511 up to a full press: live packets
    // come in the tablet's units and are divided down, replayed ones are in levels already.
    DWORD PressureLevel(DWORD pressure) const;
    // The pen cursor's picture: a circle of the pen's colour and size on a transparent square,
    // size physical pixels wide and high.
    static QImage PenCursorImage(COLORREF pen, int step, bool penTool, int size = 32);
    // The centre of the circle: the ink lands where the cursor points.
    static QPoint PenCursorHotSpot(int size = 32) { return QPoint(size / 2, size / 2); }
    const QCursor& PenCursor() const { return m_hPenCursor; }
    void UpdatePenCursor();
    // The eraser's cursor, from the picture "cursor/178" and its hot spot; made on first use.
    const QCursor& EraserCursor();

    // Printing (CScrivaViewPrint.cpp): the print dialog, the default printer without one,
    // and the preview. Without any printer the dialog offers a PDF file beside the note.
    void OnFilePrint();
    void OnFilePrintDirect();
    void OnFilePrintPreview();
    // The sheets the page prints on: its height in whole new-page heights.
    int OnPreparePrinting() const;

    // Pictures.
    void OnInsertImage();
    void OnEditCopy();
    void OnEditPaste();
    bool OnPictureCommand(UINT id);

    // The tablet.
    HCTX TabletContext() const { return m_hTabletContext; }
    int PressureMax() const { return m_nPressureMax; }
    int PressureDivisor() const { return m_nPressureDivisor; }
    // Opens the context when the tablet is bound, none is open and no dialog has the pen.
    void OpenTablet();
    HCTX OpenTabletContext(bool system);
    // Disables and closes the open context, if any; the view has none after.
    void CloseTabletContext();
    void ReadPressureAxis();
    void ReopenTabletContext();
    // After a display change: the context is reopened when the display has settled.
    void RequestTabletReopen();
    bool TabletReopenPending() const { return m_bReopenTablet != 0; }
    // A dialog has the pen (ScopedTabletPark): parks nest.
    bool IsTabletParked() const { return m_nParkDepth > 0; }
    // The screen-capture overlay lends the pen to itself while it is active.
    void SetTabletActive(bool active);
    // Takes the packets waiting for this view's context, up to 64 at a time.
    void OnWtPacket();
    // One packet in letter mode (CScrivaViewCapture.cpp); false when it repeats the last point
    // and draws nothing.
    bool CapturePagePacket(DWORD time, DWORD buttons, LONG x, LONG y, DWORD pressure);
    bool IsStroking() const { return m_bStroking; }
    bool IsButtonDown() const { return m_bButtonDown; }
    // The view's screen rectangle, physical pixels.
    CRect ScreenRect() const;
    // Screen pixels to page pixels.
    POINT ScreenToPage(LONG x, LONG y) const { return ScreenToPage(x, y, ScreenRect()); }
    // The same with the view's screen rectangle already at hand (once per packet).
    POINT ScreenToPage(LONG x, LONG y, const CRect& window) const;
    // The window as drawn so far (live ink included).
    const QImage& WindowImage() const { return m_dcWindow.Bitmap(); }
    // Ink drawn ahead on the window up to the newest packet while a curve waits for its next
    // one ([TABLET] TAIL, on by default).
    void SetInkTail(bool on) { m_bInkTail = on; }
    bool IsInkTailShown() const { return m_tail.IsShown(); }
    // Pen-to-screen times of the packets written with ([TABLET] LATENCY=1 shows them).
    void SetLatencyShown(bool shown) { m_bShowLatency = shown; }
    const LatencyMeter& Latency() const { return m_latency; }
    // Renders the whole window from the page buffer at the next paint.
    void Invalidate();
    // While the page is drawn: shows part (page pixels) on the window at once, the ruled page
    // first, then each band of ink as it is done. Only the window's rows over part are drawn
    // again from the page, so rows still being drawn are never read.
    void ShowPagePart(const CRect& part);

    // The screen overlay (CScrivaViewScreen.cpp): the full-screen window over the frozen
    // screen that a screen capture selects on and desktop mode writes on. The frozen screen
    // is taken afresh each time the overlay goes up, by the grab of the session unless one is
    // set.
    void SetScreenGrab(std::unique_ptr<IScreenGrab> grab);
    CScreenOverlay& Overlay();
    bool IsOverlayShown() const;
    // The frozen screen, screen pixels (its viewport origin puts the desktop's corner on the
    // bitmap's); no bitmap while no overlay is up.
    const DrawingSurface& DesktopSnapshot() const { return m_dcDesktop; }
    // Desktop mode: hides the frame, freezes the screen and shows it in the overlay, which
    // the pen then writes on; the frame stays hidden for the caller to place. False, after
    // telling the user why and showing the frame again, when the screen cannot be taken.
    bool ShowSnapshotOverlay();
    void HideOverlay();
    // Something of ours stood over the writing overlay: it shows its back buffer again.
    void RepaintOverlay();
    // Capture Screen: with a tablet context, hides the frame for the capture panel and
    // returns true; without one (the selection is made with the pen) does nothing.
    bool StartScreenCapture();
    // The panel's Start: freezes and tints the screen under the overlay, where the pen drags
    // the rectangle to cut out.
    void BeginCaptureSelection();
    // One packet while a rectangle is being selected (view mode 2). Returns 1 when it moved
    // or finished the rectangle, 0 when it was passed over.
    BYTE SelectCapturePacket(DWORD time, DWORD buttons, LONG x, LONG y, DWORD pressure);
    // Escape on the overlay: it goes, and the frame comes back; a selection under way is
    // dropped. Nothing without a tablet context.
    void CloseOverlay();
    // 0 normal, 1 the capture panel shows, 2 a rectangle is being selected.
    short ViewMode() const { return m_nViewMode; }
    // The rectangle being selected, screen pixels; corner 1 is where the pen went down.
    const CRect& CaptureRect() const { return m_rcCapture; }
    // One packet in desktop mode (CScrivaViewDesktop.cpp), screen pixels: ink on the overlay.
    // False when it repeats the last point or is passed over.
    bool CaptureDesktopPacket(DWORD time, DWORD buttons, LONG x, LONG y, DWORD pressure);

    // Inking mode (CScrivaViewInking.cpp): the pen writes over other programs on the frozen
    // screen, and Inking puts what it wrote into the program under it.
    // "Start to write": freezes the screen under the overlay. Nothing while a write-over is
    // open or any overlay is up, or outside inking mode.
    void OnStartToWrite();
    // "Inking": the overlay goes and the strokes go into the program under them, through the
    // inserter. They are dropped once it took them; otherwise the overlay comes back with them.
    void OnInking();
    // "Cancel": the overlay goes and the strokes with it.
    void OnInkingCancel();
    bool IsWritingOver() const { return m_bWriteOver; }
    // Who puts the ink into other programs; the clipboard and the paste keystroke unless set.
    void SetInkInserter(std::unique_ptr<IInkInserter> inserter);
    IInkInserter& InkInserter();
    // One packet in inking mode, screen pixels: plain pen lines on the overlay. False when it
    // is passed over.
    bool CaptureInkingPacket(DWORD time, DWORD buttons, LONG x, LONG y, DWORD pressure);
    // IInkOwner: the clipboard asks for the ink we offered.
    void OnRenderFormat(const QString& format) override;
    void OnRenderAllFormats() override;

    void OnSetLineColor();
    void AddPageLength();
    void OnMinimize();
    void OnToggleMaximize();
    // Takes the selection off the picture and repaints where it was.
    void RefreshPictureArea();
    void RedrawPageRect(const RECT& rect) override;

    // Client pixels (physical) to page pixels.
    POINT WindowToPage(POINT client) const;
    // The scrollable size for a zoom level (0 stands for 0.5).
    void SetScrollSizesForZoom(int zoom);
    QSize TotalScrollSize() const { return m_totalSize; }
    QPoint ScrollPosition() const;
    void ScrollTo(int x, int y);
    // Renders what the window shows into image (client size, physical pixels).
    void OnDraw(QImage& image);
    void OnDraw(DrawingSurface& window);

    // IDocumentView
    PageSettings GetPageSettings() const override { return m_page.GetPageSettings(); }
    void SetPageSettings(const PageSettings& settings) override;
    void DrawRuledLines(bool withContent) override;
    DrawingSurface& PageSurface() override { return m_page.Surface(); }
    void ResetPage() override;
    void ScrollToOrigin() override { ScrollTo(0, 0); }
    void SetHasInk(bool hasInk) override { m_bHasInk = hasInk; }
    bool HasInkFlag() const { return m_bHasInk; }
    void ScheduleDeviceImport(const QString& path) override;
    void CancelDeviceImport() override { m_importTimer.stop(); }
    bool WriteDeviceFile(const QString& path) override;

    // Device files: replayed onto the page through the pen capture, or written from strokes.
    bool ImportDeviceFile(const QString& path) override;
    bool WriteDeviceFile(const QString& path, int firstStroke, int endStroke) override;
    DeviceGeometry Geometry() const;
    bool IsReplaying() const { return m_bReplaying; }
    // True from the start to the end of an import, while its progress display lets events in.
    bool IsImporting() const { return m_bImporting; }
    bool WritePdf(const QString& path) override;
    // Desktop mode's frozen screen while it is held (until Escape or another mode).
    const DrawingSurface* FrozenScreen() override;
    // Desktop mode: the frame minimised and the overlay hidden while the mail program has the
    // screen, and both back afterwards as they were.
    void BeginDesktopMail() override;
    void EndDesktopMail() override;
    FrameMode GetFrameMode() const override { return m_frameMode; }
    void TitleChanged(const QString& title) override { emit titleChanged(title); }
    void ParkTablet() override;
    void ReopenTablet() override;

    // IPageView
    DrawingSurface* PageBuffer() override { return &m_page.Surface(); }
    void ShowPictureMenu() override { emit pictureMenuRequested(); }

signals:
    void titleChanged(const QString& title);
    // A click on the overlay wants the frame back on top (and the pen-width popup closed).
    void frameWanted();
    // An import has ended; what waited for it can go on.
    void importFinished();
    // The frame shows the "Picture" menu; its commands come back through OnCommand.
    void pictureMenuRequested();
    // A print preview opens and closes: the frame hides its bars meanwhile.
    void printPreviewBegun();
    void printPreviewEnded();
    // A write-over begins (the bars show Inking and Cancel) and ends (Start to write again).
    void writeOverBegun();
    void writeOverEnded();
    // Something the user should know about the ink just handed over, said without stopping
    // them (the ink waits on the clipboard; nothing took it).
    void inkingNotice(const QString& text);
    // A line for the frame's status bar (the pen-to-screen times).
    void statusTextChanged(const QString& text);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;
    bool event(QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void OnTimer();
    // Printing: the document's name and, without a printer, a PDF file to print to; the sheets
    // of the printer's range; a message when they could not be printed.
    void PreparePrinter(QPrinter& printer) const;
    bool PrintSheets(QPrinter& printer, bool preview);
    // Desktop mode's one sheet: the frozen screen with the ink, the printer's full width.
    bool PrintDesktopSheet(QPrinter& printer, bool preview);
    // False, after telling the user, when desktop mode has no frozen screen left to print.
    bool CanPrint();
    void ReportPrint(bool printed, const QPrinter& printer);
    bool ReplayDeviceFile(const QString& path);
    // Tells the user why an image file or a pasted picture was not placed.
    void ReportImageLoad(ImageLoad result);
    void UpdateScrollBars();
    double PixelRatio() const;
    // Window to page conversions need the margin before the first paint at a zoom.
    void UpdatePageMargin();
    void SelectTool(int tool);
    void SetPenWidthPopupTool(int tool);
    void BorrowEraser();
    void ReturnToolInHand();

    // Letter-mode capture, the steps of CapturePagePacket in the order a packet takes them.
    // window is the view's screen rectangle, taken once per packet.
    enum class PenAt {
        Page,       // over the page: the packet may write
        FirstExit,  // just off the page with a stroke open: the stroke ends here
        Outside,    // elsewhere, or an exit passed over: the packet changes nothing
    };
    // One packet as the stroke takes it.
    struct StrokeSample {
        POINT screen;    // screen pixels
        POINT page;      // page pixels
        SHORT width;     // the tool's width value
        DWORD level;     // pressure in a device file's levels, 0..511
        COLORREF color;  // of the ink; black for the eraser's trail
    };
    // Notes the tip's press and release from a packet's button change.
    void TrackButtons(DWORD buttons);
    // Where the pen is; also decides whether it counts as down (m_bPenDown).
    PenAt Classify(POINT page, const CRect& window);
    StrokeSample SampleOf(POINT screen, POINT page, DWORD pressure) const;
    void BeginStroke(const StrokeSample& sample, const CRect& window);
    // False when the point repeats the last one and draws nothing.
    bool ExtendStroke(const StrokeSample& sample, const CRect& window);
    // Hands an open stroke to the note (an eraser's lasso erases); nothing when none is open.
    void EndStroke();
    // The first ink after an undo empties the redo list.
    void DiscardRedoOnce();
    // Live ink of the open stroke: from and to in screen pixels on the window, page pixels in
    // the page buffer. Widths are scaled by the stroke's own pressure maximum, as every later
    // redraw of the stroke scales them.
    void DrawWindowSegment(POINT from, POINT to, SHORT width, COLORREF color, InkRenderer::Segment phase,
                           const CRect& window);
    void DrawPageSegment(POINT from, POINT to, SHORT width, InkRenderer::Segment phase);
    void DrawMarkerSegment(const StrokeSample& sample, POINT lastPage, const CRect& window);
    void DrawMarkerLine(DrawingSurface& dc, POINT from, POINT to, int width);
    // Repaints rect (screen pixels, as drawn on the window during capture): at the end of the
    // batch of packets under way, else at the next paint.
    void UpdateScreenRect(CRect rect, const CRect& window);
    // The same for device pixels of the window surface.
    void UpdateWindowRect(const CRect& device);
    // The window's device pixels over part of the page (page pixels); inset, a row short at
    // the top and bottom and only whole columns, else every pixel part reaches.
    CRect WindowPixelsOver(const CRect& part, bool inset) const;
    // Logical pixels of the viewport that cover device (window device pixels).
    QRect LogicalRect(const CRect& device) const;
    // The end of a page shown as it filled: the window's pixels over the page that no band
    // showed (the rows between the bands) are drawn and shown now.
    void ShowRestOfPage();
    void RunAfterFirstPaint();
    // The provisional tail: taken off before the window is drawn on, drawn again after a batch.
    void RemoveInkTail();
    void DrawInkTail();
    // The end of a batch of packets: what they drew reaches the screen now, on the window or
    // the overlay, and is timed. wasStroking: a stroke was open when the batch began.
    void ShowBatch(const PenPacket* packets, int count, bool wasStroking);

    // Desktop-mode capture (CScrivaViewDesktop.cpp), screen pixels throughout.
    void TrackDesktopButtons(DWORD buttons, POINT at);
    // The pen-width popup or a dialog has the pen: its packets write nothing.
    bool IsDesktopPenElsewhere() const;
    StrokeSample DesktopSample(POINT screen, DWORD pressure) const;
    void BeginDesktopStroke(const StrokeSample& sample);
    bool ExtendDesktopStroke(const StrokeSample& sample);
    void EndDesktopStroke();
    // Live ink on the overlay: on its window surface and into its back buffer.
    void DrawOverlaySegment(POINT from, POINT to, SHORT width, COLORREF color, InkRenderer::Segment phase);
    void DrawOverlayMarker(POINT from, POINT to);
    // The frozen screen again in rect (screen pixels) of the overlay, with the ink over it.
    void RestoreOverlayRect(CRect rect);
    void UndoOnOverlay();
    void RedoOnOverlay();

    // Inking-mode capture and insertion (CScrivaViewInking.cpp).
    bool IsInkingPenElsewhere() const;
    StrokeSample InkingSample(POINT screen, DWORD pressure) const;
    void BeginInkingStroke(const StrokeSample& sample);
    void ExtendInkingStroke(const StrokeSample& sample);
    void EndInkingStroke();
    // A plain pen line on both overlay surfaces, as the tool draws it.
    void DrawInkingLine(POINT from, POINT to, SHORT width, COLORREF color);
    // A white bitmap of ink's size with the strokes that pass (all when marker is unset)
    // drawn shifted by minus its corner.
    DrawingSurface InkBitmap(const CRect& ink, std::optional<bool> marker) const;
    // The steps of OnInking; each returns what became of the ink.
    InkHandOver InsertOffice(const CRect& rcOther, const CRect& rcMarker);
    InkHandOver InsertGeneric(const CRect& rcAll);
    void EndWriteOver();
    void KeepWriteOver(const QString& why);

    // Screen capture and the overlay (CScrivaViewScreen.cpp).
    // Takes the screen into m_dcDesktop and covers it with the overlay; false, after the
    // message, when it cannot be taken.
    bool TakeSnapshot();
    void ReleaseSnapshot();
    // The frozen screen as the overlay's window and back buffer, with the ink over it.
    void ShowSnapshotInOverlay();
    // The frozen screen tinted in the overlay's window, for a selection.
    void ShowTintedSnapshot();
    void ShowFrame();
    void HideFrame();
    void FinishCaptureSelection();
    // Shows the band moved from oldBand to newBand (screen pixels, normalised).
    void DrawCaptureBand(const CRect& oldBand, const CRect& newBand);
    // Composes part (screen pixels) of the overlay with band as the band.
    void ComposeBandPart(const CRect& part, const CRect& band);
    // The desktop changed (a screen added, removed or resized) while the overlay is up.
    void WatchScreens();
    void OnDesktopChanged();
    void Wait(int ms);

    unsigned MouseFlags(const QMouseEvent* event) const;
    POINT PagePointOf(const QMouseEvent* event) const;

    CScrivaDoc& m_document;
    CanvasPage m_page;
    float m_fZoom = 0.5f;
    int m_nPageMarginX = 0;
    bool m_bHasInk = false;
    bool m_bDiscardRedo = false;
    bool m_bInkingLaunch = false;
    FrameMode m_frameMode = FrameMode::Letter;
    QSize m_totalSize;
    QTimer m_importTimer;
    DrawingSurface m_dcWindow;    // the client area as shown, live ink included
    bool m_windowDirty = true;    // re-render from the page buffer before the next paint
    InkTail m_tail;               // on m_dcWindow only
    // A page drawn with its content (DrawRuledLines) is shown as it fills: the ruled page, then
    // band by band; m_pageUnshown holds the window's device pixels over the page still waiting.
    enum class PageFill { None, RuledPage, Bands };
    PageFill m_pageFill = PageFill::None;
    QRegion m_pageUnshown;
    std::function<void()> m_afterFirstPaint;
    bool m_bInkTail = true;
    bool m_bInBatch = false;      // packets are being taken: repaints wait for the batch's end
    QRegion m_batchDirty;         // what the batch drew, logical pixels of the viewport
    LatencyMeter m_latency;
    bool m_bShowLatency = false;
    double m_lastLatencyShownMs = 0;

    // Tablet and pen state.
    static constexpr int kDisplaySettleMs = 1000;
    int m_bReopenTablet = 0;
    QTimer m_reopenTimer;
    int m_nParkDepth = 0;
    HCTX m_hTabletContext = 0;
    LOGCONTEXT m_lcTablet;
    int m_nPressureMax = 511;
    int m_nPressureDivisor = 1;
    int m_nTool = kPencil;
    int m_nPencilWidth = 2;
    int m_nBrushWidth = 2;
    int m_nMarkerWidth = 2;
    int m_penWidthPopupTool = 0;
    int m_nToolInHand = kToolNone;  // while the eraser end has the pen: the tool to go back to
    short m_nViewMode = 0;
    bool m_bButtonDown = false;
    bool m_bPenDown = false;
    bool m_bStroking = false;
    bool m_bExitPending = false;  // the next exit from the page passes over its first packet
    bool m_bReplaying = false;    // a batch of replayed packets is in the capture
    bool m_bImporting = false;    // an import runs, between batches too
    SHORT m_nLastWidth = 0;
    POINT m_ptLast;
    POINT m_ptPrev;
    std::unique_ptr<CLine> m_pCurLine;
    InkRenderer m_rendPage;
    InkRenderer m_rendScreen;
    QCursor m_hPenCursor;
    QCursor m_hEraserCursor;  // made by EraserCursor()
    double m_cursorRatio = 0;  // the pixel ratio m_hPenCursor is drawn for
    double m_eraserRatio = 0;  // and m_hEraserCursor
    bool m_bPopupParked = false;  // the pen-width popup holds a park

    // The overlay and the frozen screen.
    std::unique_ptr<IScreenGrab> m_screenGrab;
    std::unique_ptr<CScreenOverlay> m_pScreenOverlay;
    DrawingSurface m_dcDesktop;      // the frozen screen
    DrawingSurface m_dcCaptureTint;  // one colour over the whole screen, ANDed onto it
    DrawingSurface m_dcBandScratch;  // the rubber band is composed here before it shows
    CRect m_rcCapture;               // the rubber band, screen pixels
    DWORD m_dwLastSelectTime = 0;    // packet time of the band's last redraw
    WORD m_nCaptureSkip = 0;         // packets passed over since the selection began
    QTimer m_desktopTimer;           // a display change settles before the overlay follows
    bool m_bWriteOver = false;       // inking mode: between Start to write and Inking or Cancel
    bool m_bStartedToWrite = false;  // a write-over has begun since the view was made
    std::unique_ptr<IInkInserter> m_inkInserter;
    bool m_bWatchingScreens = false;
    bool m_bOverlayAsideForMail = false;  // the overlay was up when a mail put it away
};
