#pragma once
// The command bar: the strip across the top of the main frame with the file, print, mode,
// mail and help buttons, the window buttons and pen-width buttons of the captionless modes and,
// in inking mode, the write-over buttons with the "Start to write" hint balloon. Each button
// sends its command through commandTriggered. When the frame is not maximised, dragging the
// bar with the left button drags the frame.
//
// Hosting it in the frame:
//
//     auto* bar = new CCommandBar(this);
//     connect(bar, &CCommandBar::commandTriggered, this, &CMainFrame::OnCommand);
//
// The bar builds its buttons, lays itself out for letter mode and then keeps itself at the top
// of its parent, as wide as the parent and as high as the mode's background (stretched when the
// parent is wider than it). Call LayoutForMode on a mode
// switch, UpdateHint when the frame moves in inking mode and HideHint when it is resized or
// minimised. Whoever starts and ends a write-over calls ShowWriteOverButtons and
// ShowIdleButtons.

#include "shell/widgets/CBalloonTip.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "CommandBarArtwork.h"
#include "CommandBarLayout.h"
#include "FrameDrag.h"

#include "platform/FrameMode.h"
#include "platform/WinTypes.h"

#include <QTimer>
#include <QWidget>

#include <array>

class CCommandBar : public QWidget {
    Q_OBJECT
public:
    // The buttons, in creation order: the rows of CommandBarLayout's table.
    enum Button {
        kNew, kOpen, kSave, kPrintPreview, kPrint, kLetterMode, kMail, kDesktopMode, kHelp,
        kClose, kScale, kMinimize, kStartWrite, kCancel, kInking, kPencilWidth, kBrushWidth,
        kMarkerWidth, kButtonCount
    };
    static constexpr int kHintDelay = 30;  // ms from a layout to the hint balloon

    static_assert(kButtonCount == CommandBarLayout::kButtonCount, "a button per row of the bar's table");

    // One button of the bar, from its row of CommandBarLayout's table: the command it sends,
    // the string whose tooltip (and name for screen readers) it shows and its glyph.
    struct ButtonInfo {
        UINT command;
        UINT tooltip;
        CommandBarArtwork::Glyph glyph;
    };
    static const std::array<ButtonInfo, kButtonCount>& Buttons();

    explicit CCommandBar(QWidget* parent);
    ~CCommandBar() override;

    // (0, 0, width, height) of the background of the current mode. With apply, the bar moves
    // to (0, 0) and takes the work area's width and the background's height.
    QRect GetBarRect(bool apply);
    // Places and shows the buttons for mode; in inking mode the hint balloon then points at
    // "Start to write".
    void LayoutForMode(FrameMode mode);
    FrameMode Mode() const { return m_nMode; }

    // A write-over started: "Inking" and "Cancel" replace "Start to write" and "Minimize",
    // and the hint never shows again.
    void ShowWriteOverButtons();
    // The write-over ended: "Start to write" and "Minimize" come back.
    void ShowIdleButtons();

    // Points the hint balloon at "Start to write" while the hint is still wanted; right after
    // a layout the balloon appears kHintDelay ms later.
    void UpdateHint();
    void HideHint();
    // Says text in the balloon over the inking button that shows, for kNoticeMs or until the
    // next write-over begins.
    static constexpr int kNoticeMs = 10000;
    void ShowNotice(const QString& text);
    // The balloon, for the frame and tests.
    CBalloonTip& HintTip() { return m_tipHint; }
    bool HintWanted() const { return m_bShowHint; }

    // The pen widths shown as numbers outside letter mode.
    void SetPenWidths(int pencil, int brush, int marker);

    CHoverBitmapButton* GetButton(Button index) const { return m_btn[index]; }
    // The button that sends command, or null.
    CHoverBitmapButton* ButtonFor(UINT command) const;

signals:
    // A button was clicked: the command it sends.
    void commandTriggered(UINT id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateButtons();
    void LoadBitmaps(Button index, QSize size);
    void DrawForScreen();
    int BackgroundHeight() const;  // logical pixels
    void FollowParent();
    void OnHintTimer();

    std::array<CHoverBitmapButton*, kButtonCount> m_btn{};
    QWidget* m_hidden = nullptr;  // the template's hidden control
    bool m_bShowHint = true;       // until the first press of "Start to write"
    bool m_bLayoutPending = false; // from a layout to the next size change
    bool m_bHintBlocked = false;   // a modal dialog put the showing balloon away
    QTimer m_hintTimer;            // shows the balloon once, kHintDelay ms after a layout
    QTimer m_noticeTimer;          // puts a notice away
    FrameDrag m_drag;              // the left button drags the frame
    CBalloonTip m_tipHint;
    FrameMode m_nMode = FrameMode::Letter;
    QPixmap m_background;          // of m_nMode, drawn for m_ratio
    qreal m_ratio = 1;             // the screen's physical pixels per logical pixel
    bool m_bCompact = false;       // the compact replacement look was in use at creation
    int m_widths[3] = {1, 3, 5};   // pencil, brush, marker, as shown outside letter mode
};
