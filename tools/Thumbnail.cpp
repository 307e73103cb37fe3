#include "Thumbnail.h"

#include "PageSettingsView.h"
#include "ReplayCanvas.h"
#include "ToolSupport.h"

#include "document/CScrivaDoc.h"
#include "document/IDocumentView.h"
#include "ink/CLine.h"
#include "platform/ColorRef.h"

#include <QFile>
#include <QFileInfo>
#include <QPainter>
#include <QPolygonF>
#include <QtEndian>

#include <algorithm>
#include <vector>

namespace Thumbnail {

namespace {

constexpr qint64 kPageRectOffset = 12;  // a note starts with two colours and the line height

// Each block x block square of the page as its darkest pixel. Averaging alone would fade a
// stroke two pixels wide into the page at a tenth of the size; the darkest pixel keeps ink and
// ruled lines in their own colours. One read of every pixel.
QImage DarkestOfBlocks(const QImage& page, int block)
{
    const QImage source = page.convertToFormat(QImage::Format_RGB32);
    const int width = (source.width() + block - 1) / block;
    const int height = (source.height() + block - 1) / block;
    QImage pooled(width, height, QImage::Format_RGB32);
    std::vector<QRgb> row(static_cast<size_t>(width));
    for (int by = 0; by < height; ++by) {
        std::fill(row.begin(), row.end(), qRgb(255, 255, 255));
        for (int y = by * block; y < std::min(source.height(), (by + 1) * block); ++y) {
            const QRgb* line = reinterpret_cast<const QRgb*>(source.constScanLine(y));
            for (int x = 0; x < source.width(); ++x) {
                QRgb& darkest = row[size_t(x / block)];
                if (qRed(line[x]) + qGreen(line[x]) + qBlue(line[x]) < qRed(darkest) + qGreen(darkest) + qBlue(darkest))
                    darkest = line[x];
            }
        }
        std::copy(row.begin(), row.end(), reinterpret_cast<QRgb*>(pooled.scanLine(by)));
    }
    return pooled;
}

// The page with its longer side size pixels: blocks of it taken by their darkest pixel down to
// about twice the size, then scaled smoothly.
QImage Scaled(const QImage& page, int size)
{
    const int block = std::max(page.width(), page.height()) / (2 * size);
    const QImage reduced = block >= 2 ? DarkestOfBlocks(page, block) : page;
    // The shape is the page's: a part block at the edge would round it otherwise.
    const QSize target = page.size().scaled(size, size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    return reduced.scaled(target, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

// False, with a message, for what cannot be drawn quickly: not a regular file, or too large.
bool IsSmallFile(const QString& path, qint64 maxBytes)
{
    const QFileInfo info(path);
    if (!info.isFile()) {
        Complain(QStringLiteral("%1: %2").arg(path, info.exists() ? QStringLiteral("not a regular file")
                                                                  : QStringLiteral("no such file")));
        return false;
    }
    if (info.size() > maxBytes) {
        Complain(QStringLiteral("%1: too large for a thumbnail (%2 MB at most)").arg(path).arg(maxBytes >> 20));
        return false;
    }
    return true;
}

// The note's page rectangle, read before the document allocates a page of that size. False,
// with a message, when it is missing or larger than a thumbnail draws.
bool IsDrawablePage(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly) || !file.seek(kPageRectOffset)) {
        Complain(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    const QByteArray bytes = file.read(16);
    if (bytes.size() != 16) {
        Complain(QStringLiteral("%1: not a note: it ends before its page is given").arg(path));
        return false;
    }
    RECT page;
    page.left = qFromLittleEndian<qint32>(bytes.constData());
    page.top = qFromLittleEndian<qint32>(bytes.constData() + 4);
    page.right = qFromLittleEndian<qint32>(bytes.constData() + 8);
    page.bottom = qFromLittleEndian<qint32>(bytes.constData() + 12);
    const qint64 pixels = (qint64(page.right) - page.left) * (qint64(page.bottom) - page.top);
    if (!PageSettings::IsPageAllowed(page) || pixels > kMaxPagePixels) {
        Complain(QStringLiteral("%1: its page of %2 x %3 pixels is too large for a thumbnail")
                     .arg(path)
                     .arg(qint64(page.right) - page.left)
                     .arg(qint64(page.bottom) - page.top));
        return false;
    }
    return true;
}

// Ink drawn at the thumbnail's scale, one line per stroke: a nib of width 255 is about six
// pixels wide (the renderer's 13-pixel nib reaches six either side), and no stroke is thinner
// than one thumbnail pixel, so writing stays readable when the page is shrunk tenfold.
void PaintStroke(QPainter& painter, const CLine& line, double scale)
{
    const std::vector<StrokePoint>& points = line.Points();
    if (points.empty())
        return;
    QPolygonF path;
    path.reserve(qsizetype(points.size()));
    double width = 0;
    for (const StrokePoint& point : points) {
        path.append(QPointF(point.x + 0.5, point.y + 0.5) * scale);
        width = std::max<double>(width, point.width);
    }
    const bool ink = line.IsInkRendered();
    const double pixels = ink ? 1 + std::clamp(width, 0.0, 255.0) * 5 / 255 : width;
    QPen pen(QColor(ColorRefToQRgb(line.GetColor())), std::max(1.0, pixels * scale), Qt::SolidLine, Qt::RoundCap,
             Qt::RoundJoin);
    painter.setPen(pen);
    // The marker is laid over the page as a mask, as the program draws it.
    const bool mask = !ink && line.GetMaskPen() == 1;
    painter.setRenderHint(QPainter::Antialiasing, !mask);
    painter.setCompositionMode(mask ? QPainter::RasterOp_SourceAndDestination : QPainter::CompositionMode_SourceOver);
    if (path.size() == 1)
        painter.drawPoint(path.first());
    else
        painter.drawPolyline(path);
}

// The note's page drawn straight at the thumbnail's size, in the page's order: colour, ruled
// lines, pictures, ink. Rendering the whole page at full size first would cost ten times more
// than a file manager can wait for a long note.
QImage PaintPage(const CScrivaDoc& doc, const PageSettings& settings, int size)
{
    const CRect page(settings.page);
    const QSize target = QSize(page.Width(), page.Height()).scaled(size, size, Qt::KeepAspectRatio).expandedTo(QSize(1, 1));
    const double scale = double(target.width()) / page.Width();
    QImage image(target, QImage::Format_RGB32);
    image.fill(ColorRefToQRgb(settings.background));
    QPainter painter(&image);
    painter.translate(-page.left * scale, -page.top * scale);
    painter.setPen(QPen(QColor(ColorRefToQRgb(settings.lineColor)), 1));
    for (LONG y = settings.lineHeight; settings.lineHeight > 0 && y < page.bottom; y += settings.lineHeight)
        painter.drawLine(QPointF(page.left * scale, y * scale), QPointF(page.right * scale, y * scale));
    painter.setRenderHint(QPainter::SmoothPixmapTransform);
    for (int i = 0; i < doc.m_pictures.GetCount(); ++i) {
        const CPictureItem* picture = doc.m_pictures.GetAt(i);
        const CRect rect = picture->GetRect();
        if (!picture->Bitmap().isNull())
            painter.drawImage(QRectF(rect.left * scale, rect.top * scale, rect.Width() * scale, rect.Height() * scale),
                              picture->Bitmap());
    }
    for (int i = 0; i < doc.m_lines.GetCount(); ++i)
        PaintStroke(painter, *doc.m_lines.GetAt(i), scale);
    return image;
}

QImage DrawNote(const QString& path, int size, const CountingPrompts& prompts)
{
    if (!IsDrawablePage(path))
        return {};
    // The page's settings pass through this view; nothing is rendered while the note loads.
    CScrivaDoc doc;
    PageSettingsView view;
    doc.SetView(&view);
    const int before = prompts.Count();
    if (!doc.OnOpenDocument(path)) {
        if (prompts.Count() == before)
            Complain(QStringLiteral("%1: could not be opened").arg(path));
        return {};
    }
    return PaintPage(doc, view.GetPageSettings(), size);
}

QImage DrawDevice(const QString& path, int size, const CRect& screen, const CountingPrompts& prompts)
{
    ReplayCanvas canvas(screen, prompts);
    if (!canvas.Import(path))
        return {};
    return Scaled(canvas.View().Page().Surface().Bitmap(), size);
}

}  // namespace

QImage Draw(const QString& path, int size, const CRect& screen, const CountingPrompts& prompts)
{
    const FileKind kind = InputKindOf(path);
    if (!IsSmallFile(path, kind == FileKind::Device ? kMaxDeviceBytes : kMaxFileBytes))
        return {};
    switch (kind) {
    case FileKind::Note:
        return DrawNote(path, size, prompts);
    case FileKind::Device:
        return DrawDevice(path, size, screen, prompts);
    default:
        Complain(QStringLiteral("%1: neither a note (.Ilf) nor a device file (.QVN)").arg(path));
        return {};
    }
}

}  // namespace Thumbnail
