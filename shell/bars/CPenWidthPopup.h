#pragma once
// The popup that rolls out above a thickness button and offers the other pen widths. It is a
// shaped tool window owned by the bar's top-level window, so it can stand over the view above
// the bar, and above the small frames too.
// Opening grows it upward from the anchor button's top edge in four timer steps (a quarter,
// a third, a half, then the full height); closing shrinks it the same way and then hides it.
// The width buttons send ID_PEN_WIDTH1..5 through commandTriggered; whoever shows the popup
// runs them, and decides when it opens and closes.

#include "platform/WinTypes.h"

#include <QPointer>
#include <QRegion>
#include <QTimer>
#include <QWidget>

#include <array>

class CHoverBitmapButton;
class QLabel;

class CPenWidthPopup : public QWidget {
    Q_OBJECT
public:
    static constexpr int kSteps = 4;
    static constexpr int kStepInterval = 1;  // milliseconds

    // window is the top-level window the popup stands in.
    explicit CPenWidthPopup(QWidget* window);
    ~CPenWidthPopup() override;

    // Opens the popup for tool above anchor, with the button of width (1..5) hidden; closes
    // it when it is already open for tool.
    void Toggle(int tool, int width, QWidget* anchor);
    // Rolls the popup in; nothing when it is closed or closing.
    void HidePopup();
    // Puts an open popup back above its anchor, e.g. after the window changed size.
    void Reposition();
    // One animation step; the timer calls it.
    void OnStep();

    // The tool the popup is open (or opening) for; 0 when closed or closing.
    int Tool() const { return m_nTool; }
    bool IsAnimating() const { return m_timer.isActive(); }
    QSize FullSize() const { return m_rcFull.size(); }
    // The button of width n (1..5).
    CHoverBitmapButton* WidthButton(int n) const { return m_btnWidth[size_t(n - 1)]; }

signals:
    void commandTriggered(UINT id);
    // A click on the sheet between the buttons: the popup should roll in.
    void dismissRequested();
    // The popup has rolled in and is hidden.
    void rolledIn();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // Draws the sheet and the buttons for a screen of ratio physical pixels per logical one.
    void DrawFor(qreal ratio);
    void Place(int height);
    bool IsOutside(const QWidget* target) const;
    void Close();

    std::array<CHoverBitmapButton*, 5> m_btnWidth{};
    QLabel* m_sheet = nullptr;  // the full-size background carrying the buttons
    QRegion m_shape;            // the outline's window pixels, logical
    QRect m_rcFull;
    qreal m_ratio = 0;          // the pictures are drawn for it
    QPointer<QWidget> m_anchor;
    QTimer m_timer;
    int m_nTool = 0;
    int m_nStep = kSteps;   // the height is full / m_nStep
    bool m_bOpening = false;
};
