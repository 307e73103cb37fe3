// The pictures of the bars and the pen-width popup, in the built-in look and in the compact
// look of the IlfRes.rcc bundle built beside the program: backgrounds have exactly the sizes
// their layouts are made for, every button has a glyph, the looks of a button differ, and the
// popup's outline cuts its corners.

#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "shell/bars/BarArtwork.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/bars/CommandBarArtwork.h"
#include "shell/bars/PenWidthArtwork.h"
#include "shell/widgets/WindowShape.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

namespace {

const QString kBundle = QStringLiteral(INKLEAF_BUNDLE);

struct Background {
    const char* name;
    QSize builtIn;
    QSize compact;
};
const Background kBackgrounds[] = {
    {"bitmap/260", {1300, 52}, {1300, 40}},  // command bar: letter, desktop, inking
    {"bitmap/269", {629, 53}, {480, 40}},
    {"bitmap/271", {629, 53}, {480, 40}},
    {"bitmap/272", {1300, 85}, {1300, 64}},  // palette bar: letter, narrow screen, desktop, inking
    {"bitmap/433", {2048, 55}, {2048, 44}},
    {"bitmap/319", {629, 63}, {480, 50}},
    {"bitmap/327", {629, 63}, {480, 50}},
    {"bitmap/360", {44, 104}, {36, 62}},     // pen-width popup: sheet and outline
    {"bitmap/384", {44, 104}, {36, 62}},
};

bool Opaque(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (qAlpha(image.pixel(x, y)) != 255)
                return false;
    return true;
}

QImage Plain(const QPixmap& pixmap)
{
    return pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
}

// The bounding box of the pixels where two pictures of one size differ.
QRect Difference(const QImage& a, const QImage& b)
{
    QRect box;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            if (a.pixel(x, y) != b.pixel(x, y))
                box |= QRect(x, y, 1, 1);
    return box;
}

qint64 Area(const QRegion& region)
{
    qint64 area = 0;
    for (const QRect& r : region)
        area += qint64(r.width()) * r.height();
    return area;
}

// Every glyph the two bars and the popup name.
std::vector<QString> GlyphNames()
{
    std::vector<QString> names;
    for (UINT command : CPaletteBar::kCommands)
        names.push_back(BarArtwork::GlyphName(command));
    for (const CCommandBar::ButtonInfo& info : CCommandBar::Buttons())
        names.push_back(CommandBarArtwork::GlyphName(info.glyph));
    for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n)
        names.push_back(QStringLiteral("width-%1").arg(n));
    return names;
}

// Each test runs in the built-in look, then again with the bundle loaded.
class ArtworkTest : public ::testing::Test {
protected:
    ArtworkTest() { TestApplication(); }
    ~ArtworkTest() override { Resources::FreeResourceLibrary(); }

    template <typename Check>
    void InBothLooks(Check check)
    {
        {
            SCOPED_TRACE("built-in look");
            ASSERT_FALSE(Resources::UsingResourceLibrary());
            check(false);
        }
        ASSERT_TRUE(Resources::LoadResourceLibrary(kBundle)) << kBundle.toStdString();
        {
            SCOPED_TRACE("compact look");
            check(true);
        }
        Resources::FreeResourceLibrary();
    }
};

}  // namespace

TEST_F(ArtworkTest, backgrounds_have_the_sizes_of_their_layouts_and_no_holes)
{
    InBothLooks([](bool compact) {
        for (const Background& background : kBackgrounds) {
            SCOPED_TRACE(background.name);
            const QSize expected = compact ? background.compact : background.builtIn;
            EXPECT_EQ(Resources::ImageSize(QLatin1String(background.name)), expected);
            const QImage image = Resources::LoadImage(QLatin1String(background.name));
            EXPECT_EQ(image.size(), expected);
            // The bars paint their background as their whole surface.
            if (QLatin1String(background.name) != QLatin1String("bitmap/360") &&
                QLatin1String(background.name) != QLatin1String("bitmap/384")) {
                EXPECT_TRUE(Opaque(image));
            }
        }
        for (const FrameMode mode : {FrameMode::Letter, FrameMode::Desktop, FrameMode::Inking}) {
            SCOPED_TRACE(int(mode));
            EXPECT_EQ(CommandBarArtwork::Background(mode).size(), CommandBarArtwork::BackgroundSize(mode));
            EXPECT_EQ(BarArtwork::Background(mode, false).size(), BarArtwork::BackgroundSize(mode, false));
        }
        EXPECT_EQ(CommandBarArtwork::BackgroundSize(FrameMode::Letter), compact ? QSize(1300, 40) : QSize(1300, 52));
        EXPECT_EQ(CommandBarArtwork::BackgroundSize(FrameMode::Inking), compact ? QSize(480, 40) : QSize(629, 53));
        EXPECT_EQ(BarArtwork::BackgroundSize(FrameMode::Letter, true), compact ? QSize(2048, 44) : QSize(2048, 55));
        EXPECT_EQ(BarArtwork::BackgroundSize(FrameMode::Desktop, false), compact ? QSize(480, 50) : QSize(629, 63));
        EXPECT_EQ(BarArtwork::Background(QSize(1900, 85)).size(), QSize(1900, 85));
        EXPECT_EQ(PenWidthArtwork::PopupSize(), compact ? QSize(36, 62) : PenWidthArtwork::kPopupSize);
    });
}

