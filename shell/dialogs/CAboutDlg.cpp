#include "CAboutDlg.h"

#include "shell/tables/StringTable.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/Resources.h"
#include "platform/Settings.h"
#include "tablet/TabletIdentity.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QMouseEvent>
#include <QPainter>

namespace {

constexpr const char* kRightsNotice = " \u00A9 2026 Inkleaf developers";
constexpr const char* kVersion = " 2.60.00";

constexpr QRgb kShadowColor = 0xFFB2B2B2;
constexpr int kTextTops[] = {70, 90, 140, 160};  // pixels from the top of the box

// Where help.pdf is: beside the program, or where the installed program keeps its data. The
// program folder when neither has it, so the message names where it was looked for.
QString HelpFolder()
{
    const QString found = FindProgramFile(QStringLiteral("help.pdf"));
    return found.isEmpty() ? GetProgramFolder() : QFileInfo(found).absolutePath();
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_openDocument([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_helpFolder(HelpFolder())
{
    setModal(true);
    resize(kLogoWidth, kLogoHeight);
}

void CAboutDlg::OnInitDialog()
{
    const QImage logo = LogoImage(LogoFor(ReadSetting(Settings::AboutLogoForLayout)));
    setFixedSize(logo.size());
}

QImage CAboutDlg::LogoImage(UINT bitmap, qreal ratio)
{
    const QSize size = QSize(kLogoWidth, kLogoHeight) * ratio;
    // Opaque, like the box it fills: anything see-through in the picture shows white.
    QImage logo(size, QImage::Format_RGB32);
    logo.fill(Qt::white);
    QPainter painter(&logo);
    painter.drawImage(0, 0, Resources::LoadImage(QStringLiteral("bitmap/%1").arg(bitmap), size));
    painter.end();
    logo.setDevicePixelRatio(ratio);
    return logo;
}

QString CAboutDlg::TabletLine(const QString& sysfsRoot, const PenDeviceHint& pen)
{
    UINT connection = IDS_SERIAL_PORT;  // also when no pen is found
    switch (FindTabletDevice(pen, sysfsRoot).bus) {
    case BUS_USB: connection = IDS_USB_PORT; break;
    case BUS_BLUETOOTH: connection = IDS_BLUETOOTH; break;
    case BUS_I2C: connection = IDS_I2C_BUS; break;
    default: break;
    }
    return QStringLiteral("%1 %2").arg(TabletManagerName(), LoadString(connection));
}

QStringList CAboutDlg::TextLines() const
{
    return {
        LoadString(AFX_IDS_APP_TITLE) + QStringLiteral(" & ") + LoadString(IDS_COMPANY),
        LoadString(IDS_RIGHTS_HEADING) + QString::fromUtf8(kRightsNotice),
        LoadString(IDS_VERSION) + QLatin1String(kVersion),
        TabletLine(m_sysfsRoot),
    };
}

QFont CAboutDlg::TextFont(const QString& language, const QFont& boxFont)
{
    if (language == QLatin1String("ja")) {
        // Times has no kana or kanji: keep the box's own font, with faces that have them first.
        QFont font = boxFont;
        QStringList families = {QStringLiteral("Noto Sans CJK JP"), QStringLiteral("Noto Sans JP"),
                                QStringLiteral("IPAexGothic"),      QStringLiteral("IPAGothic"),
                                QStringLiteral("TakaoPGothic"),     QStringLiteral("VL PGothic")};
        families << boxFont.family();
        font.setFamilies(families);
        return font;
    }
    // Times New Roman, else a face with its metrics, so the lines fit the box alike.
    QFont font;
    font.setFamilies({QStringLiteral("Times New Roman"), QStringLiteral("Liberation Serif"),
                      QStringLiteral("Tinos"), QStringLiteral("Nimbus Roman")});
    font.setPixelSize(14);  // a 16-pixel line, ascent and descent together
    font.setStyleHint(QFont::SansSerif, QFont::PreferQuality);
    return font;
}

bool CAboutDlg::WinHelp(DWORD /*data*/, UINT command)
{
    if (command != HELP_CONTEXT)
        return false;
    const QString path = m_helpFolder + QStringLiteral("/help.pdf");
    const QString caption = LoadString(AFX_IDS_APP_TITLE);
    if (!QFileInfo(path).isFile()) {
        prompts().MessageBox(QStringLiteral("The user manual was not found:\n%1").arg(QDir::toNativeSeparators(path)),
                             caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    if (!m_openDocument || !m_openDocument(QUrl::fromLocalFile(path))) {
        prompts().MessageBox(QStringLiteral("No program could be started to show the user manual:\n%1")
                                 .arg(QDir::toNativeSeparators(path)),
                             caption, MB_OK | MB_ICONEXCLAMATION);
        return false;
    }
    return true;
}

void CAboutDlg::showEvent(QShowEvent* event)
{
    OnInitDialog();
    QDialog::showEvent(event);
}

void CAboutDlg::paintEvent(QPaintEvent*)
{
    QPainter p(this);
    p.drawImage(0, 0, LogoImage(LogoFor(ReadSetting(Settings::AboutLogoForPaint)), devicePixelRatio()));
    p.setFont(TextFont(StringTable::Instance().Language(), font()));

    const QStringList lines = TextLines();
    const int middle = width() / 2;
    // Each line is centred on its reference x, its top at the given y.
    const auto drawLines = [&](int dx, int dy, QColor colour) {
        p.setPen(colour);
        for (int i = 0; i < lines.size(); ++i) {
            const QRect cell(middle + dx - width(), kTextTops[i] + dy, 2 * width(), height());
            p.drawText(cell, Qt::AlignHCenter | Qt::AlignTop | Qt::TextSingleLine, lines[i]);
        }
    };
    drawLines(2, 1, QColor::fromRgb(kShadowColor));
    drawLines(0, 0, Qt::black);
}

void CAboutDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    WinHelp(0, HELP_CONTEXT);
    accept();
}
