#include "ReplayCanvas.h"

#include "DeviceInfo.h"
#include "ToolSupport.h"

#include "platform/ScreenMetrics.h"
#include "tablet/TabletBinding.h"

#include <QCoreApplication>

ReplayCanvas::ReplayCanvas(const CRect& screen, const CountingPrompts& prompts) : m_prompts(prompts)
{
    ScreenMetrics::SetFixedScreen(QSize(screen.Width(), screen.Height()));
    // The mouse pen binds the tablet without a device, so the view opens a context and takes
    // its pressure axis (maximum 511, divisor 2) as it does with a pen attached.
    TabletBinding::Instance().SetMousePen(true);
    TabletBinding::Instance().LoadTabletInterface(true);
    m_view = std::make_unique<CScrivaView>(m_doc);
    m_view->setGeometry(0, 0, screen.Width(), screen.Height());
    m_view->show();
    QCoreApplication::processEvents();
    m_doc.OnNewDocument();
}

ReplayCanvas::~ReplayCanvas()
{
    m_view.reset();
    TabletBinding::Instance().SetMousePen(false);
}

bool ReplayCanvas::Open(const QString& path)
{
    if (InputKindOf(path) == FileKind::Device) {
        m_doc.OnNewDocument();
        return Import(path);
    }
    if (InputKindOf(path) != FileKind::Note) {
        Complain(QStringLiteral("%1: neither a note (.Ilf) nor a device file (.QVN)").arg(path));
        return false;
    }
    if (!IsSafeToRead(path))
        return false;
    const int before = m_prompts.Count();
    if (m_doc.OnOpenDocument(path))
        return true;
    if (m_prompts.Count() == before)
        Complain(QStringLiteral("%1: could not be opened").arg(path));
    return false;
}

bool ReplayCanvas::Import(const QString& path)
{
    DeviceHeaderState header;
    if (!CheckDeviceFile(path, header))
        return false;
    const int before = m_prompts.Count();
    if (m_view->ImportDeviceFile(path))
        return true;
    if (m_prompts.Count() == before)
        Complain(QStringLiteral("%1: could not be imported").arg(path));
    return false;
}
