#include "CommandBarArtwork.h"

#include "BarArtwork.h"

#include "platform/Resources.h"

namespace CommandBarArtwork {

QString GlyphName(Glyph glyph)
{
    switch (glyph) {
    case Glyph::NewPage: return QStringLiteral("new");
    case Glyph::Open: return QStringLiteral("open");
    case Glyph::Save: return QStringLiteral("save");
    case Glyph::PrintPreview: return QStringLiteral("print-preview");
    case Glyph::Print: return QStringLiteral("print");
    case Glyph::LetterMode: return QStringLiteral("letter-mode");
    case Glyph::Mail: return QStringLiteral("mail");
    case Glyph::DesktopMode: return QStringLiteral("desktop-mode");
    case Glyph::Help: return QStringLiteral("help");
    case Glyph::Close: return QStringLiteral("close");
    case Glyph::Scale: return QStringLiteral("scale");
    case Glyph::Minimize: return QStringLiteral("minimize");
    case Glyph::StartWrite: return QStringLiteral("start-write");
    case Glyph::Cancel: return QStringLiteral("cancel");
    case Glyph::Inking: return QStringLiteral("inking");
    case Glyph::PencilWidth: return QStringLiteral("pencil-width");
    case Glyph::BrushWidth: return QStringLiteral("brush-width");
    case Glyph::MarkerWidth: return QStringLiteral("marker-width");
    }
    return {};
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

QString BackgroundName(int mode)
{
    switch (mode) {
    case 1: return QStringLiteral("bitmap/269");
    case 2: return QStringLiteral("bitmap/271");
    default: return QStringLiteral("bitmap/260");
    }
}

QPixmap Background(int mode, qreal ratio)
{
    return QPixmap::fromImage(Resources::LoadImage(BackgroundName(mode), {}, ratio));
}

QSize BackgroundSize(int mode)
{
    return Resources::ImageSize(BackgroundName(mode));
}

}  // namespace CommandBarArtwork
