#include "CCommandBar.h"

#include "shell/tables/StringTable.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

using CommandBarArtwork::Glyph;
using CommandBarArtwork::Look;

namespace {

// The close window button sends the exit command.
constexpr UINT kCloseCommand = ID_APP_EXIT;

constexpr QRect Key(int x) { return QRect(x, 6, 40, 40); }        // a file or mode button
constexpr QRect Window(int x) { return QRect(x, 4, 26, 26); }     // a window button
// A pen-width button; the bar writes the width just right of it.
constexpr QRect Width(int x) { return QRect(x, 6, 26, 40); }

// Left edge of the pen-width numbers, bar pixels; they are written at y = kWidthTop.
constexpr int kWidthLeft[3] = {97, 145, 194};
constexpr int kWidthTop = 11;
constexpr int kWidthPixels = 20;

// The compact look: smaller keys on a lower bar, and smaller width numbers.
constexpr QRect CompactKey(int x) { return QRect(x, 5, 30, 30); }
constexpr QRect CompactWindow(int x) { return QRect(x, 5, 20, 20); }
constexpr QRect CompactWidth(int x) { return QRect(x, 5, 20, 30); }
constexpr int kCompactWidthLeft[3] = {30, 66, 102};
constexpr int kCompactWidthTop = 10;
constexpr int kCompactWidthPixels = 12;

}  // namespace

const std::array<CCommandBar::ButtonInfo, CCommandBar::kButtonCount>& CCommandBar::Buttons()
{
    static const std::array<ButtonInfo, kButtonCount> buttons = {{
        {ID_FILE_NEW, ID_FILE_NEW, Glyph::NewPage, true},
        {ID_FILE_OPEN, ID_FILE_OPEN, Glyph::Open, true},
        {ID_FILE_SAVE, ID_FILE_SAVE, Glyph::Save, true},
        {ID_FILE_PRINT_PREVIEW, ID_FILE_PRINT_PREVIEW, Glyph::PrintPreview, true},
        {ID_FILE_PRINT, ID_FILE_PRINT, Glyph::Print, true},
        {ID_LETTER_MODE, ID_LETTER_MODE, Glyph::LetterMode, false},
        {ID_SEND_MAIL, ID_SEND_MAIL, Glyph::Mail, true},
        {ID_DESKTOP_MODE, ID_DESKTOP_MODE, Glyph::DesktopMode, true},
        {ID_APP_ABOUT, ID_APP_ABOUT, Glyph::Help, true},
        {kCloseCommand, kCloseCommand, Glyph::Close, true},
        {IDC_SCALE, IDS_SCALE, Glyph::Scale, true},
        {IDC_MINIMIZE, IDS_MINIMIZE, Glyph::Minimize, true},
        {ID_START_WRITE, ID_START_WRITE, Glyph::StartWrite, false},
        {ID_CANCEL_WRITE, ID_CANCEL_WRITE, Glyph::Cancel, false},
        {ID_INKING, ID_INKING, Glyph::Inking, false},
        {IDC_PENCIL_THICKNESS, IDC_PENCIL_THICKNESS, Glyph::PencilWidth, false},
        {IDC_BRUSH_THICKNESS, IDC_BRUSH_THICKNESS, Glyph::BrushWidth, false},
        {IDC_MARKER_THICKNESS, IDC_MARKER_THICKNESS, Glyph::MarkerWidth, false},
    }};
    return buttons;
}

