#pragma once
// The view of the note: a scrolling window that shows the page back buffer at zoom 0.5, 1, 2
// or 4. Painting only scales the buffer onto the window; every change is rendered into the
// buffer first. At zoom 0.5 the page sits in the middle of the screen between grey bands.

#include "CanvasPage.h"

#include "document/CScrivaDoc.h"

#include <QAbstractScrollArea>
#include <QImage>
#include <QTimer>

class CScrivaView : public QAbstractScrollArea, public IDocumentView {
    Q_OBJECT
public:
    static constexpr UINT kImportTimer = 1;
    static constexpr int kImportDelayMs = 250;

    explicit CScrivaView(CScrivaDoc& document, QWidget* parent = nullptr);

    CScrivaDoc& GetDocument() { return m_document; }
    CanvasPage& Page() { return m_page; }
    float Zoom() const { return m_fZoom; }
    int PageMarginX() const { return m_nPageMarginX; }
    bool HasInk() const { return m_bHasInk; }
    // The frame mode the view works in: 0 letter, 1 desktop, 2 inking.
    void SetFrameMode(int mode) { m_frameMode = mode; }
    // Launched in inking mode: no black band beside a narrow page.
    void SetInkingLaunch(bool inking) { m_bInkingLaunch = inking; }

    // Handles the commands of the view; false for commands it does not know.
    bool OnCommand(UINT id);
    void OnZoomIn();
    void OnZoomOut();
    void OnUndo();
    void OnRedo();
    void OnSetLineColor();
    void AddPageLength();
    void OnMinimize();
    void OnToggleMaximize();
    // Takes the selection off the picture and repaints where it was.
    void RefreshPictureArea();
    void RedrawPageRect(const RECT& rect);

    // Client pixels (physical) to page pixels.
    POINT WindowToPage(POINT client) const;
    // The scrollable size for a zoom level (0 stands for 0.5).
    void SetScrollSizesForZoom(int zoom);
    QSize TotalScrollSize() const { return m_totalSize; }
    QPoint ScrollPosition() const;
    void ScrollTo(int x, int y);
    // Renders what the window shows into image (client size, physical pixels).
    void OnDraw(QImage& image);

    // IDocumentView
    PageSettings GetPageSettings() const override { return m_page.GetPageSettings(); }
    void SetPageSettings(const PageSettings& settings) override;
    void DrawRuledLines(bool withContent) override;
    DrawingSurface& PageSurface() override { return m_page.Surface(); }
    void ResetPage() override;
    void ScrollToOrigin() override { ScrollTo(0, 0); }
    void SetHasInk(bool hasInk) override { m_bHasInk = hasInk; }
    void ScheduleDeviceImport(const QString& path) override;
    int FrameMode() const override { return m_frameMode; }
    void TitleChanged(const QString& title) override { emit titleChanged(title); }
    void ParkTablet() override {}
    void ReopenTablet() override {}

signals:
    void titleChanged(const QString& title);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void OnTimer();
    void UpdateScrollBars();
    void ImportDeviceFile(const QString& path);
    double PixelRatio() const;

    CScrivaDoc& m_document;
    CanvasPage m_page;
    float m_fZoom = 0.5f;
    int m_nPageMarginX = 0;
    bool m_bHasInk = false;
    bool m_bDiscardRedo = false;
    bool m_bInkingLaunch = false;
    int m_frameMode = 0;
    QSize m_totalSize;
    QTimer m_importTimer;
    QImage m_window;  // the client area as last painted
};
