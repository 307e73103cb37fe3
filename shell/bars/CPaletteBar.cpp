#include "CPaletteBar.h"

#include "BarArtwork.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "CPenWidthPopup.h"
#include "PaletteSpot.h"
#include "shell/tables/StringTable.h"

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr UINT kThicknessCommands[] = {IDC_PENCIL_THICKNESS, IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS};
constexpr int kThicknessTools[] = {CScrivaView::kPencil, CScrivaView::kBrush, CScrivaView::kMarker};

int ToolOf(UINT command)
{
    switch (command) {
    case IDC_PENCIL: return CScrivaView::kPencil;
    case IDC_BRUSH: return CScrivaView::kBrush;
    case IDC_MARKER: return CScrivaView::kMarker;
    case IDC_ERASER: return CScrivaView::kEraser;
    case IDC_MOVE_PICTURE: return CScrivaView::kToolNone;  // the picture tool
    default: return -1;
    }
}

}  // namespace

const std::array<UINT, CPaletteBar::kButtonCount> CPaletteBar::kCommands = [] {
    std::array<UINT, kButtonCount> commands{};
    std::ranges::transform(PaletteBarLayout::Buttons(), commands.begin(), &PaletteBarLayout::Button::command);
    return commands;
}();

CPaletteBar::CPaletteBar(CScrivaView* view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setObjectName(QStringLiteral("PaletteBar"));
    m_bCompact = Resources::UsingResourceLibrary();
    // Logical pixels, as the bar is laid out.
    m_bSmallScreen = !PaletteBarLayout::WideLetterBandFits(ScreenMetrics::LogicalScreenSize().width(), m_bCompact);
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        m_crBlock[size_t(i)] = ReadColorSetting(Settings::ColorBlock(i));

    m_hidden = new QWidget(this);
    m_hidden->setObjectName(QStringLiteral("Hidden"));
    m_hidden->setFocusPolicy(Qt::NoFocus);  // the keyboard stays with the page
    m_hidden->setGeometry(0, 0, 1, 1);

    m_lineHeight = new QScrollBar(Qt::Vertical, this);
    m_lineHeight->setRange(-1, 1);  // only the arrows count; the value goes back to the middle
    m_lineHeight->setValue(0);
    m_lineHeight->setFocusPolicy(Qt::NoFocus);
    m_lineHeight->setToolTip(LoadString(IDS_LINE_HEIGHT));
    m_lineHeight->setAccessibleName(LoadString(IDS_LINE_HEIGHT));
    connect(m_lineHeight, &QScrollBar::actionTriggered, this, &CPaletteBar::OnLineHeightArrow);

    CreateButtons();
    CreateSpots();
    LayoutForMode(FrameMode::Letter);
    SyncWithView();
    // The program may end without tearing the windows down first.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { WriteSettings(); });
}

CPaletteBar::~CPaletteBar()
{
    WriteSettings();
    delete m_popup;
}

QSize CPaletteBar::BarSize() const
{
    return BarSizeFor(m_nMode);
}

QSize CPaletteBar::BarSizeFor(FrameMode mode) const
{
    return BarArtwork::BackgroundSize(mode, m_bSmallScreen);
}

QRect CPaletteBar::GetBarRect(bool apply)
{
    const QSize size = BarSize();
    if (apply) {
        setFixedHeight(size.height());
        // Letter mode spans the frame; the small frames are exactly as wide as their bars.
        if (m_nMode == FrameMode::Letter) {
            setMinimumWidth(0);
            setMaximumWidth(QWIDGETSIZE_MAX);
        } else {
            setFixedWidth(size.width());
        }
    }
    update();
    return QRect(QPoint(0, 0), size);
}

const PaletteBarLayout& CPaletteBar::Layout() const
{
    return PaletteBarLayout::For(m_nMode, m_bSmallScreen, m_bCompact);
}

