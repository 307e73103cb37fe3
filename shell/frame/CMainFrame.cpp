#include "CMainFrame.h"

#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CCommandBar.h"
#include "shell/tables/CommandTable.h"
#include "shell/tables/StringTable.h"

#include "platform/Resources.h"
#include "platform/Settings.h"

#include "platform/ScreenMetrics.h"

#include <QApplication>
#include <QCloseEvent>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QIcon>
#include <QMimeData>
#include <QScreen>
#include <QMenu>
#include <QShortcut>
#include <QStatusBar>
#include <QTimer>
#include <QLayout>
#include <QToolBar>

CMainFrame::CMainFrame(CScrivaDoc& document, const QString& frameClass, std::function<bool(UINT)> appCommands)
    : m_document(document), m_view(new CScrivaView(document, this)), m_splitDialog(new CSplitFileDialog(this)),
      m_frameClass(frameClass), m_appCommands(std::move(appCommands))
{
    // The replacement look, when the settings ask for it and it is installed, serves every
    // picture and string the bars and dialogs load from here on.
    if (ReadSetting(Settings::NewInterface).contains(QLatin1Char('1')))
        Resources::LoadResourceLibrary(Resources::FindResourceLibrary());
    StringTable::Instance().ReadReplacements();
    m_document.SetSplitDialog(m_splitDialog);
    setObjectName(frameClass);
    setWindowIcon(QIcon(QPixmap::fromImage(Resources::LoadImage(QStringLiteral("icon/128")))));
    setCentralWidget(m_view);
    m_view->setFocus();  // the page takes the keys when the frame first shows
    setAcceptDrops(true);
    connect(m_view, &CScrivaView::titleChanged, this, &CMainFrame::UpdateCaption);
    connect(m_view, &CScrivaView::pictureMenuRequested, this, &CMainFrame::ShowPictureMenu);
    connect(m_view, &CScrivaView::importFinished, this, &CMainFrame::RunWaitingRequests);
    connect(m_view, &CScrivaView::printPreviewBegun, this, [this] { ShowBars(false); });
    connect(m_view, &CScrivaView::printPreviewEnded, this, [this] { ShowBars(true); });
    connect(m_view, &CScrivaView::writeOverBegun, this, [this] {
        m_paletteBar->HidePenWidthPopup();
        ShowWriteOverButtons();
    });
    connect(m_view, &CScrivaView::writeOverEnded, this, [this] {
        m_paletteBar->HidePenWidthPopup();
        ShowIdleButtons();
    });
    connect(m_view, &CScrivaView::inkingNotice, this, [this](const QString& text) { m_commandBar->ShowNotice(text); });
    // The pen-to-screen times, when the settings ask for them. The small frames have no room
    // for a status line: their balloon says them once the pen is up.
    connect(m_view, &CScrivaView::statusTextChanged, this, [this](const QString& text) {
        if (m_nMode == FrameMode::Letter)
            statusBar()->showMessage(text);
        else if (!m_view->IsStroking())
            m_commandBar->ShowNotice(text);
    });
    // A tablet that comes after start-up takes back the notice that there was none.
    connect(&TabletBinding::Instance(), &TabletBinding::tabletArrived, this, [this] { setStatusBar(nullptr); });
    // A new screen size changes the tablet's output area: the context is opened anew.
    if (QScreen* screen = QGuiApplication::primaryScreen())
        connect(screen, &QScreen::geometryChanged, this, [this](const QRect& r) { OnDisplayChange(r.size()); });
    UpdateCaption(document.GetTitle());
    CreateAccelerators();
    CreatePaletteBar();
    // The command bar takes the strip above the view; the frame has no menu bar.
    m_commandBar = new CCommandBar(this);
    setMenuWidget(m_commandBar);
    connect(m_commandBar, &CCommandBar::commandTriggered, this, [this](UINT id) { OnCommand(id); });
    m_paletteBar->SetThicknessAnchors({m_commandBar->GetButton(CCommandBar::kPencilWidth),
                                       m_commandBar->GetButton(CCommandBar::kBrushWidth),
                                       m_commandBar->GetButton(CCommandBar::kMarkerWidth)});
    UpdateCommandButtons();
}

CMainFrame::~CMainFrame()
{
    delete m_paletteBar;  // writes its settings while the view is still there
    if (m_document.SplitDialog() == m_splitDialog)
        m_document.SetSplitDialog(nullptr);
    Resources::FreeResourceLibrary();
    StringTable::Instance().ReadReplacements();
}

