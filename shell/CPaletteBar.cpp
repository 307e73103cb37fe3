#include "CPaletteBar.h"

#include "BarArtwork.h"
#include "CHoverBitmapButton.h"
#include "CPenWidthPopup.h"
#include "StringTable.h"

#include "canvas/CScrivaView.h"
#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/ScreenMetrics.h"

#include <QCoreApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>

#include <algorithm>

namespace {

constexpr UINT kThicknessCommands[] = {IDC_PENCIL_THICKNESS, IDC_BRUSH_THICKNESS, IDC_MARKER_THICKNESS};
constexpr int kThicknessTools[] = {CScrivaView::kPencil, CScrivaView::kBrush, CScrivaView::kMarker};

// Where each button stands in letter mode (bar pixels); close and minimise are not shown there.
struct Place {
    UINT command;
    int x, y;
};
constexpr Place kLetterPlaces[] = {
    {IDC_PENCIL, 8, 25},          {IDC_BRUSH, 46, 25},          {IDC_MARKER, 84, 25},
    {IDC_ERASER, 122, 25},        {IDC_MOVE_PICTURE, 164, 25},  {IDC_PENCIL_THICKNESS, 204, 6},
    {IDC_BRUSH_THICKNESS, 204, 31}, {IDC_MARKER_THICKNESS, 204, 56}, {IDC_LINE_COLOR, 304, 25},
    {IDC_UNDO, 532, 25},          {IDC_REDO, 570, 25},          {IDC_ZOOM_IN, 618, 25},
    {IDC_ZOOM_OUT, 656, 25},      {IDC_CAPTURE_SCREEN, 704, 25}, {IDC_INSERT_IMAGE, 742, 25},
    {IDC_ADD_LINE, 780, 25},      {IDC_PREV_PAGE, 828, 25},     {IDC_NEXT_PAGE, 866, 25},
    {IDC_SPLIT, 904, 25},         {IDC_MERGE, 942, 25},
};
constexpr QRect kLineHeightArrows(342, 14, 16, 58);
constexpr int kWidthTextX = 230;  // the pen widths, right of the thickness buttons

int ToolOf(UINT command)
{
    switch (command) {
    case IDC_PENCIL: return CScrivaView::kPencil;
    case IDC_BRUSH: return CScrivaView::kBrush;
    case IDC_MARKER: return CScrivaView::kMarker;
    case IDC_ERASER: return CScrivaView::kEraser;
    default: return -1;
    }
}

}  // namespace

const std::array<UINT, CPaletteBar::kButtonCount> CPaletteBar::kCommands = {
    IDC_LINE_COLOR, IDC_PENCIL,    IDC_BRUSH,      IDC_ERASER,           IDC_MARKER,          IDC_MOVE_PICTURE,
    ID_APP_EXIT,    IDC_MINIMIZE,  IDC_UNDO,       IDC_REDO,             IDC_ZOOM_IN,         IDC_ZOOM_OUT,
    IDC_CAPTURE_SCREEN, IDC_INSERT_IMAGE, IDC_ADD_LINE, IDC_PENCIL_THICKNESS, IDC_BRUSH_THICKNESS,
    IDC_MARKER_THICKNESS, IDC_PREV_PAGE, IDC_NEXT_PAGE, IDC_SPLIT,    IDC_MERGE,
};

CPaletteBar::CPaletteBar(CScrivaView* view, QWidget* parent) : QWidget(parent), m_view(view)
{
    setObjectName(QStringLiteral("PaletteBar"));
    m_bSmallScreen = ScreenMetrics::ScreenSize().width() < kSmallScreenWidth;
    setFixedHeight(kHeight);
    setMinimumWidth(0);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        m_crBlock[size_t(i)] = ReadColorSetting(Settings::ColorBlock(i));

    m_hidden = new QWidget(this);
    m_hidden->setObjectName(QStringLiteral("Hidden"));
    m_hidden->setFocusPolicy(Qt::StrongFocus);
    m_hidden->setGeometry(0, 0, 1, 1);

    m_lineHeight = new QScrollBar(Qt::Vertical, this);
    m_lineHeight->setRange(-1, 1);  // only the arrows count; the value goes back to the middle
    m_lineHeight->setValue(0);
    m_lineHeight->setFocusPolicy(Qt::NoFocus);
    connect(m_lineHeight, &QScrollBar::actionTriggered, this, &CPaletteBar::OnLineHeightArrow);

    CreateButtons();
    LayoutForLetterMode();
    SyncWithView();
    // The program may end without tearing the windows down first.
    connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, this, [this] { WriteSettings(); });
}

CPaletteBar::~CPaletteBar()
{
    WriteSettings();
    delete m_popup;
}

QRect CPaletteBar::GetBarRect() const
{
    return QRect(QPoint(0, 0), m_bSmallScreen ? kSmallLetterSize : kLetterSize);
}