void CPaletteBar::CreateButtons()
{
    for (size_t i = 0; i < kCommands.size(); ++i) {
        const PaletteBarLayout::Button& row = PaletteBarLayout::Buttons()[i];
        auto* button = new CHoverBitmapButton(row.command, this);
        button->SetHiddenControl(m_hidden);
        button->SetToolTipText(TooltipOf(LoadString(row.tooltip)));
        connect(button, &CHoverBitmapButton::commandTriggered, this, [this](UINT id) {
            // A thickness command opens, moves or closes the popup by itself.
            if (std::find(std::begin(kThicknessCommands), std::end(kThicknessCommands), id) ==
                std::end(kThicknessCommands))
                HidePenWidthPopup();
            emit commandTriggered(id);
        });
        m_btn[i] = button;
    }
}

void CPaletteBar::CreateSpots()
{
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        m_swatchSpots[size_t(i)] = new PaletteSpot(LoadString(IDS_COLOR_SWATCH).arg(i + 1), this);
    m_penColorSpot = new PaletteSpot(LoadString(IDS_PEN_COLOR), this);
    m_pageColorSpot = new PaletteSpot(LoadString(IDS_PAGE_COLOR), this);
}

// Each spot over its part; a part the layout does not show hides its spot.
void CPaletteBar::PlaceSpots()
{
    const auto place = [](QWidget* spot, const QRect& rect) {
        spot->setGeometry(rect);
        spot->setVisible(!rect.isEmpty());
    };
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        place(m_swatchSpots[size_t(i)], SwatchRect(i));
    place(m_penColorSpot, PenColorRect());
    place(m_pageColorSpot, PageColorRect());
}

CHoverBitmapButton* CPaletteBar::Button(UINT command) const
{
    for (size_t i = 0; i < kCommands.size(); ++i)
        if (kCommands[i] == command)
            return m_btn[i];
    return nullptr;
}

// The button's four looks at the size the layout gives it; a tool in use shows its selected look.
void CPaletteBar::LoadButtonArt(UINT command, QSize size)
{
    const bool selected = m_view && ToolOf(command) >= 0 && ToolOf(command) == m_view->Tool();
    const BarArtwork::ButtonImages art = BarArtwork::ButtonArt(command, selected, size, m_ratio);
    Button(command)->LoadBitmaps(art.normal, art.pressed, art.focused, art.disabled);
}

void CPaletteBar::LayoutForMode(FrameMode mode)
{
    HidePenWidthPopup();
    m_nMode = mode;
    m_ratio = devicePixelRatioF();
    GetBarRect(true);
    const PaletteBarLayout& layout = Layout();
    for (size_t i = 0; i < kCommands.size(); ++i) {
        const QRect rect = layout.Place(PaletteBarLayout::Buttons()[i]);
        if (rect.isEmpty()) {
            m_btn[i]->hide();
            continue;
        }
        LoadButtonArt(kCommands[i], rect.size());
        m_btn[i]->setGeometry(rect);
        m_btn[i]->show();
    }
    m_shownTool = m_view ? m_view->Tool() : -1;
    m_lineHeight->setGeometry(layout.arrows);
    m_lineHeight->setVisible(!layout.arrows.isEmpty());
    PlaceSpots();
    update();
}

void CPaletteBar::SetSmallScreen(bool small)
{
    if (small == m_bSmallScreen)
        return;
    m_bSmallScreen = small;
    hide();
    LayoutForMode(m_nMode);
    show();
}

void CPaletteBar::FitScreenWidth(int width)
{
    SetSmallScreen(!PaletteBarLayout::WideLetterBandFits(width, m_bCompact));
}

void CPaletteBar::ShowMinimizeButton(bool show)
{
    Button(IDC_MINIMIZE)->setVisible(show && !Layout().ButtonRect(IDC_MINIMIZE).isEmpty());
}

int CPaletteBar::SwatchAt(QPoint point) const
{
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        if (SwatchRect(i).contains(point))
            return i;
    return -1;
}

void CPaletteBar::SyncWithView()
{
    if (!m_view)
        return;
    ShowToolLooks();
    m_lineHeight->setEnabled(!m_view->HasInkFlag());
    SyncPenWidthPopup();
    update();
}

