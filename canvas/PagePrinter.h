#pragma once
// The printed sheets of a page. The page is cut into bands one new page high (the unit U, the
// page width × 4 / 3; "Add Line" always lengthens a page by whole units), and each band is
// stretched over the whole drawable area of one sheet, whatever the paper's proportions. The
// same sheets go to a printer, a print preview and a PDF file.

#include "platform/DrawingSurface.h"

#include <QRect>

class QPageSize;
class QPagedPaintDevice;
class QPainter;

class PagePrinter {
public:
    // source: the page as rendered (the page buffer, or the page drawn at a zoom); unit: the
    // band height in source pixels (U times the zoom).
    PagePrinter(const DrawingSurface& source, LONG unit) : m_source(source), m_unit(unit) {}

    // The band height of a page: one new page's height, page pixels.
    static LONG PageUnit(const CRect& page) { return page.Width() * 4 / 3; }
    // The sheets a page prints on: its height in whole units (0 for a page shorter than one).
    static int MaxPage(const CRect& page);

    // Sheet sheet (from 1) onto drawArea of dc (device units): the band from (sheet − 1) × U to
    // sheet × U from the top of the page, stretched to fill drawArea. A preview keeps whole
    // source pixels (COLORONCOLOR). A band that cannot be converted leaves the sheet blank.
    void OnPrint(QPainter& dc, const QRect& drawArea, int sheet, bool preview) const;

    // The desktop-mode sheet: the whole of screen (the frozen screen with the ink) at drawArea's
    // full width, kScreenSheetTop device units below its top, in the screen's proportions.
    static void PrintScreenSheet(QPainter& dc, const QRect& drawArea, const DrawingSurface& screen, bool preview);
    static constexpr int kScreenSheetTop = 200;

    // Sheets first..last, one per page of device (a printer or a PDF writer), each over the
    // device's whole drawable area. False when the device could not be painted on.
    bool Print(QPagedPaintDevice& device, int first, int last, bool preview) const;

    // Sheets 1..sheets as a PDF file on paper of that size, with the margins a printer
    // leaves. The file is replaced only when complete; false when it could not be written.
    bool WritePdf(const QString& path, int sheets, const QPageSize& paper) const;
    // Letter where the locale measures in inches, A4 elsewhere.
    static QPageSize DefaultPaper();

private:
    const DrawingSurface& m_source;
    LONG m_unit;
};
