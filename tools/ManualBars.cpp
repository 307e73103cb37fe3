#include "ManualBars.h"

#include "canvas/CScrivaView.h"
#include "shell/bars/BarArtwork.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CPenWidthPopup.h"
#include "shell/bars/CommandBarArtwork.h"

ManualBars::ManualBars()
{
    m_view = new CScrivaView(m_doc, &m_desk);
    m_doc.OnNewDocument();
    m_commandBar = new CCommandBar(&m_desk);
    m_paletteBar = new CPaletteBar(m_view, &m_desk);
}

ManualBars::~ManualBars() = default;

// The command bar follows its parent's width, as it spans the frame.
void ManualBars::LayOutCommandBar(FrameMode mode)
{
    m_commandBar->LayoutForMode(mode);
    m_commandBar->SetPenWidths(m_view->ToolWidth(CScrivaView::kPencil), m_view->ToolWidth(CScrivaView::kBrush),
                               m_view->ToolWidth(CScrivaView::kMarker));
    m_desk.resize(CommandBarArtwork::BackgroundSize(mode));
    m_commandBar->setGeometry(QRect(QPoint(0, 0), CommandBarArtwork::BackgroundSize(mode)));
}

void ManualBars::LayOutPaletteBar(FrameMode mode, bool narrow)
{
    m_paletteBar->SetSmallScreen(narrow);
    m_paletteBar->LayoutForMode(mode);
    m_paletteBar->SyncWithView();
    m_paletteBar->setGeometry(QRect(QPoint(0, 0), BarArtwork::BackgroundSize(mode, narrow)));
}

BarPicture ManualBars::CommandBar(FrameMode mode)
{
    LayOutCommandBar(mode);
    return BarPicture::Draw(m_commandBar);
}

BarPicture ManualBars::PaletteBar(FrameMode mode, bool narrow)
{
    LayOutPaletteBar(mode, narrow);
    return BarPicture::Draw(m_paletteBar);
}

BarPicture ManualBars::PenWidthPopup()
{
    CPenWidthPopup popup(&m_desk);
    popup.Toggle(CScrivaView::kPencil, m_view->ToolWidth(CScrivaView::kPencil), nullptr);
    return BarPicture::Draw(&popup);
}

QImage ManualBars::CommandBarImage(FrameMode mode)
{
    LayOutCommandBar(mode);
    return m_commandBar->grab().toImage();
}

QImage ManualBars::PaletteBarImage(FrameMode mode)
{
    LayOutPaletteBar(mode, false);
    return m_paletteBar->grab().toImage();
}

QImage ManualBars::PageImage() const
{
    return m_view->Page().Surface().Bitmap();
}
