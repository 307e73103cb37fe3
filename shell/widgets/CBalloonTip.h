#pragma once
// A balloon tip: a top-most rounded window with a stem, showing one text for one owner
// window. As a tracking tip it stands with its stem tip on a screen point that the caller
// moves (TrackPosition) and shows while activated; otherwise it appears below the owner after
// the mouse rests on the owner for the initial delay. Pixels are screen pixels unless said.

#include "platform/ColorRef.h"
#include "platform/WinTypes.h"

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QPainterPath>
#include <QWidget>

class CBalloonTip : public QWidget {
    Q_OBJECT
public:
    static constexpr COLORREF kDefaultTextColor = RGB(0, 0, 0);
    static constexpr COLORREF kDefaultBackColor = 0x00C8FFFF;  // pale yellow
    static constexpr int kMargin = 8;       // between the body's edge and the text
    static constexpr int kRadius = 8;       // of the body's corners
    static constexpr int kStemHeight = 12;  // from the body's edge to the stem tip
    static constexpr int kStemWidth = 12;   // of the stem where it meets the body
    static constexpr int kStemOffset = 16;  // from the window's side edge to the stem tip

    CBalloonTip();
    ~CBalloonTip() override;

    // Makes the balloon a top-most tip window owned by owner (closed with it), never taking
    // the activation. Returns false without an owner.
    bool Create(QWidget* owner);
    // Sets up the one tool with a text of one blank. A tracking tool is placed by
    // TrackPosition; otherwise the tip follows the mouse resting on the owner.
    void AddTool(QWidget* owner, bool tracking);
    // Delays in milliseconds: how long the tip stays, the rest before it shows, and (unused by
    // a single tool) the wait before another tool's tip shows.
    void SetDelays(int autopop, int initial, int reshow);
    void SetColors(COLORREF text, COLORREF background);
    // Tracking tool: shows (true) or hides (false) the tip. Otherwise: enables the tip, which
    // then shows when the mouse rests on the owner, or disables and hides it.
    void Activate(bool active);
    // Replaces the text; the balloon is resized and keeps its stem on the tracked point.
    void SetText(const QString& text);
    // Moves the tracking tip so that its stem tip is at the screen point (x, y).
    void TrackPosition(int x, int y);
    // Moves the tracking tip beside a window: its body above the screen point above, the stem
    // pointing down at it, or, where the screen has no room above, its body below the point
    // below, the stem pointing up. Either way the tip covers nothing between the two points.
    void TrackOutside(QPoint above, QPoint below);
    // A mouse move over window (the owner) as the tip would see it: restarts the initial delay.
    void RelayMouseMove(QWidget* window);
    void Update() { update(); }
    // The size of the balloon window, stem included; an empty size when the platform cannot
    // measure tips.
    QSize GetBubbleSize() const;

    const QString& Text() const { return m_text; }
    bool IsTracking() const { return m_bTracking; }
    bool IsActive() const { return m_bActive; }
    COLORREF TextColor() const { return m_textColor; }
    COLORREF BackColor() const { return m_backColor; }
    // The stem tip, window pixels.
    QPoint StemTip() const;
    // The rectangle the text is drawn in, window pixels.
    QRect TextRect() const;

protected:
    void paintEvent(QPaintEvent* event) override;
    // The body and the stem, window pixels.
    QPainterPath Outline() const;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void Layout();
    void ShowBelowOwner();

    // Windows needs common controls 5.80 for tracking balloons and for measuring them and
    // keeps the library's version to check; a Qt window can always be placed at a point and
    // measured, so on this platform the check always passes.
    bool m_bTrackingSupported = true;
    bool m_bTracking = false;  // the tool was added as a tracking tool
    bool m_bActive = false;
    bool m_bStemBelow = false;  // stem on the bottom edge, the body above the point
    bool m_bStemRight = false;  // stem near the right edge, the body left of the point
    QPointer<QWidget> m_owner;
    QString m_text = QStringLiteral(" ");
    COLORREF m_textColor = kDefaultTextColor;
    COLORREF m_backColor = kDefaultBackColor;
    QPoint m_tracked;  // screen point of the stem tip
    bool m_bPlaced = false;  // m_tracked holds a point
    bool m_bOutside = false;  // placed by TrackOutside: m_tracked is one of the two points
    QPoint m_above, m_below;
    QTimer m_initialTimer;  // the mouse rest before a non-tracking tip shows
    QTimer m_autopopTimer;  // how long a non-tracking tip stays
    int m_nReshow = 0;      // ms
};
