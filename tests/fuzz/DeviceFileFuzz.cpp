// The device file: header, packet blocks, the filter and the conversion to screen pixels, and
// the replay through the view's pen capture onto a page, as importing one does; then the
// page's strokes written out as a device file again, which must import too.

#include "FuzzSupport.h"

#include "canvas/CScrivaView.h"
#include "document/CScrivaDoc.h"
#include "platform/ScreenMetrics.h"
#include "tablet/TabletBinding.h"

namespace {

struct Canvas {
    Canvas()
    {
        // A small screen, so a page is quick to draw: a fuzzer replays thousands of files.
        ScreenMetrics::SetFixedScreen(QSize(160, 120));
        // The mouse pen binds the tablet without a device, so the view takes a pressure axis.
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
        view = new CScrivaView(doc);
        view->setGeometry(0, 0, 160, 120);
        view->show();
        QCoreApplication::processEvents();
    }
    CScrivaDoc doc;
    CScrivaView* view;  // never destroyed, as the document it shows
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    FuzzPrompts();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    static Canvas canvas;
    canvas.doc.OnNewDocument();
    const QString path = FuzzFile(QStringLiteral("notepad.QVN"), reinterpret_cast<const char*>(data), size);
    if (!canvas.view->ImportDeviceFile(path))
        return 0;
    const int strokes = canvas.doc.m_lines.GetCount();
    if (strokes == 0)
        return 0;
    const QString written = FuzzFolder() + QStringLiteral("/written.QVN");
    if (!canvas.view->WriteDeviceFile(written))
        Broken("the strokes of an imported device file cannot be written as one");
    canvas.doc.OnNewDocument();
    if (!canvas.view->ImportDeviceFile(written))
        Broken("a written device file does not import");
    return 0;
}
