#pragma once
// The main window. In letter mode it is maximised, captioned with the note's title and hosts
// the view between the command bar and the palette bar, with no menu bar. In desktop and
// inking modes it is only the two bars, captionless and top-most in the bottom-right corner of
// the work area. Commands from the bars and the accelerators are offered to the view, the
// document, the frame and the application, in that order. Other instances reach it through
// the window channel.

#include "shell/dialogs/CSplitFileDialog.h"
#include "IWritingOverlay.h"
#include "shell/launch/SingleInstance.h"

#include "canvas/CScrivaView.h"

#include <QKeySequence>
#include <QMainWindow>

class CPaletteBar;

#include <functional>
#include <memory>
#include <vector>

class CMainFrame : public QMainWindow, public IWindowRequests {
    Q_OBJECT
public:
    // appCommands handles what the application object owns (New, About).
    CMainFrame(CScrivaDoc& document, const QString& frameClass, std::function<bool(UINT)> appCommands);
    ~CMainFrame() override;

    CScrivaView* View() { return m_view; }
    class CCommandBar* CommandBar() { return m_commandBar; }
    CPaletteBar* PaletteBar() { return m_paletteBar; }
    // The document's split dialog, installed while the frame lives.
    CSplitFileDialog* SplitDialog() { return m_splitDialog; }
    const QString& FrameClass() const { return m_frameClass; }
    FrameMode Mode() const { return m_nMode; }

    // Runs a command; false when nobody handles it or it is not available.
    bool OnCommand(UINT id);
    // False for commands the program cannot carry out here; their buttons show disabled.
    bool IsCommandEnabled(UINT id) const;

    // The mode switches. Leaving a written page for letter
    // mode, or entering desktop mode with one, asks first; No changes nothing.
    void OnLetterMode();
    void OnDesktopMode();
    void OnInkingMode();
    // The overlay desktop mode writes on; null until one exists.
    void SetWritingOverlay(IWritingOverlay* overlay);
    // The view's own overlay: desktop mode and Capture Screen work from then on.
    void UseViewOverlay();
    // Capture Screen: the frame goes and the capture panel stands above the palette bar's
    // button; nothing without a tablet context.
    void OnCaptureScreen();
    class CCaptureControlDlg* CaptureControl() { return m_dlgCapture; }
    // An inking launch: caption "Lumora", its own icon, the inking layout and, with the
    // default look, the frame shaped like its picture.
    void MakeInkingFrame();
    // The screen changed size (logical pixels): the tablet context is opened anew once the
    // display has settled and, in letter mode, the palette bar picks its background for the
    // new width.
    void OnDisplayChange(QSize screen);
    // A write-over begins or ends (inking mode).
    void ShowWriteOverButtons();
    void ShowIdleButtons();
    // Shows the frame maximised over the work area.
    void ShowMaximized();
    // Tells the user once, without stopping them, that no tablet was found.
    void ShowNoTabletNotice();
    // The "Picture" menu at the mouse; the chosen command runs.
    void ShowPictureMenu();
    // The menu keys: the "Picture" menu over the selected picture; nothing without one.
    void ShowSelectedPictureMenu();

    // IWindowRequests. Those that move the window or change the page wait for a device-file
    // import to end (see AfterImport).
    bool IsWindowVisible() override { return isVisible(); }
    void Minimize() override;
    void RestoreToForeground() override;
    void ShowTopmost() override;
    void AddPageLength() override;
    bool CloseOverlay(const QString&) override { return false; }
    void OpenDocumentFile(const QString& path) override;

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void moveEvent(QMoveEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateAccelerators();
    void AddShortcut(const QKeySequence& keys, Qt::ShortcutContext context, std::function<void()> run);
    void ShowPictureMenuAt(const QPoint& global);
    void CreatePaletteBar();
    bool OnDocumentCommand(UINT id);
    void UpdateCaption(const QString& title);
    // Hides both bars while a print preview is shown, and shows them again.
    void ShowBars(bool show);
    bool OnFrameCommand(UINT id);
    // Leaving a written page: true when the user agrees (the note is then started afresh).
    bool ConfirmModeSwitch(UINT question, bool clearWhenBlank);
    // Asks before a written page is dropped; true when the user agrees or nothing is written.
    bool AskBeforeDropping(UINT question);
    // The pen clicked the overlay where the frame or a dialog of ours should be on top.
    void BringFrameBack();
    // Captionless, top-most, exactly as large as the two bars, in the work area's corner.
    void PlaceSmallFrame(FrameMode mode);
    void LayoutBarsForMode(FrameMode mode);
    void ReopenTabletContext();
    // Opens a file another launch handed over, once no dialog of ours is open.
    void OpenWhenIdle(const QString& path);
    void UpdateCommandButtons();
    void SyncBarsWithView();
    // Runs request now, or once the import under way has ended: an import lets events in for
    // its progress display, and it places its packets by where the window is and how the
    // page is scrolled.
    void AfterImport(std::function<void()> request);
    void RunWaitingRequests();

    CScrivaDoc& m_document;
    CScrivaView* m_view;
    class CCommandBar* m_commandBar = nullptr;
    CSplitFileDialog* m_splitDialog;
    QString m_frameClass;
    std::function<bool(UINT)> m_appCommands;
    FrameMode m_nMode = FrameMode::Letter;
    CPaletteBar* m_paletteBar = nullptr;  // the bottom bar
    class QToolBar* m_paletteHolder = nullptr;
    IWritingOverlay* m_overlay = nullptr;
    std::unique_ptr<IWritingOverlay> m_viewOverlay;
    class CCaptureControlDlg* m_dlgCapture = nullptr;
    std::vector<std::function<void()>> m_waitingRequests;  // until the import ends
};