CCommandBar::Layout CCommandBar::LayoutOf(int mode, bool compact)
{
    if (compact)
        return CompactLayoutOf(mode);
    Layout layout;
    layout.visible.fill(false);
    auto show = [&layout](std::initializer_list<Button> buttons) {
        for (Button b : buttons)
            layout.visible[b] = true;
    };
    auto& r = layout.rects;
    if (mode == 0) {
        // A wide strip: the file group, the print group, mail, the mode switch and help.
        r[kNew] = Key(12), r[kOpen] = Key(56), r[kSave] = Key(100);
        r[kPrintPreview] = Key(156), r[kPrint] = Key(200);
        r[kMail] = Key(256);
        r[kDesktopMode] = r[kLetterMode] = Key(312);
        r[kHelp] = Key(368);
        r[kMinimize] = Window(1212), r[kScale] = Window(1240), r[kClose] = Window(1268);
        r[kStartWrite] = QRect(424, 6, 120, 40), r[kInking] = QRect(424, 6, 80, 40), r[kCancel] = Key(508);
        r[kPencilWidth] = Width(560), r[kBrushWidth] = Width(608), r[kMarkerWidth] = Width(656);
        show({kNew, kOpen, kSave, kPrintPreview, kPrint, kMail, kDesktopMode, kHelp});
        return layout;
    }
    // The small frame of desktop and inking modes: pen widths on the left, then the commands,
    // the window buttons at the right edge.
    r[kPencilWidth] = Width(70), r[kBrushWidth] = Width(118), r[kMarkerWidth] = Width(166);
    r[kNew] = Key(228), r[kOpen] = Key(228), r[kSave] = Key(272);
    r[kPrintPreview] = Key(316), r[kPrint] = Key(360);
    r[kLetterMode] = r[kDesktopMode] = Key(404);
    r[kMail] = Key(448), r[kHelp] = Key(492);
    r[kStartWrite] = QRect(228, 6, 120, 40), r[kInking] = QRect(228, 6, 80, 40), r[kCancel] = Key(312);
    r[kMinimize] = Window(540), r[kScale] = Window(568), r[kClose] = Window(596);
    if (mode == 1)
        show({kNew, kSave, kPrintPreview, kPrint, kLetterMode, kMail, kHelp, kPencilWidth, kBrushWidth,
              kMarkerWidth});
    else
        show({kStartWrite, kHelp, kClose, kMinimize, kPencilWidth, kBrushWidth, kMarkerWidth});
    return layout;
}

// The same sets as the default look, except that the compact inking frame has its window
// buttons on the palette bar.
CCommandBar::Layout CCommandBar::CompactLayoutOf(int mode)
{
    Layout layout = LayoutOf(mode, false);
    auto& r = layout.rects;
    if (mode == 0) {
        r[kNew] = CompactKey(8), r[kOpen] = CompactKey(42), r[kSave] = CompactKey(76);
        r[kPrintPreview] = CompactKey(118), r[kPrint] = CompactKey(152);
        r[kMail] = CompactKey(194);
        r[kDesktopMode] = r[kLetterMode] = CompactKey(236);
        r[kHelp] = CompactKey(278);
        r[kMinimize] = CompactWindow(1222), r[kScale] = CompactWindow(1246), r[kClose] = CompactWindow(1270);
        r[kStartWrite] = QRect(320, 5, 90, 30), r[kInking] = QRect(320, 5, 60, 30), r[kCancel] = CompactKey(384);
        r[kPencilWidth] = CompactWidth(420), r[kBrushWidth] = CompactWidth(456), r[kMarkerWidth] = CompactWidth(492);
        return layout;
    }
    r[kPencilWidth] = CompactWidth(8), r[kBrushWidth] = CompactWidth(44), r[kMarkerWidth] = CompactWidth(80);
    r[kNew] = r[kOpen] = CompactKey(120), r[kSave] = CompactKey(154);
    r[kPrintPreview] = CompactKey(188), r[kPrint] = CompactKey(222);
    r[kLetterMode] = r[kDesktopMode] = CompactKey(256);
    r[kMail] = CompactKey(290), r[kHelp] = CompactKey(324);
    r[kStartWrite] = QRect(120, 5, 90, 30), r[kInking] = QRect(120, 5, 60, 30), r[kCancel] = CompactKey(184);
    r[kMinimize] = CompactWindow(404), r[kScale] = CompactWindow(428), r[kClose] = CompactWindow(452);
    if (mode == 2)
        layout.visible[kClose] = layout.visible[kMinimize] = false;
    return layout;
}

CCommandBar::CCommandBar(QWidget* parent) : QWidget(parent), m_bCompact(Resources::UsingResourceLibrary())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hintTimer.setInterval(kHintDelay);
    connect(&m_hintTimer, &QTimer::timeout, this, &CCommandBar::OnHintTimer);

    m_tipHint.Create(this);
    m_tipHint.AddTool(this, true);
    m_tipHint.SetDelays(0, 0, 0);
    m_tipHint.SetColors(RGB(0, 0, 0), CBalloonTip::kDefaultBackColor);

    m_ratio = devicePixelRatioF();
    m_background = CommandBarArtwork::Background(m_nMode, m_ratio);
    setFixedHeight(BackgroundHeight());
    GetBarRect(true);
    CreateButtons();
    if (parent)
        parent->installEventFilter(this);
    FollowParent();
}

