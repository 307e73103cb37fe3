#pragma once
// The main window in letter mode: maximised, captioned with the note's title, hosting the
// view, with no menu bar. Commands from the accelerators are offered to the view, the
// document, the frame and the application, in that order. Other instances reach it through
// the window channel.

#include "CSplitFileDialog.h"
#include "SingleInstance.h"

#include "canvas/CScrivaView.h"

#include <QMainWindow>

class CPaletteBar;

#include <functional>

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
    int Mode() const { return m_nMode; }

    // Runs a command; false when nobody handles it.
    bool OnCommand(UINT id);
    // Shows the frame maximised over the work area.
    void ShowMaximized();
    // Tells the user once, without stopping them, that no tablet was found.
    void ShowNoTabletNotice();
    // The "Picture" menu at the mouse; the chosen command runs.
    void ShowPictureMenu();

    // IWindowRequests
    bool IsWindowVisible() override { return isVisible(); }
    void Minimize() override { showMinimized(); }
    void RestoreToForeground() override;
    void ShowTopmost() override;
    void AddPageLength() override { m_view->AddPageLength(); }
    bool CloseOverlay(const QString&) override { return false; }

protected:
    void closeEvent(QCloseEvent* event) override;
    void dragEnterEvent(QDragEnterEvent* event) override;
    void dropEvent(QDropEvent* event) override;

private:
    void CreateAccelerators();
    void CreatePaletteBar();
    bool OnDocumentCommand(UINT id);
    void UpdateCaption(const QString& title);

    CScrivaDoc& m_document;
    CScrivaView* m_view;
    class CCommandBar* m_commandBar = nullptr;
    CSplitFileDialog* m_splitDialog;
    QString m_frameClass;
    std::function<bool(UINT)> m_appCommands;
    int m_nMode = 0;  // 0 letter, 1 desktop, 2 inking
    CPaletteBar* m_paletteBar = nullptr;  // the bottom bar
};
