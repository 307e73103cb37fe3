#include "ManualPictures.h"

#include "ManualBars.h"
#include "ModesPicture.h"

#include "platform/Resources.h"

namespace ManualPictures {

namespace {

ManualFigure Figure(const QString& name, BarPicture picture)
{
    const QString look = Resources::UsingResourceLibrary() ? QStringLiteral("compact-") : QString();
    return {look + name, std::move(picture.image), std::move(picture.legend)};
}

}  // namespace

std::vector<ManualFigure> BarFigures()
{
    ManualBars bars;
    return {
        Figure(QStringLiteral("command-bar-letter"), bars.CommandBar(FrameMode::Letter)),
        Figure(QStringLiteral("command-bar-desktop"), bars.CommandBar(FrameMode::Desktop)),
        Figure(QStringLiteral("command-bar-inking"), bars.CommandBar(FrameMode::Inking)),
        Figure(QStringLiteral("palette-bar-letter"), bars.PaletteBar(FrameMode::Letter)),
        Figure(QStringLiteral("palette-bar-narrow"), bars.PaletteBar(FrameMode::Letter, true)),
        Figure(QStringLiteral("palette-bar-desktop"), bars.PaletteBar(FrameMode::Desktop)),
        Figure(QStringLiteral("palette-bar-inking"), bars.PaletteBar(FrameMode::Inking)),
        Figure(QStringLiteral("pen-width-popup"), bars.PenWidthPopup()),
    };
}

ManualFigure ModesFigure()
{
    ManualBars bars;
    ModesPicture modes;
    modes.letterCommandBar = bars.CommandBarImage(FrameMode::Letter);
    modes.letterPaletteBar = bars.PaletteBarImage(FrameMode::Letter);
    modes.desktopCommandBar = bars.CommandBarImage(FrameMode::Desktop);
    modes.desktopPaletteBar = bars.PaletteBarImage(FrameMode::Desktop);
    modes.inkingCommandBar = bars.CommandBarImage(FrameMode::Inking);
    modes.inkingPaletteBar = bars.PaletteBarImage(FrameMode::Inking);
    modes.page = bars.PageImage();
    return {QStringLiteral("modes"), modes.Draw(), {}};
}

}  // namespace ManualPictures
