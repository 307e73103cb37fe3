#include "WindowShape.h"

#include <QWidget>

#include <vector>

QRegion RegionFromBitmap(const QImage& bitmap, COLORREF transparent)
{
    const QImage rgb = bitmap.convertToFormat(QImage::Format_RGB32);
    const QRgb clear = ColorRefToQRgb(transparent) & 0x00FFFFFF;
    std::vector<QRect> runs;
    runs.reserve(40);
    for (int y = 0; y < rgb.height(); ++y) {
        const QRgb* row = reinterpret_cast<const QRgb*>(rgb.constScanLine(y));
        int x = 0;
        while (x < rgb.width()) {
            while (x < rgb.width() && (row[x] & 0x00FFFFFF) == clear)
                ++x;
            const int start = x;
            while (x < rgb.width() && (row[x] & 0x00FFFFFF) != clear)
                ++x;
            if (x > start)
                runs.emplace_back(start, y, x - start, 1);
        }
    }
    QRegion region;
    region.setRects(runs.data(), int(runs.size()));
    return region;
}

bool ShapeWindowFromBitmap(QWidget* window, const QImage& bitmap)
{
    const QRegion region = RegionFromBitmap(bitmap);
    if (!window || region.isEmpty())
        return false;
    window->setMask(region);
    return true;
}