void CPaletteBar::CreateButtons()
{
    for (size_t i = 0; i < kCommands.size(); ++i) {
        const UINT command = kCommands[i];
        const BarArtwork::ButtonImages art = BarArtwork::ButtonArt(command);
        auto* button = new CHoverBitmapButton(command, art.normal, art.pressed, art.focused, art.disabled, this);
        button->SetHiddenControl(m_hidden);
        // Minimise has a tooltip of its own; the others show the second line of their command text.
        button->setToolTip(command == IDC_MINIMIZE ? LoadString(IDS_MINIMIZE) : TooltipOf(LoadString(command)));
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

CHoverBitmapButton* CPaletteBar::Button(UINT command) const
{
    for (size_t i = 0; i < kCommands.size(); ++i)
        if (kCommands[i] == command)
            return m_btn[i];
    return nullptr;
}

void CPaletteBar::LayoutForLetterMode()
{
    Button(ID_APP_EXIT)->hide();
    Button(IDC_MINIMIZE)->hide();
    for (const Place& place : kLetterPlaces) {
        CHoverBitmapButton* button = Button(place.command);
        button->move(place.x, place.y);
        button->show();
    }
    m_lineHeight->setGeometry(kLineHeightArrows);
    m_lineHeight->show();
}

QRect CPaletteBar::SwatchRect(int i)
{
    const int row = i / 6, column = i % 6;
    return QRect(kSwatchOrigin.x() + column * kSwatchPitch, row ? kSecondSwatchRow : kSwatchOrigin.y(), kSwatchSize,
                 kSwatchSize);
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
    for (UINT command : {IDC_PENCIL, IDC_BRUSH, IDC_MARKER, IDC_ERASER}) {
        const BarArtwork::ButtonImages art = BarArtwork::ButtonArt(command, ToolOf(command) == tool);
        Button(command)->LoadBitmaps(art.normal, art.pressed, art.focused, art.disabled);
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
    }
    if (m_popup->Tool() == tool)
        return;
    // Above the tool's thickness button; the marker's for any other tool.
    size_t i = std::size(kThicknessTools) - 1;
    for (size_t j = 0; j < std::size(kThicknessTools); ++j)
        if (kThicknessTools[j] == tool)
            i = j;
    m_popup->Toggle(tool, m_view->ToolWidth(tool), Button(kThicknessCommands[i]));
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
    // Ink comes from the pen, not from commands: look again whenever the mouse comes over.
    if (event->type() == QEvent::Enter && m_view)
        m_lineHeight->setEnabled(!m_view->HasInkFlag());
    return QWidget::event(event);
}

void CPaletteBar::mousePressEvent(QMouseEvent* event)
{
    HidePenWidthPopup();
    if (!m_view || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const QPoint point = event->position().toPoint();
    if (PenColorRect().contains(point)) {
        if (const auto colour = prompts().ChooseColor(m_view->PenColor())) {
            m_view->SetPenColor(*colour);
            update(PenColorRect());
        }
    } else if (PageColorRect().contains(point)) {
        if (const auto colour = prompts().ChooseColor(m_view->Page().m_crBack)) {
            m_view->Page().m_crBack = *colour;
            m_view->DrawRuledLines(true);
            update(PageColorRect());
        }
    } else if (const int i = SwatchAt(point); i >= 0) {
        m_view->SetPenColor(m_crBlock[size_t(i)]);
        update(PenColorRect());
    }
    QWidget::mousePressEvent(event);
}

// A double click on a swatch picks a new colour for it, which also becomes the pen colour.
void CPaletteBar::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int i = event->button() == Qt::LeftButton ? SwatchAt(event->position().toPoint()) : -1;
    if (m_view && i >= 0) {
        if (const auto colour = prompts().ChooseColor(m_crBlock[size_t(i)])) {
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
    const QSize background = GetBarRect().size();
    p.drawPixmap(0, 0, BarArtwork::Background(QSize(std::max(background.width(), width()), height())));

    auto colourBox = [&p](const QRect& r, COLORREF colour) {
        p.setPen(QColor(0x50, 0x58, 0x64));
        p.setBrush(QColor(GetRValue(colour), GetGValue(colour), GetBValue(colour)));
        p.drawRect(r.adjusted(0, 0, -1, -1));
    };
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        colourBox(SwatchRect(i), m_crBlock[size_t(i)]);
    if (m_view) {
        colourBox(PageColorRect(), m_view->Page().m_crBack);
        colourBox(PenColorRect(), m_view->PenColor());

        QFont font(QStringLiteral("Arial"));
        font.setPixelSize(13);
        font.setBold(true);
        p.setFont(font);
        p.setPen(QColor(0x20, 0x28, 0x34));
        for (size_t i = 0; i < std::size(kThicknessCommands); ++i) {
            const QWidget* button = Button(kThicknessCommands[i]);
            const QRect text(kWidthTextX, button->y(), 16, button->height());
            p.drawText(text, Qt::AlignVCenter | Qt::AlignLeft,
                       QStringLiteral("%1 ").arg(m_view->ToolWidth(kThicknessTools[i])));
        }
    }
}
