#pragma once
// The About box: a borderless logo with four centred, shadowed lines (the titles, the rights
// notice, the version and the attached tablet). A left click anywhere opens the user manual,
// help.pdf beside the program (or in the installed program's data folder), and closes the box.

#include "platform/WinTypes.h"
#include "tablet/TabletIdentity.h"

#include <QDialog>
#include <QFont>
#include <QImage>
#include <QStringList>
#include <QUrl>

#include <functional>

class CAboutDlg : public QDialog {
public:
    // Opens a document with the desktop's viewer; false when it could not be started.
    using DocumentOpener = std::function<bool(const QUrl&)>;

    static constexpr UINT IDB_LOGO_PLAIN = 391;
    static constexpr UINT IDB_LOGO = 393;
    static constexpr int kLogoWidth = 320;   // pixels, both logos
    static constexpr int kLogoHeight = 200;
    static constexpr UINT HELP_CONTEXT = 1;  // the one help command the box answers

    explicit CAboutDlg(QWidget* parent = nullptr);

    // Picks the logo and sizes the box to it, keeping its top-left corner. Runs each time the
    // box is shown.
    void OnInitDialog();

    // 0 the plain logo 391, any other value the logo 393.
    static UINT LogoFor(int setting) { return setting == 0 ? IDB_LOGO_PLAIN : IDB_LOGO; }
    // The picture of one logo, opaque, kLogoWidth × kLogoHeight pixels at the pixel ratio.
    static QImage LogoImage(UINT bitmap, qreal ratio = 1.0);

    // The four lines in drawing order: titles, rights notice, version, tablet.
    QStringList TextLines() const;
    // The tablet's name and how its pen is connected (USB, Bluetooth, I2C or a serial port),
    // from the driver file and the pen's device in the sysfs tree.
    static QString TabletLine(const QString& sysfsRoot, const PenDeviceHint& pen = CurrentPenDevice());
    // The lines' font for a user-interface language: a Times face 16 pixels high, or for
    // Japanese the box's own font with a face that has the Japanese glyphs.
    static QFont TextFont(const QString& language, const QFont& boxFont);

    // For HELP_CONTEXT opens the manual; other commands do nothing. Returns true when the
    // viewer was started.
    bool WinHelp(DWORD data, UINT command);

    void SetDocumentOpener(DocumentOpener opener) { m_openDocument = std::move(opener); }
    void SetSysfsRoot(const QString& root) { m_sysfsRoot = root; }
    void SetHelpFolder(const QString& folder) { m_helpFolder = folder; }

protected:
    void showEvent(QShowEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

private:
    DocumentOpener m_openDocument;
    QString m_sysfsRoot = QStringLiteral("/sys");
    QString m_helpFolder;  // where help.pdf lives: beside the program or in its data folder
};