TEST_F(ArtworkTest, every_button_has_a_glyph_that_shows_on_its_plate)
{
    InBothLooks([](bool) {
        for (const QString& name : GlyphNames()) {
            SCOPED_TRACE(name.toStdString());
            ASSERT_FALSE(name.isEmpty());
            EXPECT_TRUE(Resources::HasImage(QStringLiteral("glyph/") + name));
            const QSize size(34, 34);
            const QImage button = Plain(BarArtwork::ComposeButton(name, BarArtwork::Look::Normal, size));
            const QImage plate = Plain(BarArtwork::ComposeButton(QString(), BarArtwork::Look::Normal, size));
            ASSERT_EQ(button.size(), size);
            // The glyph spans a good part of the button, not a speck.
            const QRect drawn = Difference(button, plate);
            EXPECT_GE(std::max(drawn.width(), drawn.height()), size.width() / 3);
        }
    });
}

TEST_F(ArtworkTest, looks_of_a_button_differ_and_keep_its_size)
{
    InBothLooks([](bool compact) {
        for (UINT command : CPaletteBar::kCommands) {
            SCOPED_TRACE(command);
            const QSize size = BarArtwork::ButtonSize(command);
            const bool thickness = command == IDC_PENCIL_THICKNESS || command == IDC_BRUSH_THICKNESS ||
                                   command == IDC_MARKER_THICKNESS;
            EXPECT_EQ(size, thickness ? (compact ? QSize(20, 18) : QSize(24, 22))
                                      : (compact ? QSize(26, 26) : QSize(34, 34)));
            const BarArtwork::ButtonImages art = BarArtwork::ButtonArt(command);
            for (const QPixmap* look : {&art.normal, &art.pressed, &art.focused, &art.disabled})
                EXPECT_EQ(look->size(), size);
            const QImage normal = Plain(art.normal);
            EXPECT_NE(Plain(art.pressed), normal);
            EXPECT_NE(Plain(art.focused), normal);
            EXPECT_NE(Plain(art.disabled), normal);
            EXPECT_NE(Plain(BarArtwork::ButtonArt(command, true).normal), normal);
            // Disabled is grey through and through.
            const QImage disabled = Plain(art.disabled);
            for (int y = 0; y < disabled.height(); ++y)
                for (int x = 0; x < disabled.width(); ++x) {
                    const QRgb c = disabled.pixel(x, y);
                    ASSERT_TRUE(qRed(c) == qGreen(c) && qGreen(c) == qBlue(c)) << x << "," << y;
                }
            // Another size when a layout asks for one.
            EXPECT_EQ(BarArtwork::ButtonArt(command, false, QSize(30, 20)).focused.size(), QSize(30, 20));
        }
        for (const CCommandBar::ButtonInfo& info : CCommandBar::Buttons()) {
            SCOPED_TRACE(info.command);
            using CommandBarArtwork::Look;
            const QSize size = compact ? QSize(26, 26) : QSize(40, 40);
            const QImage normal = Plain(CommandBarArtwork::Button(info.glyph, Look::Normal, size));
            EXPECT_EQ(normal.size(), size);
            EXPECT_NE(Plain(CommandBarArtwork::Button(info.glyph, Look::Pressed, size)), normal);
            EXPECT_NE(Plain(CommandBarArtwork::Button(info.glyph, Look::Focused, size)), normal);
        }
    });
}

