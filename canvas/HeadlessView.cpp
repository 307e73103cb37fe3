#include "HeadlessView.h"

#include "PagePrinter.h"

#include "document/DeviceFileIO.h"

#include <QPageSize>

HeadlessView::HeadlessView(CScrivaDoc& document, const CRect& screen, const QString& settingsFile, Start start)
    : m_document(document),
      m_page(screen, start == Start::NewPage ? CanvasPage::Buffer::Now : CanvasPage::Buffer::WithFirstPage)
{
    m_page.ReadSettings(settingsFile);
    m_page.SetContent(&document.m_lines, &document.m_pictures);
    if (start == Start::NewPage)
        m_page.DrawRuledLines(false);
    document.SetView(this);
}

void HeadlessView::ResetPage()
{
    m_hasInk = false;
    m_page.ResetPageRect();
}

bool HeadlessView::WriteDeviceFile(const QString& path)
{
    return WriteDeviceFile(path, 0, m_document.m_lines.GetCount());
}

bool HeadlessView::WriteDeviceFile(const QString& path, int firstStroke, int endStroke)
{
    return ::WriteDeviceFile(path, m_document.m_lines, firstStroke, endStroke,
                             NewWindowGeometry(m_page.PageRect(), m_page.Desktop()));
}

bool HeadlessView::WritePdf(const QString& path)
{
    const PagePrinter sheets(m_page.Surface(), PagePrinter::PageUnit(m_page.PageRect()));
    return sheets.WritePdf(path, PagePrinter::MaxPage(m_page.PageRect()), PagePrinter::DefaultPaper());
}
