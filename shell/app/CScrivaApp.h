#pragma once
// The application: decides the launch mode and single instance, builds the note, the frame
// and the view, opens the file named on the command line, and answers other instances.

#include "shell/frame/CMainFrame.h"
#include "shell/launch/LaunchMode.h"
#include "RecentFileList.h"

#include "document/CScrivaDoc.h"

#include <QStringList>

#include <memory>

class CAboutDlg;

class CScrivaApp {
public:
    CScrivaApp();
    ~CScrivaApp();

    // Start-up from the arguments after the program's name. False: this process ends now
    // (another instance took over, or the file named could not be opened).
    bool InitInstance(const QStringList& arguments);

    bool m_bResourceLibrary = false;  // the alternative interface is in use
    bool m_bInkingLaunch = false;

    CScrivaDoc& Document() { return *m_document; }
    CMainFrame* Frame() { return m_frame.get(); }
    RecentFileList& RecentFiles() { return m_recent; }

    // New and About.
    bool OnCommand(UINT id);
    void OnFileNew();
    void OnAppAbout();
    // True while the About box is on screen; the pen does not write then.
    bool IsAboutBoxVisible() const;

private:
    // Gives the windows the class and application id of the launcher that starts this kind of
    // launch ("Lumora" for an inking launch, "Inkleaf" otherwise).
    void NameWindowsAfterLauncher() const;

    bool m_running = false;  // this instance went on after the launch decision
    InstanceSession m_session;
    LaunchDecision m_decision;
    RecentFileList m_recent;
    std::unique_ptr<CScrivaDoc> m_document;
    std::unique_ptr<CMainFrame> m_frame;
    std::unique_ptr<WindowChannel> m_channel;
    std::unique_ptr<CAboutDlg> m_dlgAbout;  // made on first use
};
