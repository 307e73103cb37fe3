// Printing the page: the print dialog, direct printing on the default printer, and the print
// preview. The sheets themselves are PagePrinter's. Without any printer the dialog offers a
// PDF file beside the note, so printing works on every machine. In desktop mode the one sheet
// is the frozen screen with the ink written on it.

#include "CScrivaView.h"
#include "CScreenOverlay.h"
#include "PagePrinter.h"

#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPainter>
#include <QPrinterInfo>
#include <QScreen>
#include <QStandardPaths>

namespace {

// The PDF file offered when there is no printer: the note's name beside the note, or
// "Untitled.pdf" among the user's documents.
QString DefaultPdfName(const QString& notePath, const QString& title)
{
    if (!notePath.isEmpty()) {
        const QFileInfo note(notePath);
        return note.dir().filePath(note.completeBaseName() + QStringLiteral(".pdf"));
    }
    const QString folder = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return QDir(folder).filePath(QFileInfo(title).completeBaseName() + QStringLiteral(".pdf"));
}

}  // namespace

int CScrivaView::OnPreparePrinting() const
{
    if (m_frameMode == FrameMode::Desktop)
        return 1;
    return PagePrinter::MaxPage(m_page.PageRect());
}

const DrawingSurface* CScrivaView::FrozenScreen()
{
    if (m_frameMode != FrameMode::Desktop || m_dcDesktop.IsNull())
        return nullptr;
    return &m_dcDesktop;
}

void CScrivaView::PreparePrinter(QPrinter& printer) const
{
    printer.setDocName(m_document.GetTitle());
    if (QPrinterInfo::availablePrinterNames().isEmpty()) {
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(DefaultPdfName(m_document.GetPathName(), m_document.GetTitle()));
    }
}

bool CScrivaView::PrintSheets(QPrinter& printer, bool preview)
{
    if (m_frameMode == FrameMode::Desktop)
        return PrintDesktopSheet(printer, preview);
    // A page shorter than one unit still prints its top on one sheet.
    const int maxPage = std::max(1, OnPreparePrinting());
    int first = 1;
    int last = maxPage;
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        first = std::clamp(printer.fromPage(), 1, maxPage);
        last = std::clamp(printer.toPage() > 0 ? printer.toPage() : maxPage, first, maxPage);
    }
    const PagePrinter sheets(m_page.Surface(), PagePrinter::PageUnit(m_page.PageRect()));
    return sheets.Print(printer, first, last, preview);
}

// The ink goes into a copy of the frozen screen, never into the screen itself (the eraser and
// undo restore from it). The copy lives only while the sheet is printed.
bool CScrivaView::PrintDesktopSheet(QPrinter& printer, bool preview)
{
    const DrawingSurface* screen = FrozenScreen();
    if (!screen)
        return false;
    const CRect desk = Overlay().ScreenRect();
    DrawingSurface printCopy(screen->Bitmap().copy());
    printCopy.SetViewportOrg(-desk.left, -desk.top);
    m_document.m_lines.DrawInRect(&printCopy, desk);
    QPainter dc;
    if (!dc.begin(&printer))
        return false;
    PagePrinter::PrintScreenSheet(dc, QRect(0, 0, printer.width(), printer.height()), printCopy, preview);
    return dc.end();
}

// Desktop mode after Escape has no frozen screen left: nothing to print, and the user is told.
bool CScrivaView::CanPrint()
{
    if (m_frameMode != FrameMode::Desktop || FrozenScreen())
        return true;
    prompts().MessageBox(QStringLiteral("There is no frozen screen to print: Escape took it away."),
                         QStringLiteral("Inkleaf"), MB_OK | MB_ICONEXCLAMATION);
    return false;
}

void CScrivaView::OnFilePrint()
{
    if (!CanPrint())
        return;
    ScopedTabletPark park(this);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    QPrintDialog dialog(&printer, window());
    dialog.setMinMax(1, std::max(1, OnPreparePrinting()));
    if (dialog.exec() != QDialog::Accepted)
        return;
    ReportPrint(PrintSheets(printer, false), printer);
}

void CScrivaView::OnFilePrintDirect()
{
    // Without a printer there is nowhere to print without asking: the dialog offers a file.
    if (QPrinterInfo::defaultPrinter().isNull()) {
        OnFilePrint();
        return;
    }
    if (!CanPrint())
        return;
    ScopedTabletPark park(this);
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    PreparePrinter(printer);
    ReportPrint(PrintSheets(printer, false), printer);
}

void CScrivaView::OnFilePrintPreview()
{
    if (!CanPrint())
        return;
    ScopedTabletPark park(this);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    QPrintPreviewDialog dialog(&printer, window());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* shown) { PrintSheets(*shown, true); });
    // The bars go while the preview is shown, and come back when it ends.
    emit printPreviewBegun();
    // Over the frozen screen the small frame gives way to a preview as large as the screen,
    // above the overlay; the frame comes back in its corner afterwards, and the overlay shows
    // the ink again when the pen is given back.
    const bool desktop = m_frameMode == FrameMode::Desktop;
    if (desktop) {
        window()->hide();
        dialog.setWindowFlag(Qt::WindowStaysOnTopHint);
        if (const QScreen* shown = window()->screen())
            dialog.setGeometry(shown->availableGeometry());
        dialog.setWindowState(Qt::WindowMaximized);
    }
    dialog.exec();
    emit printPreviewEnded();
    if (desktop)
        ShowFrame();
}

bool CScrivaView::WritePdf(const QString& path)
{
    const PagePrinter sheets(m_page.Surface(), PagePrinter::PageUnit(m_page.PageRect()));
    return sheets.WritePdf(path, OnPreparePrinting(), PagePrinter::DefaultPaper());
}

void CScrivaView::ReportPrint(bool printed, const QPrinter& printer)
{
    if (printed)
        return;
    const QString where = printer.outputFileName().isEmpty() ? printer.printerName() : printer.outputFileName();
    prompts().MessageBox(QStringLiteral("The page could not be printed on %1.").arg(where),
                         QStringLiteral("Inkleaf"), MB_OK | MB_ICONEXCLAMATION);
}