// The button of the tool in use shows the selected look in every state.
void CPaletteBar::ShowToolLooks()
{
    const int tool = m_view->Tool();
    if (tool == m_shownTool)
        return;
    m_shownTool = tool;
    for (UINT command : {IDC_PENCIL, IDC_BRUSH, IDC_MARKER, IDC_ERASER, IDC_MOVE_PICTURE}) {
        const QRect rect = Layout().ButtonRect(command);
        if (!rect.isEmpty())
            LoadButtonArt(command, rect.size());
    }
}

void CPaletteBar::HidePenWidthPopup()
{
    if (!m_view || !m_view->PenWidthPopupTool())
        return;
    for (size_t i = 0; i < std::size(kThicknessTools); ++i)
        if (kThicknessTools[i] == m_view->PenWidthPopupTool())
            m_view->OnCommand(kThicknessCommands[i]);  // the same command closes an open popup
    SyncPenWidthPopup();
}

void CPaletteBar::RepositionPenWidthPopup()
{
    if (m_popup)
        m_popup->Reposition();
}

// Above the tool's thickness button (the marker's for any other tool): this bar's in letter
// mode, the command bar's in the small frames.
QWidget* CPaletteBar::ThicknessAnchor(int tool) const
{
    size_t i = std::size(kThicknessTools) - 1;
    for (size_t j = 0; j < std::size(kThicknessTools); ++j)
        if (kThicknessTools[j] == tool)
            i = j;
    if (m_nMode != FrameMode::Letter && m_frameAnchors[i])
        return m_frameAnchors[i];
    return Button(kThicknessCommands[i]);
}

// The view owns whether the popup is open and for which tool; the window follows it, so
// whatever closes it in the view (a tool, undo, a width chosen) also rolls the window in.
void CPaletteBar::SyncPenWidthPopup()
{
    const int tool = m_view && isVisible() ? m_view->PenWidthPopupTool() : 0;
    if (!tool) {
        if (m_popup)
            m_popup->HidePopup();
        return;
    }
    if (!m_popup) {
        m_popup = new CPenWidthPopup(window());
        // The width buttons take the same path as the bar's: the frame runs the command.
        connect(m_popup, &CPenWidthPopup::commandTriggered, this, &CPaletteBar::commandTriggered);
        connect(m_popup, &CPenWidthPopup::dismissRequested, this, &CPaletteBar::HidePenWidthPopup);
        connect(m_popup, &CPenWidthPopup::rolledIn, this, &CPaletteBar::penWidthPopupRolledIn);
    }
    if (m_popup->Tool() == tool)
        return;
    m_popup->Toggle(tool, m_view->ToolWidth(tool), ThicknessAnchor(tool));
}

// A written page keeps its ruling: the arrows only work while the page is blank.
void CPaletteBar::OnLineHeightArrow(int action)
{
    m_lineHeight->setValue(0);
    if (!m_view || m_view->HasInkFlag()) {
        m_lineHeight->setEnabled(m_view && !m_view->HasInkFlag());
        return;
    }
    bool changed = false;
    if (action == QAbstractSlider::SliderSingleStepSub)  // the upper arrow
        changed = m_view->Page().IncreaseLineHeight();
    else if (action == QAbstractSlider::SliderSingleStepAdd)
        changed = m_view->Page().DecreaseLineHeight();
    if (changed)
        m_view->Invalidate();
}

void CPaletteBar::WriteSettings() const
{
    if (!m_view)
        return;
    CanvasPage& page = m_view->Page();
    WriteSetting(Settings::PenColor, int(m_view->PenColor()));
    WriteSetting(Settings::BackColor, int(page.m_crBack));
    WriteSetting(Settings::LineColor, int(page.m_crLine));
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        WriteSetting(Settings::ColorBlock(i), int(m_crBlock[size_t(i)]));
    WriteSetting(Settings::LineHeight, page.m_nLineHeight);
}

bool CPaletteBar::event(QEvent* event)
{
    // Qt's word that the window went to another screen: its pixel ratio may differ.
    if (event->type() == QEvent::ScreenChangeInternal && devicePixelRatioF() != m_ratio)
        LayoutForMode(m_nMode);
    // Ink comes from the pen, not from commands: look again whenever the mouse comes over.
    if (event->type() == QEvent::Enter && m_view)
        m_lineHeight->setEnabled(!m_view->HasInkFlag());
    return QWidget::event(event);
}

