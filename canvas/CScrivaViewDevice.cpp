// Device files on the view: imported by replaying their packets through the pen capture, and
// written from the strokes of the page.

#include "CScrivaView.h"

#include "platform/Prompts.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QProgressDialog>

namespace {
// Files of more packets than this show their progress.
constexpr qint64 kProgressFromBytes = 5000 * kDevicePacketBytes;
constexpr int kRepaintEveryMs = 100;
}  // namespace

DeviceGeometry CScrivaView::Geometry() const
{
    const CRect window = ScreenRect();
    DeviceGeometry geometry;
    geometry.zoom = m_fZoom;
    // Device files place the notepad's area on the zoomed page less 30 pixels each way, the
    // extent they have always been written and read with.
    constexpr double kDeviceSlack = 30;
    const double scale = m_fZoom < 1 ? 0.5 : int(m_fZoom);
    geometry.scrollWidth = int(m_page.PageWidth() * scale - kDeviceSlack);
    geometry.scrollHeight = int(m_page.PageHeight() * scale - kDeviceSlack);
    geometry.left = window.left;
    geometry.top = window.top;
    geometry.extentX = m_lcTablet.lcOutExtX ? m_lcTablet.lcOutExtX : m_page.Desktop().Width();
    geometry.extentY = m_lcTablet.lcOutExtY ? std::abs(m_lcTablet.lcOutExtY) : m_page.Desktop().Height();
    return geometry;
}

bool CScrivaView::ImportDeviceFile(const QString& path)
{
    if (!path.toUpper().contains(QLatin1String(".QVN"))) {
        prompts().MessageBox(QStringLiteral("This file is not QVN file."), QStringLiteral("Open File Error"), MB_OK);
        return false;
    }
    SetToolWidth(kBrush, 2);

    m_bImporting = true;
    const bool imported = ReplayDeviceFile(path);
    m_bImporting = false;
    // Pen packets that came meanwhile waited in the queue; the events that told of them are spent.
    for (int n = TabletBinding::Instance().Pending(); n > 0; n -= TabletBinding::kMaxPacketsPerFetch)
        QCoreApplication::postEvent(this, new WtPacketEvent(0, m_hTabletContext));
    emit importFinished();
    return imported;
}

bool CScrivaView::ReplayDeviceFile(const QString& path)
{
    const QFileInfo info(path);
    std::unique_ptr<QProgressDialog> progress;
    if (info.size() > kProgressFromBytes) {
        progress = std::make_unique<QProgressDialog>(QStringLiteral("Reading %1").arg(info.fileName()), QString(), 0,
                                                     1000, this);
        progress->setWindowModality(Qt::NonModal);
        progress->setMinimumDuration(0);
        progress->setValue(0);
    }
    WaitCursor wait;
    QElapsedTimer sinceRepaint;  // started at the first repaint, after the first block

    DeviceFileReader reader;
    const auto replay = [this](const PenPacket* packets, int count) {
        m_bReplaying = true;
        for (int i = 0; i < count; ++i) {
            const PenPacket& p = packets[i];
            m_bButtonDown = p.buttons == 1;
            if (m_frameMode == FrameMode::Letter)
                CapturePagePacket(p.time, p.buttons, p.x, p.y, p.pressure);
        }
        m_bReplaying = false;
    };
    const auto report = [&](qint64 done, qint64 total) {
        if (!progress || (sinceRepaint.isValid() && sinceRepaint.elapsed() < kRepaintEveryMs))
            return;
        progress->setValue(int(done * 1000 / std::max<qint64>(1, total)));
        // The page fills as it goes. Pen packets and requests from other launches wait (see
        // OnWtPacket and importFinished): they would break into the replay's stroke or move the
        // window under it.
        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
        sinceRepaint.restart();
    };
    const bool imported = reader.Import(path, Geometry(), replay, report);
    // A recording cut off with the pen down (the notepad switched off mid-stroke, a truncated
    // file) still ends its last stroke, as a pen-up would, so the next writing or the next
    // file starts a stroke of its own.
    m_bButtonDown = false;
    EndStroke();
    if (imported)
        m_document.SetModifiedFlag(false);
    Invalidate();
    return imported;
}

bool CScrivaView::WriteDeviceFile(const QString& path)
{
    return WriteDeviceFile(path, 0, m_document.m_lines.GetCount());
}

bool CScrivaView::WriteDeviceFile(const QString& path, int firstStroke, int endStroke)
{
    return ::WriteDeviceFile(path, m_document.m_lines, firstStroke, endStroke, Geometry());
}

void CScrivaView::ScheduleDeviceImport(const QString&)
{
    m_importTimer.start(kImportDelayMs);
}

void CScrivaView::OnTimer()
{
    if (m_bImporting) {
        m_importTimer.start(kImportDelayMs);  // a merge is replaying: this import follows it
        return;
    }
    m_importTimer.stop();
    ImportDeviceFile(m_document.PendingDeviceFile());
}