void CMainFrame::CreateAccelerators()
{
    for (const Accelerator& accelerator : AcceleratorTable()) {
        const UINT command = accelerator.command;
        // Whatever control has the focus, the overlay's window included.
        AddShortcut(QKeySequence(Qt::CTRL | Qt::Key(accelerator.key)), Qt::ApplicationShortcut,
                    [this, command] { OnCommand(command); });
    }
    // The desktop's usual zoom keys as well (Ctrl++ and Ctrl+-).
    const std::pair<QKeySequence::StandardKey, UINT> zoomKeys[] = {{QKeySequence::ZoomIn, IDC_ZOOM_IN},
                                                                   {QKeySequence::ZoomOut, IDC_ZOOM_OUT}};
    for (const auto& [key, command] : zoomKeys) {
        for (const QKeySequence& sequence : QKeySequence::keyBindings(key))
            AddShortcut(sequence, Qt::ApplicationShortcut, [this, command = command] { OnCommand(command); });
    }
    // Ctrl+Q quits as closing the frame does, asking about an unsaved note first.
    AddShortcut(QKeySequence(Qt::CTRL | Qt::Key_Q), Qt::ApplicationShortcut, [this] { OnCommand(ID_APP_EXIT); });
    // The selected picture's keys belong to the frame's window, so a dialog keeps its own Delete.
    AddShortcut(QKeySequence(Qt::Key_Delete), Qt::WindowShortcut, [this] { OnCommand(ID_PICTURE_DELETE); });
    // Escape puts the overlay away from the bars too: after a click on them they have the keys.
    AddShortcut(QKeySequence(Qt::Key_Escape), Qt::WindowShortcut, [this] {
        if (m_view->IsOverlayShown())
            m_view->CloseOverlay();
    });
    for (const QKeySequence& keys : {QKeySequence(Qt::Key_Menu), QKeySequence(Qt::SHIFT | Qt::Key_F10)})
        AddShortcut(keys, Qt::WindowShortcut, [this] { ShowSelectedPictureMenu(); });
}

void CMainFrame::AddShortcut(const QKeySequence& keys, Qt::ShortcutContext context, std::function<void()> run)
{
    auto* shortcut = new QShortcut(keys, this);
    shortcut->setContext(context);
    connect(shortcut, &QShortcut::activated, this, std::move(run));
}

bool CMainFrame::OnCommand(UINT id)
{
    if (!IsCommandEnabled(id))
        return false;
    const bool handled = OnFrameCommand(id) || m_view->OnCommand(id) || OnDocumentCommand(id) ||
                         (m_appCommands && m_appCommands(id));
    SyncBarsWithView();
    return handled;
}

// Tool looks, pen widths, indicators and the popup follow what the command did to the view.
void CMainFrame::SyncBarsWithView()
{
    m_paletteBar->SyncWithView();
    m_commandBar->SetPenWidths(m_view->ToolWidth(CScrivaView::kPencil), m_view->ToolWidth(CScrivaView::kBrush),
                               m_view->ToolWidth(CScrivaView::kMarker));
}

// The palette bar along the bottom edge, in a fixed tool bar of its own.
void CMainFrame::CreatePaletteBar()
{
    auto* holder = new QToolBar(this);
    holder->setObjectName(QStringLiteral("PaletteBarHolder"));
    holder->setMovable(false);
    holder->setFloatable(false);
    holder->toggleViewAction()->setVisible(false);  // nothing to offer on the frame's context menu
    holder->setContentsMargins(0, 0, 0, 0);
    holder->layout()->setContentsMargins(0, 0, 0, 0);
    holder->layout()->setSpacing(0);
    m_paletteBar = new CPaletteBar(m_view, holder);
    holder->addWidget(m_paletteBar);
    addToolBar(Qt::BottomToolBarArea, holder);
    m_paletteHolder = holder;
    connect(m_paletteBar, &CPaletteBar::commandTriggered, this, [this](UINT id) { OnCommand(id); });
    // Over the small frames the popup covered the overlay, which is repainted, and the frame
    // goes back on top.
    connect(m_paletteBar, &CPaletteBar::penWidthPopupRolledIn, this, [this] {
        if (m_nMode == FrameMode::Letter)
            return;
        if (m_overlay)
            m_overlay->RepaintFromBackBuffer();
        raise();
    });
}

bool CMainFrame::OnDocumentCommand(UINT id)
{
    switch (id) {
    case ID_FILE_OPEN: m_document.OnFileOpen(); return true;
    case ID_FILE_SAVE: m_document.OnFileSave(); return true;
    case IDC_SPLIT: m_document.OnSplit(); return true;
    case IDC_MERGE: m_document.OnMerge(); return true;
    case IDC_PREV_PAGE: m_document.OnPrevPage(); return true;
    case IDC_NEXT_PAGE: m_document.OnNextPage(); return true;
    case ID_SEND_MAIL: m_document.OnSendMail(); return true;
    default: return false;
    }
}

void CMainFrame::ShowBars(bool show)
{
    m_commandBar->setVisible(show);
    m_paletteHolder->setVisible(show);
}

