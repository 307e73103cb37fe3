#include "WindowShape.h"

#include <QEvent>
#include <QWidget>

#include <vector>

namespace {

// Sets its window's shape again once the window has gone to another screen.
class ShapeKeeper : public QObject {
public:
    static constexpr const char* kName = "ShapeKeeper";
    explicit ShapeKeeper(QWidget* window) : QObject(window) { setObjectName(QLatin1String(kName)); }

    bool eventFilter(QObject* watched, QEvent* event) override
    {
        auto* window = qobject_cast<QWidget*>(watched);
        if (event->type() == QEvent::ScreenChangeInternal && window && !window->mask().isEmpty()) {
            const QRegion shape = window->mask();
            window->clearMask();  // setting the same shape again would change nothing
            window->setMask(shape);
        }
        return false;
    }
};

}  // namespace

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
    SetWindowShape(window, region);
    return true;
}

void SetWindowShape(QWidget* window, const QRegion& region)
{
    if (!window->findChild<QObject*>(QLatin1String(ShapeKeeper::kName), Qt::FindDirectChildrenOnly))
        window->installEventFilter(new ShapeKeeper(window));
    window->setMask(region);
}
