#include "BarArtwork.h"

#include "PaletteBarLayout.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"

#include <QPainter>

#include <algorithm>

namespace BarArtwork {

namespace {

QString PlateName(Look look)
{
    switch (look) {
    case Look::Pressed: return QStringLiteral("plate/pressed");
    case Look::Focused: return QStringLiteral("plate/focused");
    case Look::Disabled: return QStringLiteral("plate/disabled");
    case Look::Selected: return QStringLiteral("plate/selected");
    case Look::Normal: break;
    }
    return QStringLiteral("plate/normal");
}

QImage Transparent(QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    return image;
}

// The plate is drawn square, as high as the button is low or as wide as it is narrow, and its
// middle line is repeated to the full size, so corners and rim keep their shape on long keys.
// Physical pixels.
QImage Plate(Look look, QSize size)
{
    const int side = std::min(size.width(), size.height());
    const QImage square = Resources::LoadImage(PlateName(look), QSize(side, side));
    if (square.isNull() || square.size() == size)
        return square.isNull() ? Transparent(size) : square;
    QImage plate = Transparent(size);
    QPainter p(&plate);
    const int head = side / 2;             // pixels kept before the middle line
    const int tail = side - head - 1;      // and after it
    if (size.width() > side) {
        const int middle = size.width() - head - tail;
        p.drawImage(QRect(0, 0, head, side), square, QRect(0, 0, head, side));
        p.drawImage(QRect(head, 0, middle, side), square, QRect(head, 0, 1, side));
        p.drawImage(QRect(head + middle, 0, tail, side), square, QRect(head + 1, 0, tail, side));
    } else {
        const int middle = size.height() - head - tail;
        p.drawImage(QRect(0, 0, side, head), square, QRect(0, 0, side, head));
        p.drawImage(QRect(0, head, side, middle), square, QRect(0, head, side, 1));
        p.drawImage(QRect(0, head + middle, side, tail), square, QRect(0, head + 1, side, tail));
    }
    return plate;
}

// The glyph at the largest size that fits the button (logical pixels) and keeps its
// proportions, never above its own size (drawn one to one it stays crisp); physical pixels.
QImage Glyph(const QString& glyph, QSize size, qreal ratio)
{
    QString name = QStringLiteral("glyph/") + glyph;
    if (size.width() >= 2 * size.height() && Resources::HasImage(name + QStringLiteral("-wide")))
        name += QStringLiteral("-wide");
    const QSize own = Resources::ImageSize(name);
    if (own.isEmpty())
        return {};
    const QSize fitted = own.boundedTo(size) == own ? own : own.scaled(size, Qt::KeepAspectRatio);
    return Resources::LoadImage(name, Resources::PhysicalSize(fitted, ratio));
}

// Grey, lighter and fainter: the glyph of a button that cannot be used.
QImage Greyed(const QImage& glyph)
{
    QImage grey = glyph.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = 120 + qGray(line[x]) * 100 / 255;
            line[x] = qRgba(level, level, level, qAlpha(line[x]) * 3 / 4);
        }
    }
    return grey;
}

}  // namespace

// Composed in physical pixels, then marked with the ratio.
QPixmap ComposeButton(const QString& glyph, Look look, QSize size, qreal ratio)
{
    if (size.isEmpty())
        return {};
    const QSize pixels = Resources::PhysicalSize(size, ratio);
    QImage image = Plate(look, pixels);
    QImage mark = Glyph(glyph, size, ratio);
    if (!mark.isNull()) {
        if (look == Look::Disabled)
            mark = Greyed(mark);
        QPoint at((pixels.width() - mark.width()) / 2, (pixels.height() - mark.height()) / 2);
        if (look == Look::Pressed)
            at += QPoint(1, 1) * std::max(1, qRound(ratio));
        QPainter p(&image);
        p.drawImage(at, mark);
    }
    image.setDevicePixelRatio(ratio);
    return QPixmap::fromImage(image);
}

ButtonImages ComposeLooks(const QString& glyph, QSize size, bool selected, qreal ratio)
{
    if (selected) {
        const QPixmap lit = ComposeButton(glyph, Look::Selected, size, ratio);
        return {lit, lit, lit, lit};
    }
    return {ComposeButton(glyph, Look::Normal, size, ratio), ComposeButton(glyph, Look::Pressed, size, ratio),
            ComposeButton(glyph, Look::Focused, size, ratio), ComposeButton(glyph, Look::Disabled, size, ratio)};
}

QString GlyphName(UINT command)
{
    const PaletteBarLayout::Button* button = PaletteBarLayout::Find(command);
    return button ? QLatin1String(button->glyph) : QString();
}

QSize ButtonSize(UINT command)
{
    const bool compact = Resources::UsingResourceLibrary();
    switch (command) {
    case IDC_PENCIL_THICKNESS:
    case IDC_BRUSH_THICKNESS:
    case IDC_MARKER_THICKNESS: return compact ? QSize(20, 18) : QSize(24, 22);
    default: return compact ? QSize(26, 26) : QSize(34, 34);
    }
}

ButtonImages ButtonArt(UINT command, bool selected)
{
    return ButtonArt(command, selected, ButtonSize(command));
}

ButtonImages ButtonArt(UINT command, bool selected, QSize size, qreal ratio)
{
    return ComposeLooks(GlyphName(command), size, selected, ratio);
}

QString BackgroundName(FrameMode mode, bool smallScreen)
{
    switch (mode) {
    case FrameMode::Desktop: return QStringLiteral("bitmap/319");
    case FrameMode::Inking: return QStringLiteral("bitmap/327");
    case FrameMode::Letter: break;
    }
    return smallScreen ? QStringLiteral("bitmap/433") : QStringLiteral("bitmap/272");
}

QPixmap Background(FrameMode mode, bool smallScreen, qreal ratio)
{
    return QPixmap::fromImage(Resources::LoadImage(BackgroundName(mode, smallScreen), {}, ratio));
}

QSize BackgroundSize(FrameMode mode, bool smallScreen)
{
    return Resources::ImageSize(BackgroundName(mode, smallScreen));
}

QPixmap Background(QSize size, qreal ratio)
{
    return QPixmap::fromImage(Resources::LoadImage(BackgroundName(FrameMode::Letter), size, ratio));
}

}  // namespace BarArtwork
