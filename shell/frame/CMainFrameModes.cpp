// The frame's three modes and what moving, sizing, showing and display changes do to it.

#include "CMainFrame.h"
#include "ViewWritingOverlay.h"

#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CommandBarArtwork.h"
#include "shell/dialogs/CCaptureControlDlg.h"
#include "shell/tables/StringTable.h"
#include "shell/widgets/WindowShape.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QCoreApplication>
#include <QEventLoop>
#include <QIcon>
#include <QStatusBar>
#include <QTimer>
#include <QToolBar>

namespace {

constexpr int kOverlayHideWaitMs = 100;  // lets a hidden overlay leave the screen
constexpr QRect kRestoredLetterFrame(100, 100, 800, 600);

}  // namespace

bool CMainFrame::OnFrameCommand(UINT id)
{
    switch (id) {
    case ID_LETTER_MODE: OnLetterMode(); return true;
    case ID_DESKTOP_MODE: OnDesktopMode(); return true;
    case ID_INK_BUTTON: OnInkingMode(); return true;
    case IDC_CAPTURE_SCREEN: OnCaptureScreen(); return true;
    case ID_APP_EXIT: close(); return true;
    case IDC_MINIMIZE:
        m_commandBar->HideHint();
        return false;  // the view minimises the frame
    default: return false;
    }
}

bool CMainFrame::IsCommandEnabled(UINT id) const
{
    switch (id) {
    case ID_DESKTOP_MODE:
    case ID_START_WRITE:
    case IDC_CAPTURE_SCREEN: return m_overlay != nullptr;
    default: return true;
    }
}

void CMainFrame::UpdateCommandButtons()
{
    for (int i = 0; i < CCommandBar::kButtonCount; ++i) {
        CHoverBitmapButton* button = m_commandBar->GetButton(CCommandBar::Button(i));
        button->setEnabled(IsCommandEnabled(button->GetDlgCtrlID()));
    }
    for (UINT command : CPaletteBar::kCommands)
        m_paletteBar->Button(command)->setEnabled(IsCommandEnabled(command));
}

void CMainFrame::SetWritingOverlay(IWritingOverlay* overlay)
{
    m_overlay = overlay;
    UpdateCommandButtons();
}

void CMainFrame::UseViewOverlay()
{
    if (!m_viewOverlay) {
        m_viewOverlay = std::make_unique<ViewWritingOverlay>(*m_view);
        connect(m_view, &CScrivaView::frameWanted, this, &CMainFrame::BringFrameBack);
    }
    SetWritingOverlay(m_viewOverlay.get());
}

void CMainFrame::BringFrameBack()
{
    m_paletteBar->HidePenWidthPopup();
    show();
    raise();
    activateWindow();
    if (QWidget* dialog = QApplication::activeModalWidget()) {
        dialog->raise();
        dialog->activateWindow();
    }
}

void CMainFrame::OnCaptureScreen()
{
    if (!m_view->StartScreenCapture())
        return;
    if (!m_dlgCapture) {
        CScrivaView* view = m_view;
        m_dlgCapture = new CCaptureControlDlg([view] { view->BeginCaptureSelection(); }, m_view);
    }
    m_dlgCapture->ShowAbove(m_paletteBar->Button(IDC_CAPTURE_SCREEN));
}

bool CMainFrame::AskBeforeDropping(UINT question)
{
    if (!m_view->HasInkFlag())
        return true;
    ScopedTabletPark park(m_view);
    return prompts().MessageBox(LoadString(question), QString(), MB_YESNO) == IDYES;
}

bool CMainFrame::ConfirmModeSwitch(UINT question, bool clearWhenBlank)
{
    const bool written = m_view->HasInkFlag();
    if (!AskBeforeDropping(question))
        return false;
    if (written || clearWhenBlank)
        m_document.OnNewDocument();
    return true;
}

void CMainFrame::OnLetterMode()
{
    if (m_nMode == FrameMode::Letter || !ConfirmModeSwitch(IDS_LETTER_MODE_LOSES_DATA, true))
        return;
    m_nMode = FrameMode::Letter;
    if (m_overlay) {
        m_overlay->HideOverlay();
        QEventLoop wait;
        QTimer::singleShot(kOverlayHideWaitMs, &wait, &QEventLoop::quit);
        wait.exec();
    }
    clearMask();
    setMinimumSize(0, 0);
    setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
    setWindowFlags(Qt::Window);  // caption, sizing border and maximise box; not top-most
    LayoutBarsForMode(FrameMode::Letter);
    m_view->show();
    m_view->setFocus();  // the keys go back to the page, not to the bar button that took them
    setGeometry(kRestoredLetterFrame);
    ShowMaximized();
    ReopenTabletContext();
}

