#pragma once
// The bar at the bottom of the main frame: the writing tools, undo and redo, zoom, picture and
// page buttons, twelve colour swatches the user can redefine, the pen-colour and page-colour
// indicators, the line-height arrows and the three thickness buttons with their pen widths.
// Desktop and inking modes show a smaller set; when the frame has no caption, dragging the bar
// drags the frame.
// Buttons send their commands through commandTriggered; the frame runs them and then calls
// SyncWithView. The swatches are read from the settings file when the bar is made; the colours
// and the line height are written back when it goes away and when the program quits.

#include "CPenWidthPopup.h"
#include "FrameDrag.h"
#include "PaletteBarLayout.h"

#include "platform/ColorRef.h"
#include "platform/Settings.h"
#include "platform/WinTypes.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>
#include <optional>

class CHoverBitmapButton;
class CScrivaView;
class QScrollBar;

class CPaletteBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtonCount = PaletteBarLayout::kButtonCount;
    static constexpr int kHeight = 85;                  // letter mode, pixels

    // The commands of the buttons, by button index: the rows of PaletteBarLayout's table.
    static const std::array<UINT, kButtonCount> kCommands;

    explicit CPaletteBar(CScrivaView* view, QWidget* parent = nullptr);
    ~CPaletteBar() override;

    // (0, 0, width, height) of the background of the current mode. With apply the bar takes
    // that size (as wide as its parent allows in letter mode).
    QRect GetBarRect(bool apply = false);
    // Places, shows and hides the buttons, indicators and swatches for mode.
    void LayoutForMode(FrameMode mode);
    FrameMode Mode() const { return m_nMode; }
    bool IsSmallScreen() const { return m_bSmallScreen; }
    // The narrow letter-mode band (true) or the wide one; lays the bar out again on a change.
    void SetSmallScreen(bool small);
    // The letter-mode band for a screen width logical pixels wide: the wide one where all of it
    // fits, the narrow one otherwise.
    void FitScreenWidth(int width);
    // The compact replacement look was in use when the bar was made.
    bool IsCompact() const { return m_bCompact; }
    const PaletteBarLayout& Layout() const;
    // The size of the background of mode, whichever mode the bar is in now.
    QSize BarSizeFor(FrameMode mode) const;

    // Brings the tool buttons, the pen widths, the indicators and the line-height arrows in
    // step with the view.
    void SyncWithView();
    // PENCOLOR, BKCOLOR, LINECOLOR, the twelve swatches and LINEHEIGHT, into the settings file.
    void WriteSettings() const;

    CHoverBitmapButton* Button(UINT command) const;
    QScrollBar* LineHeightArrows() const { return m_lineHeight; }
    COLORREF ColorBlock(int i) const { return m_crBlock[size_t(i)]; }
    // Bar pixels, in the current layout.
    QRect SwatchRect(int i) const { return Layout().SwatchRect(i); }
    QRect PenColorRect() const { return Layout().penColor; }
    QRect PageColorRect() const { return Layout().pageColor; }
    // The colour the shared colour chooser opens with: the last one chosen in it.
    COLORREF LastChosenColor() const { return m_crChosen; }

    // The pen-width popup above the thickness buttons; null until it first opened.
    CPenWidthPopup* PenWidthPopup() const { return m_popup; }
    // Rolls the popup in (a click elsewhere, the frame shown or hidden).
    void HidePenWidthPopup();
    // The popup, when open, goes back above its button (the frame moved or changed size).
    void RepositionPenWidthPopup();
    // The popup's thickness buttons outside letter mode stand on the command bar.
    void SetThicknessAnchors(std::array<QWidget*, 3> anchors) { m_frameAnchors = anchors; }
    // The bar's own window buttons, for the write-over of the compact inking frame.
    void ShowMinimizeButton(bool show);

signals:
    void commandTriggered(UINT id);
    // The pen-width popup has rolled in: whatever it covered shows again.
    void penWidthPopupRolledIn();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateButtons();
    // The swatches and indicators as named children, for their tooltips and screen readers.
    void CreateSpots();
    void PlaceSpots();
    void LoadButtonArt(UINT command, QSize size);
    void OnLineHeightArrow(int action);
    int SwatchAt(QPoint point) const;  // -1 when none
    // Runs the shared colour chooser; nullopt when cancelled.
    std::optional<COLORREF> ChooseColor();
    // Opens or closes the popup window for the tool the view says it is open for.
    void SyncPenWidthPopup();
    QWidget* ThicknessAnchor(int tool) const;
    QSize BarSize() const;
    void ShowToolLooks();
    void PaintPenWidths(QPainter& p);

    QPointer<CScrivaView> m_view;
    bool m_bSmallScreen = false;
    bool m_bCompact = false;
    FrameMode m_nMode = FrameMode::Letter;
    qreal m_ratio = 1;  // the screen's physical pixels per logical pixel the pictures are drawn for
    COLORREF m_crChosen = 0;  // the shared chooser starts black and remembers its last colour
    std::array<CHoverBitmapButton*, kButtonCount> m_btn{};
    std::array<COLORREF, Settings::kColorBlocks> m_crBlock{};
    QWidget* m_hidden = nullptr;  // the template's hidden control
    QScrollBar* m_lineHeight = nullptr;
    std::array<QWidget*, Settings::kColorBlocks> m_swatchSpots{};
    QWidget* m_penColorSpot = nullptr;
    QWidget* m_pageColorSpot = nullptr;
    int m_shownTool = -1;  // the tool whose button shows the selected look
    FrameDrag m_drag;
    QPointer<CPenWidthPopup> m_popup;  // a child of the top-level window, above the bar
    std::array<QWidget*, 3> m_frameAnchors{};
};
