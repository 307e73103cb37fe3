#include "CScrivaApp.h"

#include "shell/dialogs/CAboutDlg.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/tables/StringTable.h"

#include "document/RecoveryJournal.h"
#include "document/RecoveryOffer.h"
#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "platform/Settings.h"
#include "tablet/TabletBinding.h"

#include <QCoreApplication>
#include <QGuiApplication>


CScrivaApp::CScrivaApp() : m_recent(RecentFileList::DefaultFile()) {}

CScrivaApp::~CScrivaApp()
{
    m_dlgAbout.reset();
    m_channel.reset();
    m_frame.reset();
    // A launch that handed over to another instance leaves that instance's flag alone.
    if (m_running)
        ClearInstanceFlag(m_session, m_bInkingLaunch);
}

bool CScrivaApp::InitInstance(const QStringList& arguments)
{
    m_decision = DecideLaunch(arguments, m_session);
    if (m_decision.exit)
        return false;
    m_running = true;
    m_bInkingLaunch = m_decision.inkingLaunch;
    NameWindowsAfterLauncher();

    // The tablet is bound before the view opens its context; the mouse may stand in for it.
    TabletBinding& tablet = TabletBinding::Instance();
    tablet.SetMousePen(ReadSetting(Settings::MousePen) == 1);
    tablet.LoadTabletInterface(true);

    // Letter and inking instances keep a journal each; an instance offers only its own kind's.
    m_journal = std::make_unique<RecoveryJournal>(RecoveryJournal::DefaultFolder(),
                                                  m_bInkingLaunch ? QStringLiteral("inking") : QStringLiteral("letter"));
    m_document = std::make_unique<CScrivaDoc>();
    m_document->SetJournal(m_journal.get());
    m_document->SetRecentFileSink([this](const QString& path) { m_recent.Add(path); });
    m_frame = std::make_unique<CMainFrame>(*m_document, m_decision.frameClass,
                                           [this](UINT id) { return OnCommand(id); });
    m_frame->View()->SetInkingLaunch(m_bInkingLaunch);
    m_frame->UseViewOverlay();
    // The frame loads the replacement look when the settings ask for it and it is installed.
    m_bResourceLibrary = Resources::UsingResourceLibrary();
    m_document->SetAlternativeInterface(m_bResourceLibrary);
    m_channel = std::make_unique<WindowChannel>(*m_frame);
    m_channel->Listen(m_decision.frameClass);

    // A note left unsaved by a run that ended unexpectedly is offered first; a note named on
    // the command line then opens as any other, asking about the restored one.
    m_document->OnNewDocument();
    OfferRecovery(*m_document, m_journal->Folder(), m_journal->Kind());
    // In a letter window the note opens once the window shows, so that a long note fills it
    // band by band instead of keeping it away until all is drawn. A note that cannot be opened
    // ends the program either way, after its message.
    const QString file = FileArgument(arguments);
    const bool openWhenShown = !file.isEmpty() && !m_bInkingLaunch;
    if (!file.isEmpty() && !openWhenShown && !m_document->OpenDocumentFile(file))
        return false;

    if (m_bInkingLaunch)
        m_frame->MakeInkingFrame();
    else
        m_frame->ShowMaximized();
    if (openWhenShown)
        m_frame->View()->CallAfterFirstPaint([this, file] {
            if (!m_document->OpenDocumentFile(file))
                QCoreApplication::exit(0);
        });
    if (!tablet.IsLoaded())
        m_frame->ShowNoTabletNotice();
    return true;
}

void CScrivaApp::NameWindowsAfterLauncher() const
{
    // The desktop puts a window under the launcher whose StartupWMClass is the window's class
    // (X11) or whose file name is its application id (Wayland). Qt takes the class from the
    // application name when the first window is made, so this comes before any window.
    if (m_bInkingLaunch) {
        QGuiApplication::setApplicationName(QStringLiteral("Lumora"));
        QGuiApplication::setDesktopFileName(QStringLiteral("org.inkleaf.Lumora"));
    } else {
        QGuiApplication::setApplicationName(QStringLiteral("Inkleaf"));
        QGuiApplication::setDesktopFileName(QStringLiteral("org.inkleaf.Inkleaf"));
    }
}

bool CScrivaApp::OnCommand(UINT id)
{
    switch (id) {
    case ID_FILE_NEW: OnFileNew(); return true;
    case ID_APP_ABOUT: OnAppAbout(); return true;
    default: return false;
    }
}

void CScrivaApp::OnFileNew()
{
    m_document->OnFileNew();
}

void CScrivaApp::OnAppAbout()
{
    m_frame->PaletteBar()->HidePenWidthPopup();
    ScopedTabletPark park(m_frame->View());
    if (!m_dlgAbout)
        m_dlgAbout = std::make_unique<CAboutDlg>(m_frame.get());
    m_dlgAbout->exec();
}

bool CScrivaApp::IsAboutBoxVisible() const
{
    return m_dlgAbout && m_dlgAbout->isVisible();
}
