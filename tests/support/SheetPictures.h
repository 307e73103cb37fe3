#pragma once
// Printed sheets read back as pictures: a PDF rasterised by pdftoppm (poppler-utils), the part
// of a sheet the page was stretched over, and how far two pictures are apart.

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRect>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

// The pages of pdf as images at dpi, written beside it as prefix-N.png first.
inline std::vector<QImage> RasteriseSheets(const QString& pdf, const QString& prefix, int dpi = 50)
{
    QProcess pdftoppm;
    pdftoppm.start(QStringLiteral("pdftoppm"), {QStringLiteral("-r"), QString::number(dpi), QStringLiteral("-png"), pdf, prefix});
    EXPECT_TRUE(pdftoppm.waitForFinished(30000)) << "pdftoppm (poppler-utils) is needed";
    EXPECT_EQ(pdftoppm.exitCode(), 0) << pdftoppm.readAllStandardError().toStdString();
    const QFileInfo start(prefix);
    const QDir folder = start.dir();
    std::vector<QImage> sheets;
    for (const QString& name : folder.entryList({start.fileName() + QStringLiteral("*.png")}, QDir::Files, QDir::Name))
        sheets.push_back(QImage(folder.filePath(name)).convertToFormat(QImage::Format_RGB32));
    return sheets;
}

// The non-white part of a sheet: the drawable area the band was stretched over.
inline QRect InkedArea(const QImage& sheet)
{
    QRect area;
    for (int y = 0; y < sheet.height(); ++y)
        for (int x = 0; x < sheet.width(); ++x)
            if ((sheet.pixel(x, y) & 0xFFFFFF) != 0xFFFFFF)
                area |= QRect(x, y, 1, 1);
    return area;
}

// The mean difference per channel, 0..255, between two images of one size.
inline double MeanDifference(const QImage& a, const QImage& b)
{
    if (a.size() != b.size() || a.isNull())
        return 255;
    double sum = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            sum += std::abs(qRed(p) - qRed(q)) + std::abs(qGreen(p) - qGreen(q)) + std::abs(qBlue(p) - qBlue(q));
        }
    return sum / (3.0 * a.width() * a.height());
}

// How far the sheet's drawable area is from band, stretched over it.
inline double SheetDifference(const QImage& sheet, const QImage& band)
{
    const QRect area = InkedArea(sheet);
    const QImage expected = band.scaled(area.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    return MeanDifference(sheet.copy(area), expected.convertToFormat(QImage::Format_RGB32));
}