// The note is dropped only once the screen has been taken: a screen that cannot be had
// leaves the mode, the note and the window as they were.
void CMainFrame::OnDesktopMode()
{
    if (m_nMode == FrameMode::Desktop)
        return;
    const bool written = m_view->HasInkFlag();
    if (!AskBeforeDropping(IDS_DESKTOP_MODE_LOSES_DATA))
        return;
    if (m_overlay && !m_overlay->ShowSnapshotOverlay())
        return;
    m_nMode = FrameMode::Desktop;
    m_view->SetFrameMode(FrameMode::Desktop);
    if (written)
        m_document.OnNewDocument();
    PlaceSmallFrame(FrameMode::Desktop);
    LayoutBarsForMode(FrameMode::Desktop);
    raise();
    activateWindow();
    // The small frame has no picture tool: the pen writes.
    if (m_view->Tool() == CScrivaView::kToolNone) {
        m_view->OnPencil();
        SyncBarsWithView();
    }
    ReopenTabletContext();
}

void CMainFrame::OnInkingMode()
{
    if (m_nMode == FrameMode::Inking)
        return;
    m_nMode = FrameMode::Inking;
    // Placed first: a size change after the layout would put the hint balloon away again.
    PlaceSmallFrame(FrameMode::Inking);
    LayoutBarsForMode(FrameMode::Inking);
    ReopenTabletContext();
}

void CMainFrame::MakeInkingFrame()
{
    setWindowTitle(LoadString(IDS_COMPANY));
    setWindowIcon(QIcon(QPixmap::fromImage(Resources::LoadImage(QStringLiteral("icon/391")))));
    OnInkingMode();
    if (!Resources::UsingResourceLibrary())
        ShapeWindowFromBitmap(this, Resources::LoadImage(QStringLiteral("bitmap/379"), size()));
}

void CMainFrame::LayoutBarsForMode(FrameMode mode)
{
    m_view->SetFrameMode(mode);
    m_commandBar->LayoutForMode(mode);
    m_paletteBar->LayoutForMode(mode);
    SyncBarsWithView();
    UpdateCommandButtons();
}

void CMainFrame::PlaceSmallFrame(FrameMode mode)
{
    const QSize commandBar = CommandBarArtwork::BackgroundSize(mode);
    const QSize size(commandBar.width(), commandBar.height() + m_paletteBar->BarSizeFor(mode).height());
    setStatusBar(nullptr);
    m_view->hide();
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setFixedSize(size);
    const QRect work = ScreenMetrics::LogicalWorkArea();
    setGeometry(QRect(work.topLeft() + QPoint(work.width() - size.width(), work.height() - size.height()), size));
    showNormal();
}

void CMainFrame::ReopenTabletContext()
{
    m_view->CloseTabletContext();
    m_view->OpenTablet();
}

void CMainFrame::OnDisplayChange(QSize screen)
{
    QCoreApplication::processEvents();
    if (m_frameClass == QLatin1String("INKING"))
        m_view->CloseTabletContext();
    m_view->RequestTabletReopen();
    if (m_nMode != FrameMode::Letter)
        return;
    m_paletteBar->FitScreenWidth(screen.width());
}

void CMainFrame::ShowWriteOverButtons()
{
    m_commandBar->ShowWriteOverButtons();
    m_paletteBar->ShowMinimizeButton(false);
}

void CMainFrame::ShowIdleButtons()
{
    m_commandBar->ShowIdleButtons();
    m_paletteBar->ShowMinimizeButton(true);
}

void CMainFrame::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    m_commandBar->HideHint();
    m_paletteBar->RepositionPenWidthPopup();
}

void CMainFrame::moveEvent(QMoveEvent* event)
{
    QMainWindow::moveEvent(event);
    m_paletteBar->RepositionPenWidthPopup();
    if (m_nMode == FrameMode::Inking)
        m_commandBar->UpdateHint();
}

void CMainFrame::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    m_paletteBar->HidePenWidthPopup();
}

void CMainFrame::hideEvent(QHideEvent* event)
{
    QMainWindow::hideEvent(event);
    m_paletteBar->HidePenWidthPopup();
}

void CMainFrame::changeEvent(QEvent* event)
{
    // A minimised frame leaves no balloon behind.
    if (event->type() == QEvent::WindowStateChange && isMinimized())
        m_commandBar->HideHint();
    QMainWindow::changeEvent(event);
}