void CMainFrame::UpdateCaption(const QString& title)
{
    setWindowTitle(QStringLiteral("%1 - Inkleaf").arg(title));
}

void CMainFrame::ShowMaximized()
{
    // Without a window manager a maximise request does nothing: cover the work area first.
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        setGeometry(screen->availableGeometry());
    showMaximized();
}

void CMainFrame::ShowNoTabletNotice()
{
    // The small frames are exactly as high as their bars: no room for a status line.
    if (m_nMode != FrameMode::Letter)
        return;
    constexpr int kShownMs = 30000;
    statusBar()->showMessage(
        QStringLiteral("No pen tablet was found, so the pen cannot write. To write with the mouse, "
                       "set MOUSEPEN=1 in the [TABLET] section of %1.").arg(SettingsFilePath()),
        kShownMs);
    QTimer::singleShot(kShownMs, this, [this] { setStatusBar(nullptr); });
}

void CMainFrame::ShowPictureMenu()
{
    ShowPictureMenuAt(QCursor::pos());
}

void CMainFrame::ShowSelectedPictureMenu()
{
    const CRect picture = m_document.m_pictures.GetSelectedRect();
    if (picture.IsRectEmpty() || !m_view->isVisible())
        return;
    // The page rectangle in the view's client pixels (physical), then its visible part.
    const float zoom = m_view->Zoom();
    const QPoint scroll = m_view->ScrollPosition();
    const int shift = 2 * m_view->PageMarginX();
    const QRectF shown(QPointF((picture.left + shift) * zoom - scroll.x(), picture.top * zoom - scroll.y()),
                       QSizeF(picture.Width() * zoom, picture.Height() * zoom));
    const QRectF client(QPointF(0, 0), QSizeF(m_view->viewport()->size()) * m_view->devicePixelRatioF());
    const QRectF visible = shown.intersected(client);
    const QPointF at = (visible.isEmpty() ? client.center() : visible.center()) / m_view->devicePixelRatioF();
    ShowPictureMenuAt(m_view->viewport()->mapToGlobal(at.toPoint()));
}

void CMainFrame::ShowPictureMenuAt(const QPoint& global)
{
    ScopedTabletPark park(m_view);
    QMenu menu(this);
    for (const MenuItem& item : PictureMenu().items) {
        const UINT command = item.command;
        QString text = LoadString(command);
        if (command == ID_PICTURE_DELETE)
            text += QLatin1Char('\t') + LoadString(IDS_KEY_DELETE);  // the key that does it too
        menu.addAction(text, this, [this, command] { OnCommand(command); });
    }
    menu.exec(global);
}

void CMainFrame::AfterImport(std::function<void()> request)
{
    if (m_view->IsImporting())
        m_waitingRequests.push_back(std::move(request));
    else
        request();
}

void CMainFrame::RunWaitingRequests()
{
    auto requests = std::move(m_waitingRequests);
    m_waitingRequests.clear();
    for (const auto& request : requests)
        request();
}

void CMainFrame::Minimize()
{
    AfterImport([this] { showMinimized(); });
}

void CMainFrame::AddPageLength()
{
    AfterImport([this] { m_view->AddPageLength(); });
}

void CMainFrame::RestoreToForeground()
{
    AfterImport([this] {
        if (isMinimized())
            setWindowState(windowState() & ~Qt::WindowMinimized);
        show();
        raise();
        activateWindow();
    });
}

void CMainFrame::ShowTopmost()
{
    AfterImport([this] {
        const QRect place = geometry();
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
        RestoreToForeground();
        setGeometry(place);
    });
}

void CMainFrame::OpenDocumentFile(const QString& path)
{
    RestoreToForeground();
    // The other launch is answered first; the questions and messages of the open come later.
    QTimer::singleShot(0, this, [this, path] { OpenWhenIdle(path); });
}

void CMainFrame::OpenWhenIdle(const QString& path)
{
    // A flow of ours that waits in a dialog, or a device file being replayed, must not find
    // another note under it on return.
    constexpr int kRetryMs = 250;
    if (QApplication::activeModalWidget() || m_view->IsImporting()) {
        QTimer::singleShot(kRetryMs, this, [this, path] { OpenWhenIdle(path); });
        return;
    }
    ScopedTabletPark park(m_view);  // the save question may show
    m_document.OpenDocumentFile(path);
}

void CMainFrame::closeEvent(QCloseEvent* event)
{
    if (m_document.CanCloseFrame())
        event->accept();
    else
        event->ignore();
}

void CMainFrame::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void CMainFrame::dropEvent(QDropEvent* event)
{
    for (const QUrl& url : event->mimeData()->urls()) {
        if (url.isLocalFile()) {
            m_document.OpenDocumentFile(url.toLocalFile());
            event->acceptProposedAction();
            return;
        }
    }
}
