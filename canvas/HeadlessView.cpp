#include "HeadlessView.h"

#include "document/DeviceFileIO.h"

HeadlessView::HeadlessView(CScrivaDoc& document, const CRect& screen, const QString& settingsFile)
    : m_document(document), m_page(screen)
{
    m_page.ReadSettings(settingsFile);
    m_page.SetContent(&document.m_lines, &document.m_pictures);
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
