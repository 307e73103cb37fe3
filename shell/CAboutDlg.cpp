#include "CAboutDlg.h"

#include "StringTable.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"
#include "tablet/TabletIdentity.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileInfo>
#include <QFontMetrics>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include <cmath>

namespace {

constexpr UINT IDS_RIGHTS_HEADING = 51458;
constexpr const char* kRightsNotice = "\u00A9 2026 Inkleaf developers. Free to share.";
constexpr const char* kVersion = " 2.60.00";

constexpr QRgb kShadowColor = 0xFFB2B2B2;
constexpr int kTextTops[] = {70, 90, 140, 160};  // pixels from the top of the box

// A leaf with its midrib, its stem at (x, y), pointing up and to the right.
void DrawLeaf(QPainter& p, QPointF stem, qreal length, const QColor& colour)
{
    const QPointF tip = stem + QPointF(length * 0.55, -length);
    QPainterPath leaf(stem);
    leaf.quadTo(stem + QPointF(-length * 0.35, -length * 0.7), tip);
    leaf.quadTo(stem + QPointF(length * 0.95, -length * 0.2), stem);
    p.setPen(Qt::NoPen);
    p.setBrush(colour);
    p.drawPath(leaf);
    p.setPen(QPen(colour.lighter(160), 1.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(stem, stem + (tip - stem) * 0.8);
}

// A handwritten swash: a wave whose width swells and tapers like a pen pressed and lifted.
void DrawPenStroke(QPainter& p, qreal left, qreal right, qreal baseline, const QColor& ink)
{
    constexpr int kSteps = 480;
    constexpr qreal kPi = 3.14159265358979;
    p.setPen(Qt::NoPen);
    p.setBrush(ink);
    for (int i = 0; i <= kSteps; ++i) {
        const qreal t = qreal(i) / kSteps;
        const qreal x = left + (right - left) * t;
        const qreal y = baseline - 6.0 * std::sin(t * 2.6 * kPi) * (0.4 + 0.6 * t);
        const qreal pressure = std::pow(std::sin(kPi * std::min(1.0, t * 1.15)), 0.7);
        const qreal radius = 0.5 + 2.3 * pressure;
        p.drawEllipse(QPointF(x, y), radius, radius);
    }
}

}  // namespace

CAboutDlg::CAboutDlg(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint),
      m_openDocument([](const QUrl& url) { return QDesktopServices::openUrl(url); }),
      m_helpFolder(GetProgramFolder())
{
    setModal(true);
    resize(kLogoWidth, kLogoHeight);
}

void CAboutDlg::OnInitDialog()
{
    const QImage logo = LogoImage(LogoFor(ReadSetting(Settings::AboutLogoForLayout)));
    setFixedSize(logo.size());
}

QImage CAboutDlg::LogoImage(UINT bitmap)
{
    const bool plain = bitmap == IDB_LOGO_PLAIN;
    const QColor paperTop = plain ? QColor(0xF5, 0xF7, 0xFA) : QColor(0xFC, 0xF8, 0xEC);
    const QColor paperBottom = plain ? QColor(0xDD, 0xE4, 0xEC) : QColor(0xEE, 0xE0, 0xC0);
    const QColor ink = plain ? QColor(0x2E, 0x3A, 0x4A) : QColor(0x1D, 0x3C, 0x78);
    const QColor leaf = plain ? QColor(0x5E, 0x8C, 0x6A) : QColor(0x3F, 0x8F, 0x4E);
    const QColor rule = plain ? QColor(0xB8, 0xC6, 0xD4) : QColor(0xD8, 0xC3, 0x98);

    QImage image(kLogoWidth, kLogoHeight, QImage::Format_RGB32);
    QPainter p(&image);
    p.setRenderHint(QPainter::Antialiasing);

    QLinearGradient paper(0, 0, 0, kLogoHeight);
    paper.setColorAt(0, paperTop);
    paper.setColorAt(1, paperBottom);
    p.fillRect(image.rect(), paper);

    // Ruled lines under the text rows, as on the page, and a thin frame.
    p.setPen(QPen(rule, 1));
    for (const int y : {111, 181})
        p.drawLine(QPointF(24, y + 0.5), QPointF(kLogoWidth - 24, y + 0.5));
    p.setPen(QPen(ink.lighter(250), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(QRectF(0.5, 0.5, kLogoWidth - 1, kLogoHeight - 1));

    // The word mark with its leaf, centred together in the top band.
    QFont mark(QStringLiteral("Serif"));
    mark.setPixelSize(38);
    mark.setItalic(true);
    mark.setBold(true);
    const QFontMetrics metrics(mark);
    const QString name = QStringLiteral("Inkleaf");
    const int leafWidth = 22;
    const int markWidth = metrics.horizontalAdvance(name) + leafWidth + 6;
    const int markLeft = (kLogoWidth - markWidth) / 2;
    const int baseline = 52;
    p.setFont(mark);
    p.setPen(ink);
    p.drawText(markLeft + leafWidth + 6, baseline, name);
    DrawLeaf(p, QPointF(markLeft + 4, baseline - 2), 30, leaf);

    // A pen stroke between the two pairs of lines.
    DrawPenStroke(p, 70, kLogoWidth - 70, 125, ink);
    return image;
}

QString CAboutDlg::TabletLine(const QString& sysfsRoot)
{
    WORD vendor = 0;
    WORD product = 0;
    const bool serial = GetTabletUsbIds(vendor, product, sysfsRoot);
    return QStringLiteral("%1 %2").arg(TabletManagerName(), LoadString(serial ? IDS_SERIAL_PORT : IDS_USB_PORT));
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
    p.drawImage(0, 0, LogoImage(LogoFor(ReadSetting(Settings::AboutLogoForPaint))));
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
