#include "CommandBarArtwork.h"

#include "BarArtwork.h"
#include "CommandBarLayout.h"

#include "platform/Resources.h"

namespace CommandBarArtwork {

static_assert(int(Glyph::MarkerWidth) + 1 == CommandBarLayout::kButtonCount, "a glyph per row of the bar's table");

QString GlyphName(Glyph glyph)
{
    const size_t row = size_t(glyph);
    return row < CommandBarLayout::kButtonCount ? QLatin1String(CommandBarLayout::Buttons()[row].glyph) : QString();
}

QPixmap Button(Glyph glyph, Look look, QSize size, qreal ratio)
{
    BarArtwork::Look barLook = BarArtwork::Look::Normal;
    switch (look) {
    case Look::Normal: break;
    case Look::Pressed: barLook = BarArtwork::Look::Pressed; break;
    case Look::Focused: barLook = BarArtwork::Look::Focused; break;
    case Look::Disabled: barLook = BarArtwork::Look::Disabled; break;
    }
    return BarArtwork::ComposeButton(GlyphName(glyph), barLook, size, ratio);
}

QString BackgroundName(FrameMode mode)
{
    switch (mode) {
    case FrameMode::Desktop: return QStringLiteral("bitmap/269");
    case FrameMode::Inking: return QStringLiteral("bitmap/271");
    case FrameMode::Letter: break;
    }
    return QStringLiteral("bitmap/260");
}

QPixmap Background(FrameMode mode, qreal ratio)
{
    return QPixmap::fromImage(Resources::LoadImage(BackgroundName(mode), {}, ratio));
}

QSize BackgroundSize(FrameMode mode)
{
    return Resources::ImageSize(BackgroundName(mode));
}

}  // namespace CommandBarArtwork
