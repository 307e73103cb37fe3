#include "PagePrinter.h"

#include "platform/PackedDib.h"
#include "platform/SafeFile.h"

#include <QLocale>
#include <QPageSize>
#include <QPagedPaintDevice>
#include <QPainter>
#include <QPdfWriter>

namespace {
constexpr int kPdfResolution = 1200;  // dots per inch, as a printer's high resolution
constexpr double kPdfMarginMm = 3.5;  // about what a printer cannot reach at each edge
}  // namespace

int PagePrinter::MaxPage(const CRect& page)
{
    const LONG unit = PageUnit(page);
    return unit > 0 ? int(page.Height() / unit) : 0;
}

void PagePrinter::OnPrint(QPainter& dc, const QRect& drawArea, int sheet, bool preview) const
{
    // 1. The band of this sheet, top-down page pixels.
    const LONG width = m_source.DeviceWidth();
    const LONG top = LONG(sheet - 1) * m_unit;
    const LONG rows = std::clamp<LONG>(m_source.DeviceHeight() - top, 0, m_unit);
    // 2. A preview keeps whole pixels.
    const int previous = preview ? SetStretchBltMode(dc, COLORONCOLOR) : 0;
    if (rows > 0 && width > 0) {
        // 3. The band's rows as the page holds them, without a copy: the same 32-bit pixels a
        // copy converted to a DIB and back would give. 4. The band fills the drawable area;
        // below a short last band the sheet stays blank, as the page ends there.
        const QImage& page = m_source.Bitmap();
        const QImage band(page.constScanLine(top), width, rows, page.bytesPerLine(), QImage::Format_RGB32);
        const double sx = double(drawArea.width()) / width;
        const double sy = double(drawArea.height()) / m_unit;
        dc.save();
        dc.setCompositionMode(QPainter::CompositionMode_SourceOver);
        dc.drawImage(QRectF(drawArea.x(), drawArea.y(), width * sx, rows * sy), band);
        dc.restore();
    } else {
        // Nothing of the page is left for this sheet: what a band that cannot be converted
        // leaves.
        StretchDib(dc, drawArea.x(), drawArea.y(), drawArea.width(), drawArea.height(), 0, rows - m_unit, width,
                   m_unit, SRCCOPY, QByteArray());
    }
    if (preview)
        SetStretchBltMode(dc, previous);
}

void PagePrinter::PrintScreenSheet(QPainter& dc, const QRect& drawArea, const DrawingSurface& screen, bool preview)
{
    const LONG sw = screen.DeviceWidth();
    const LONG sh = screen.DeviceHeight();
    if (sw <= 0 || sh <= 0)
        return;
    const QByteArray dib = BitmapToDib(screen, 0, BI_RGB);
    const LONG rw = drawArea.width();
    const int previous = preview ? SetStretchBltMode(dc, COLORONCOLOR) : 0;
    StretchDib(dc, drawArea.x(), drawArea.y() + kScreenSheetTop, rw, LONG(qint64(rw) * sh / sw), 0, 0, sw, sh, SRCCOPY,
               dib);
    if (preview)
        SetStretchBltMode(dc, previous);
}

bool PagePrinter::Print(QPagedPaintDevice& device, int first, int last, bool preview) const
{
    QPainter dc;
    if (!dc.begin(&device))
        return false;
    const QRect drawArea(0, 0, device.width(), device.height());
    for (int sheet = first; sheet <= last; ++sheet) {
        if (sheet > first && !device.newPage())
            return false;
        OnPrint(dc, drawArea, sheet, preview);
    }
    return dc.end();
}

bool PagePrinter::WritePdf(const QString& path, int sheets, const QPageSize& paper) const
{
    SafeFile file(path);
    if (!file.Open())
        return false;
    bool printed = false;
    {
        QPdfWriter writer(&file.Device());
        writer.setResolution(kPdfResolution);
        writer.setCreator(QStringLiteral("Inkleaf"));
        writer.setPageLayout(QPageLayout(paper, QPageLayout::Portrait,
                                         QMarginsF(kPdfMarginMm, kPdfMarginMm, kPdfMarginMm, kPdfMarginMm),
                                         QPageLayout::Millimeter));
        printed = Print(writer, 1, std::max(1, sheets), false);
    }
    if (!printed) {
        file.Cancel();
        return false;
    }
    return file.Commit();
}

QPageSize PagePrinter::DefaultPaper()
{
    return QPageSize(QLocale::system().measurementSystem() == QLocale::ImperialUSSystem ? QPageSize::Letter
                                                                                        : QPageSize::A4);
}
