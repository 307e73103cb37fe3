// Printing the page: the print dialog, direct printing on the default printer, and the print
// preview. The sheets themselves are PagePrinter's. Without any printer the dialog offers a
// PDF file beside the note, so printing works on every machine.

#include "CScrivaView.h"
#include "PagePrinter.h"

#include "platform/Prompts.h"

#include <QDir>
#include <QFileInfo>
#include <QPageSize>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QPrinterInfo>
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
    return PagePrinter::MaxPage(m_page.PageRect());
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

void CScrivaView::OnFilePrint()
{
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
    ScopedTabletPark park(this);
    QPrinter printer(QPrinterInfo::defaultPrinter(), QPrinter::HighResolution);
    PreparePrinter(printer);
    ReportPrint(PrintSheets(printer, false), printer);
}

void CScrivaView::OnFilePrintPreview()
{
    ScopedTabletPark park(this);
    QPrinter printer(QPrinter::HighResolution);
    PreparePrinter(printer);
    QPrintPreviewDialog dialog(&printer, window());
    connect(&dialog, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* shown) { PrintSheets(*shown, true); });
    // The bars go while the preview is shown, and come back when it ends.
    emit printPreviewBegun();
    dialog.exec();
    emit printPreviewEnded();
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
