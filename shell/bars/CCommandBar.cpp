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

// Left edge of the pen-width numbers, bar pixels; they are written at y = kWidthTop.
constexpr int kWidthLeft[3] = {97, 145, 194};
constexpr int kWidthTop = 11;
constexpr int kWidthPixels = 20;

// The compact look has smaller width numbers.
constexpr int kCompactWidthLeft[3] = {30, 66, 102};
constexpr int kCompactWidthTop = 10;
constexpr int kCompactWidthPixels = 12;

}  // namespace

const std::array<CCommandBar::ButtonInfo, CCommandBar::kButtonCount>& CCommandBar::Buttons()
{
    static const std::array<ButtonInfo, kButtonCount> buttons = [] {
        std::array<ButtonInfo, kButtonCount> info{};
        for (int i = 0; i < kButtonCount; ++i) {
            const CommandBarLayout::Button& row = CommandBarLayout::Buttons()[i];
            info[i] = {row.command, row.tooltip, Glyph(i)};
        }
        return info;
    }();
    return buttons;
}

CCommandBar::CCommandBar(QWidget* parent) : QWidget(parent), m_bCompact(Resources::UsingResourceLibrary())
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    m_hintTimer.setInterval(kHintDelay);
    connect(&m_hintTimer, &QTimer::timeout, this, &CCommandBar::OnHintTimer);
    connect(&m_noticeTimer, &QTimer::timeout, this, [this] { m_tipHint.Activate(false); });

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
    LayoutForMode(FrameMode::Letter);
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
    const CommandBarLayout layout{m_nMode, m_bCompact};
    for (int i = 0; i < kButtonCount; ++i)
        LoadBitmaps(Button(i), layout.Place(CommandBarLayout::Buttons()[i]).size());
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

void CCommandBar::LayoutForMode(FrameMode mode)
{
    if (mode != m_nMode) {
        m_nMode = mode;
        m_background = CommandBarArtwork::Background(mode, m_ratio);
        setFixedHeight(BackgroundHeight());
        FollowParent();
    }
    // Pending until the frame next changes the bar's size.
    m_bLayoutPending = true;
    const CommandBarLayout layout{mode, m_bCompact};
    for (int i = 0; i < kButtonCount; ++i) {
        const CommandBarLayout::Button& row = CommandBarLayout::Buttons()[i];
        LoadBitmaps(Button(i), layout.Place(row).size());
        m_btn[i]->setGeometry(layout.Place(row));
        m_btn[i]->setVisible(layout.Shows(row));
    }
    update();
    if (mode == FrameMode::Inking)
        UpdateHint();
}

void CCommandBar::ShowWriteOverButtons()
{
    if (m_bShowHint || m_noticeTimer.isActive())
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
    m_btn[kMinimize]->setVisible(CommandBarLayout{m_nMode, m_bCompact}.Shows(CommandBarLayout::Buttons()[kMinimize]));
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

// The hint is not wanted once a write-over has begun, so its balloon is free for notices.
void CCommandBar::ShowNotice(const QString& text)
{
    m_hintTimer.stop();
    const CHoverBitmapButton* button = m_btn[kStartWrite]->isVisible() ? m_btn[kStartWrite] : m_btn[kInking];
    const QRect place = button->geometry();
    const QPoint above = mapToGlobal(QPoint(place.left() + place.width() / 2, place.top()));
    const QPoint below(above.x(), window()->mapToGlobal(QPoint(0, window()->height())).y());
    m_tipHint.SetText(text);
    m_tipHint.TrackOutside(above, below);
    m_tipHint.Activate(true);
    m_noticeTimer.setSingleShot(true);
    m_noticeTimer.start(kNoticeMs);  // after the balloon: HideHint stops it
}

void CCommandBar::HideHint()
{
    m_hintTimer.stop();
    m_noticeTimer.stop();
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
    if (m_nMode != FrameMode::Letter)
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
    if (m_nMode == FrameMode::Letter)
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
        if (m_bShowHint && m_nMode == FrameMode::Inking)
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