CCommandBar::~CCommandBar()
{
    if (parentWidget())
        parentWidget()->removeEventFilter(this);
}

void CCommandBar::CreateButtons()
{
    // The template's hidden control; it never takes the keyboard, which stays with the page.
    m_hidden = new QWidget(this);
    m_hidden->setObjectName(QStringLiteral("hidden"));
    m_hidden->setFocusPolicy(Qt::NoFocus);
    m_hidden->setGeometry(0, 0, 0, 0);

    const auto& buttons = Buttons();
    for (int i = 0; i < kButtonCount; ++i) {
        const ButtonInfo& info = buttons[i];
        auto* button = new CHoverBitmapButton(info.command, this);
        button->SetHiddenControl(m_hidden);
        button->SetToolTipText(TooltipOf(LoadString(info.tooltip)));
        button->setVisible(info.createdVisible);
        if (info.command == ID_START_WRITE) {
            // The hint has done its work once the user found the button.
            connect(button, &CHoverBitmapButton::commandTriggered, this, [this] {
                if (m_bShowHint)
                    HideHint();
                m_bShowHint = false;
            });
        }
        connect(button, &CHoverBitmapButton::commandTriggered, this, &CCommandBar::commandTriggered);
        m_btn[i] = button;
    }
    LayoutForMode(0);
}

void CCommandBar::LoadBitmaps(Button index, QSize size)
{
    CHoverBitmapButton* button = m_btn[index];
    const QPixmap& shown = button->CurrentBitmap();
    if (!shown.isNull() && button->sizeHint() == size && shown.devicePixelRatio() == m_ratio)
        return;
    const Glyph glyph = Buttons()[index].glyph;
    button->LoadBitmaps(CommandBarArtwork::Button(glyph, Look::Normal, size, m_ratio),
                        CommandBarArtwork::Button(glyph, Look::Pressed, size, m_ratio),
                        CommandBarArtwork::Button(glyph, Look::Focused, size, m_ratio),
                        CommandBarArtwork::Button(glyph, Look::Disabled, size, m_ratio));
}

// A window moved to a screen of another pixel ratio: the pictures are drawn again for it.
void CCommandBar::DrawForScreen()
{
    if (devicePixelRatioF() == m_ratio)
        return;
    m_ratio = devicePixelRatioF();
    m_background = CommandBarArtwork::Background(m_nMode, m_ratio);
    const Layout layout = LayoutOf(m_nMode, m_bCompact);
    for (int i = 0; i < kButtonCount; ++i)
        LoadBitmaps(Button(i), layout.rects[i].size());
    update();
}

int CCommandBar::BackgroundHeight() const
{
    return qRound(m_background.deviceIndependentSize().height());
}

CHoverBitmapButton* CCommandBar::ButtonFor(UINT command) const
{
    for (CHoverBitmapButton* button : m_btn)
        if (button && button->GetDlgCtrlID() == command)
            return button;
    return nullptr;
}

QRect CCommandBar::GetBarRect(bool apply)
{
    const QRect rect(QPoint(0, 0), CommandBarArtwork::BackgroundSize(m_nMode));
    if (apply)
        setGeometry(0, 0, ScreenMetrics::LogicalWorkArea().width(), rect.height());
    return rect;
}

void CCommandBar::LayoutForMode(int mode)
{
    if (mode != m_nMode) {
        m_nMode = mode;
        m_background = CommandBarArtwork::Background(mode, m_ratio);
        setFixedHeight(BackgroundHeight());
        FollowParent();
    }
    // Pending until the frame next changes the bar's size.
    m_bLayoutPending = true;
    const Layout layout = LayoutOf(mode, m_bCompact);
    for (int i = 0; i < kButtonCount; ++i) {
        LoadBitmaps(Button(i), layout.rects[i].size());
        m_btn[i]->setGeometry(layout.rects[i]);
        m_btn[i]->setVisible(layout.visible[i]);
    }
    update();
    if (mode == 2)
        UpdateHint();
}

void CCommandBar::ShowWriteOverButtons()
{
    if (m_bShowHint)
        HideHint();
    m_bShowHint = false;
    m_btn[kStartWrite]->hide();
    m_btn[kMinimize]->hide();
    m_btn[kInking]->show();
    m_btn[kCancel]->show();
}

