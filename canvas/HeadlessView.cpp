#include "HeadlessView.h"

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