std::optional<COLORREF> CPaletteBar::ChooseColor()
{
    ScopedTabletPark park(m_view);
    const std::optional<COLORREF> colour = prompts().ChooseColor(m_crChosen);
    if (colour)
        m_crChosen = *colour;
    return colour;
}

void CPaletteBar::mousePressEvent(QMouseEvent* event)
{
    HidePenWidthPopup();
    if (!m_view || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    bool hit = true, cancelled = false;
    if (PenColorRect().contains(point)) {
        if (const auto colour = ChooseColor()) {
            m_view->SetPenColor(*colour);
            update(PenColorRect());
        } else {
            cancelled = true;
        }
    } else if (m_nMode == FrameMode::Letter && PageColorRect().contains(point)) {
        if (const auto colour = ChooseColor()) {
            m_view->Page().m_crBack = *colour;
            m_view->DrawRuledLines(true);
            update(PageColorRect());
        } else {
            cancelled = true;
        }
    } else if (const int i = SwatchAt(point); i >= 0) {
        m_view->SetPenColor(m_crBlock[size_t(i)]);
        update(PenColorRect());
    } else {
        hit = false;
    }
    // A press on the bare bar drags a frame that is not maximised.
    if (!hit && !cancelled)
        m_drag.Begin(this, event);
    QWidget::mousePressEvent(event);
}

void CPaletteBar::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.Move(this, event);
    QWidget::mouseMoveEvent(event);
}

void CPaletteBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.End(this, event);
    QWidget::mouseReleaseEvent(event);
}

// A double click on a swatch picks a new colour for it, which also becomes the pen colour.
void CPaletteBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int i = event->button() == Qt::LeftButton ? SwatchAt(event->position().toPoint()) : -1;
    if (m_view && i >= 0) {
        if (const auto colour = ChooseColor()) {
            m_crBlock[size_t(i)] = *colour;
            m_view->SetPenColor(*colour);
            update(PenColorRect());
            update(SwatchRect(i));
        }
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CPaletteBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    // The background has the mode's size, stretched when the window is wider.
    const QSize background = BarSize();
    p.drawImage(0, 0, Resources::LoadImage(BarArtwork::BackgroundName(m_nMode, m_bSmallScreen),
                                           QSize(std::max(background.width(), width()), height()), m_ratio));

    auto colourBox = [&p](const QRect& r, COLORREF colour) {
        p.setPen(QColor(0x50, 0x58, 0x64));
        p.setBrush(QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    };
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        colourBox(SwatchRect(i), m_crBlock[size_t(i)]);
    if (!m_view)
        return;
    if (!PageColorRect().isEmpty())
        colourBox(PageColorRect(), m_view->Page().m_crBack);
    colourBox(PenColorRect(), m_view->PenColor());
    PaintPenWidths(p);
}

// Beside (or under) each thickness button the bar shows, its tool's width.
void CPaletteBar::PaintPenWidths(QPainter& p)
{
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(m_bCompact ? 11 : 13);
    font.setBold(true);
    p.setFont(font);
    p.setPen(QColor(0x20, 0x28, 0x34));
    const PaletteBarLayout& layout = Layout();
    for (size_t i = 0; i < std::size(kThicknessCommands); ++i) {
        const QRect button = layout.ButtonRect(kThicknessCommands[i]);
        if (button.isEmpty())
            continue;
        const QString text = QStringLiteral("%1 ").arg(m_view->ToolWidth(kThicknessTools[i]));
        if (layout.widthsBelow)
            p.drawText(QRect(button.left(), button.bottom() + 1, button.width(), 18), Qt::AlignHCenter | Qt::AlignTop,
                       text.trimmed());
        else
            p.drawText(QRect(layout.widthTextX, button.y(), 16, button.height()), Qt::AlignVCenter | Qt::AlignLeft,
                       text);
    }
}