void CCommandBar::ShowIdleButtons()
{
    m_btn[kStartWrite]->show();
    // The compact inking frame keeps its minimise button on the palette bar.
    m_btn[kMinimize]->setVisible(LayoutOf(m_nMode, m_bCompact).visible[kMinimize]);
    m_btn[kInking]->hide();
    m_btn[kCancel]->hide();
}

void CCommandBar::UpdateHint()
{
    if (!m_bShowHint)
        return;
    m_tipHint.SetText(LoadString(ID_START_WRITE));
    // Above the frame, its stem on the middle of the button's top edge, the balloon covers
    // neither the bars' buttons nor the swatches below them; where the screen has no room above
    // the frame, it hangs below the whole frame instead.
    const QRect button = m_btn[kStartWrite]->geometry();
    const QPoint above = mapToGlobal(QPoint(button.left() + button.width() / 2, button.top()));
    const QWidget* frame = window();
    const QPoint below(above.x(), frame->mapToGlobal(QPoint(0, frame->height())).y());
    m_tipHint.TrackOutside(above, below);
    // Right after a layout the bar may not stand where it will be shown yet: the balloon
    // appears a moment later. Otherwise it just follows the bar.
    if (m_bLayoutPending)
        m_hintTimer.start();
}

void CCommandBar::HideHint()
{
    m_hintTimer.stop();
    m_tipHint.Activate(false);
}

void CCommandBar::OnHintTimer()
{
    m_hintTimer.stop();
    if (m_bShowHint)
        m_tipHint.Activate(true);
}

void CCommandBar::SetPenWidths(int pencil, int brush, int marker)
{
    m_widths[0] = pencil;
    m_widths[1] = brush;
    m_widths[2] = marker;
    if (m_nMode != 0)
        update();
}

void CCommandBar::FollowParent()
{
    if (!parentWidget())
        return;
    setGeometry(0, 0, parentWidget()->width(), BackgroundHeight());
}

bool CCommandBar::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == parentWidget() && event->type() == QEvent::Resize)
        FollowParent();
    return QWidget::eventFilter(watched, event);
}

void CCommandBar::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    if (width() > m_background.deviceIndependentSize().width())
        p.drawPixmap(QRect(0, 0, width(), BackgroundHeight()), m_background);
    else
        p.drawPixmap(0, 0, m_background);
    if (m_nMode == 0)
        return;
    QFont font(QStringLiteral("Arial"));
    font.setWeight(QFont::Black);
    font.setPixelSize(m_bCompact ? kCompactWidthPixels : kWidthPixels);
    p.setFont(font);
    p.setPen(Qt::black);
    for (int i = 0; i < 3; ++i) {
        const QPoint at = m_bCompact ? QPoint(kCompactWidthLeft[i], kCompactWidthTop) : QPoint(kWidthLeft[i], kWidthTop);
        p.drawText(QRect(at, QSize(40, 24)), Qt::AlignLeft | Qt::AlignTop, QStringLiteral("%1 ").arg(m_widths[i]));
    }
}

bool CCommandBar::event(QEvent* event)
{
    // Qt's word that the window went to another screen, which may have another pixel ratio.
    if (event->type() == QEvent::ScreenChangeInternal)
        DrawForScreen();
    // A modal dialog over the frame (the About box, a colour chooser) would stand under the
    // top-most balloon: the balloon steps aside until the dialog closes.
    if (event->type() == QEvent::WindowBlocked) {
        m_bHintBlocked = m_tipHint.IsActive() || m_hintTimer.isActive();
        HideHint();
    } else if (event->type() == QEvent::WindowUnblocked && m_bHintBlocked) {
        m_bHintBlocked = false;
        if (m_bShowHint && m_nMode == 2)
            m_tipHint.Activate(true);
    }
    return QWidget::event(event);
}

void CCommandBar::resizeEvent(QResizeEvent* event)
{
    m_bLayoutPending = false;
    QWidget::resizeEvent(event);
}

void CCommandBar::mousePressEvent(QMouseEvent* event)
{
    m_drag.Begin(this, event);
    QWidget::mousePressEvent(event);
}

void CCommandBar::mouseMoveEvent(QMouseEvent* event)
{
    m_drag.Move(this, event);
    QWidget::mouseMoveEvent(event);
}

void CCommandBar::mouseReleaseEvent(QMouseEvent* event)
{
    m_drag.End(this, event);
    QWidget::mouseReleaseEvent(event);
}
