#pragma once
// The bar at the bottom of the main frame: the writing tools, undo and redo, zoom, picture and
// page buttons, twelve colour swatches the user can redefine, the pen-colour and page-colour
// indicators, the line-height arrows and the three thickness buttons with their pen widths.
// Buttons send their commands through commandTriggered; the frame runs them and then calls
// SyncWithView. The swatches are read from the settings file when the bar is made; the colours
// and the line height are written back when it goes away and when the program quits.

#include "CPenWidthPopup.h"

#include "platform/ColorRef.h"
#include "platform/Settings.h"
#include "platform/WinTypes.h"

#include <QPointer>
#include <QRect>
#include <QWidget>

#include <array>

class CHoverBitmapButton;
class CScrivaView;
class QScrollBar;

class CPaletteBar : public QWidget {
    Q_OBJECT
public:
    static constexpr int kButtonCount = 22;
    static constexpr int kHeight = 85;                  // letter mode, pixels
    static constexpr QSize kLetterSize{1300, 85};       // the letter-mode background
    static constexpr QSize kSmallLetterSize{2048, 55};  // the same on a screen under 800 pixels
    static constexpr int kSmallScreenWidth = 800;
    static constexpr int kSwatchSize = 15;   // pixels square
    static constexpr int kSwatchPitch = 28;  // from one swatch to the next
    static constexpr QPoint kSwatchOrigin{364, 33};
    static constexpr int kSecondSwatchRow = 61;

    // The commands of the buttons, by button index.
    static const std::array<UINT, kButtonCount> kCommands;

    explicit CPaletteBar(CScrivaView* view, QWidget* parent = nullptr);
    ~CPaletteBar() override;

    // (0, 0, width, height) of the mode's background.
    QRect GetBarRect() const;
    bool IsSmallScreen() const { return m_bSmallScreen; }

    // Brings the tool buttons, the pen widths, the indicators and the line-height arrows in
    // step with the view.
    void SyncWithView();
    // PENCOLOR, BKCOLOR, LINECOLOR, the twelve swatches and LINEHEIGHT, into the settings file.
    void WriteSettings() const;

    CHoverBitmapButton* Button(UINT command) const;
    QScrollBar* LineHeightArrows() const { return m_lineHeight; }
    COLORREF ColorBlock(int i) const { return m_crBlock[size_t(i)]; }
    // Bar pixels.
    static QRect SwatchRect(int i);
    static QRect PenColorRect() { return QRect(250, 12, 30, 30); }
    static QRect PageColorRect() { return QRect(268, 40, 30, 30); }

    // The pen-width popup above the thickness buttons; null until it first opened.
    CPenWidthPopup* PenWidthPopup() const { return m_popup; }

signals:
    void commandTriggered(UINT id);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    bool event(QEvent* event) override;

private:
    void CreateButtons();
    void LayoutForLetterMode();
    void ShowToolLooks();
    void OnLineHeightArrow(int action);
    void HidePenWidthPopup();
    int SwatchAt(QPoint point) const;  // -1 when none
    // Opens or closes the popup window for the tool the view says it is open for.
    void SyncPenWidthPopup();

    QPointer<CScrivaView> m_view;
    bool m_bSmallScreen = false;
    std::array<CHoverBitmapButton*, kButtonCount> m_btn{};
    std::array<COLORREF, Settings::kColorBlocks> m_crBlock{};
    QWidget* m_hidden = nullptr;  // takes the focus when the mouse leaves a button
    QScrollBar* m_lineHeight = nullptr;
    int m_shownTool = -1;  // the tool whose button shows the selected look
    bool m_bWritten = false;
    QPointer<CPenWidthPopup> m_popup;  // a child of the top-level window, above the bar
};