TEST_F(ArtworkTest, wide_buttons_spread_their_glyph_and_narrow_ones_fit_it)
{
    using CommandBarArtwork::Glyph;
    using CommandBarArtwork::Look;
    const auto drawn = [](Glyph glyph, QSize size) {
        const QImage button = Plain(CommandBarArtwork::Button(glyph, Look::Normal, size));
        const QImage plate = Plain(BarArtwork::ComposeButton(QString(), BarArtwork::Look::Normal, size));
        return Difference(button, plate);
    };
    // "Start to write" and "Inking" are long keys in the default layouts.
    EXPECT_GT(drawn(Glyph::StartWrite, QSize(120, 40)).width(), 60);
    EXPECT_GT(drawn(Glyph::Inking, QSize(80, 40)).width(), 40);
    // A tall key shows the glyph of a square one, centred.
    EXPECT_EQ(drawn(Glyph::MarkerWidth, QSize(26, 40)), drawn(Glyph::MarkerWidth, QSize(26, 26)).translated(0, 7));
    // A long key keeps the plate's rounded corners instead of stretching them.
    const QImage square = Plain(BarArtwork::ComposeButton(QString(), BarArtwork::Look::Normal, QSize(40, 40)));
    const QImage wide = Plain(BarArtwork::ComposeButton(QString(), BarArtwork::Look::Normal, QSize(120, 40)));
    for (int y = 0; y < 40; ++y)
        for (int x = 0; x < 10; ++x) {
            ASSERT_EQ(wide.pixel(x, y), square.pixel(x, y)) << x << "," << y;
            ASSERT_EQ(wide.pixel(119 - x, y), square.pixel(39 - x, y)) << x << "," << y;
        }
}

TEST_F(ArtworkTest, popup_outline_cuts_the_corners_and_holds_the_buttons)
{
    InBothLooks([](bool compact) {
        const QSize size = PenWidthArtwork::PopupSize();
        const QRegion shape = RegionFromBitmap(PenWidthArtwork::Shape());
        EXPECT_LT(Area(shape), qint64(size.width()) * size.height());
        EXPECT_FALSE(shape.contains(QPoint(0, 0)));
        EXPECT_FALSE(shape.contains(QPoint(size.width() - 1, size.height() - 1)));
        // The sheet is window exactly where the outline is.
        const QImage sheet = PenWidthArtwork::Background();
        EXPECT_EQ(sheet.size(), size);
        EXPECT_EQ(RegionFromBitmap(sheet), shape);
        // Every width button stands wholly on the popup, in the compact look at its fixed places.
        EXPECT_EQ(PenWidthArtwork::ButtonSize(), compact ? QSize(30, 9) : PenWidthArtwork::kButtonSize);
        for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n) {
            SCOPED_TRACE(n);
            const QRect button(PenWidthArtwork::ButtonPlace(n), PenWidthArtwork::ButtonSize());
            EXPECT_EQ(QRegion(button).subtracted(shape), QRegion());
            if (compact) {
                EXPECT_EQ(button.topLeft(), QPoint(3, 10 * n));
            }
        }
    });
}

TEST_F(ArtworkTest, width_buttons_show_strokes_as_thick_as_their_width)
{
    InBothLooks([](bool compact) {
        for (int n = 1; n <= PenWidthArtwork::kWidthCount; ++n) {
            SCOPED_TRACE(n);
            const BarArtwork::ButtonImages art = PenWidthArtwork::WidthButton(n);
            EXPECT_EQ(art.normal.size(), PenWidthArtwork::ButtonSize());
            const QImage normal = Plain(art.normal);
            int dark = 0;
            for (int y = 0; y < normal.height(); ++y)
                dark += qGray(normal.pixel(normal.width() / 2, y)) < 100;
            EXPECT_EQ(dark, compact ? n : PenWidthArtwork::StrokeThickness(n));
        }
    });
}

TEST_F(ArtworkTest, damaged_bundle_is_refused_and_the_built_in_look_stays)
{
    QFile file(kBundle);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QTemporaryDir dir;
    const QString cut = dir.filePath(QStringLiteral("IlfRes.rcc"));
    QFile damaged(cut);
    ASSERT_TRUE(damaged.open(QIODevice::WriteOnly));
    damaged.write(bytes.left(bytes.size() * 2 / 3));
    damaged.close();

    for (const QString& path : {cut, dir.filePath(QStringLiteral("missing.rcc"))}) {
        EXPECT_FALSE(Resources::LoadResourceLibrary(path));
        EXPECT_FALSE(Resources::UsingResourceLibrary());
        EXPECT_EQ(CommandBarArtwork::BackgroundSize(FrameMode::Letter), QSize(1300, 52));
        EXPECT_EQ(BarArtwork::ButtonSize(IDC_PENCIL), QSize(34, 34));
        EXPECT_EQ(PenWidthArtwork::Background().size(), PenWidthArtwork::kPopupSize);
    }
}
