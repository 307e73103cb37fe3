#pragma once
// The small floating panel of a screen capture: "Start to Capture" and "Exit Capture Mode".
// It stands top-most just above the palette bar's capture-screen button while the main window
// is hidden, and is dragged by its background. Start hides the panel, lets the screen settle
// for kCaptureDelayMs, runs the capture and closes with Accepted; Exit shows the main window
// again and closes with Rejected (as do Escape and closing the panel).

#include "platform/Resources.h"
#include "platform/WinTypes.h"

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QRegion>
#include <QTimer>

#include <functional>

class CHoverBitmapButton;

class CCaptureControlDlg : public QDialog {
    Q_OBJECT
public:
    // Begins the selection on the frozen screen; called once the panel is out of the way.
    using CaptureFunction = std::function<void()>;

    static constexpr UINT IDD = 218;
    static constexpr QSize kSize{192, 60};         // the background's size, pixels
    static constexpr int kAnchorLeftOffset = 63;   // the panel's left edge is this far left of the anchor's
    static constexpr int kCaptureDelayMs = 100;    // between hiding the panel and the capture
    // Button places with the built-in pictures (the panel is then a rounded shape) and with a
    // replacement bundle (its pictures bring their own layout and no shape).
    static constexpr QPoint kStartPlace{41, 11};
    static constexpr QPoint kCancelPlace{110, 11};
    static constexpr QPoint kBundleStartPlace{58, 18};
    static constexpr QPoint kBundleCancelPlace{100, 18};
    static constexpr int kCornerEllipse = 60;      // width and height of the shape's corner ellipses

    // parent is the window whose top-level window the panel hides and shows again (the view).
    // bundleLayout: lay the panel out for the replacement bundle's pictures.
    explicit CCaptureControlDlg(CaptureFunction capture, QWidget* parent = nullptr,
                                bool bundleLayout = Resources::UsingResourceLibrary());

    // Shows the panel top-most, enabled, its left edge kAnchorLeftOffset pixels left of
    // anchor's and its bottom on anchor's top edge. Without an anchor it keeps its place.
    void ShowAbove(const QWidget* anchor);
    // Top-left corner of a panel of size placed above anchor (both in screen coordinates).
    static QPoint PlaceAbove(const QRect& anchor, QSize size = kSize);
    // The shape of the built-in look: a rounded rectangle over the whole panel.
    static QRegion PanelShape();

    void OnStartCapture();
    void OnCancel();

    CHoverBitmapButton* StartButton() const { return m_btnStart; }
    CHoverBitmapButton* CancelButton() const { return m_btnCancel; }
    bool IsBundleLayout() const { return m_bBundleLayout; }
    // True from Start until the capture has run.
    bool IsCapturePending() const { return m_captureTimer.isActive(); }

    void reject() override;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    CHoverBitmapButton* MakeButton(UINT id, const QString& picture, UINT tooltip, QPoint place);
    void RunCapture();

    CaptureFunction m_capture;
    bool m_bBundleLayout;
    QWidget* m_hidden = nullptr;  // takes the focus when the mouse leaves a button
    CHoverBitmapButton* m_btnStart = nullptr;
    CHoverBitmapButton* m_btnCancel = nullptr;
    QTimer m_captureTimer;
    bool m_bDragging = false;
    QPoint m_dragOffset;  // from the panel's top-left corner to the pressed point
};
