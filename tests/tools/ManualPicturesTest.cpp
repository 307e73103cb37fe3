// The pictures of the manual: each bar picture numbers exactly the buttons its bar shows in the
// mode and look, each number stands on the button as the bar draws it, the pictures follow
// the artwork, and the typeset help.pdf carries every picture the build drew.

#include "TestApplication.h"

#include "BarPicture.h"
#include "ManualPage.h"
#include "ManualPictures.h"

#include "platform/CommandIds.h"
#include "platform/Resources.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/bars/BarArtwork.h"
#include "shell/bars/CommandBarLayout.h"
#include "shell/bars/PaletteBarLayout.h"
#include "shell/bars/PenWidthArtwork.h"
#include "shell/tables/StringTable.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>
#include <utility>
#include <vector>

namespace {

constexpr FrameMode kModes[] = {FrameMode::Letter, FrameMode::Desktop, FrameMode::Inking};
const QPoint kMargin(BarPicture::kMargin, BarPicture::kMargin);

struct Line {
    UINT command;
    QString name;
    QRect place;
    bool operator==(const Line&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Line& line)
{
    return out << line.command << " \"" << line.name.toStdString() << "\" at " << line.place.x() << ","
               << line.place.y() << " " << line.place.width() << "x" << line.place.height();
}

std::vector<Line> Lines(const std::vector<BarPicture::Entry>& legend)
{
    std::vector<Line> lines;
    for (const BarPicture::Entry& entry : legend)
        lines.push_back({entry.command, entry.name, entry.place});
    return lines;
}

std::vector<QString> Names(const std::vector<BarPicture::Entry>& legend)
{
    std::vector<QString> names;
    for (const BarPicture::Entry& entry : legend)
        names.push_back(entry.name);
    return names;
}

// What the table says a layout shows, in reading order: left to right, down a column.
std::vector<Line> Ordered(std::vector<Line> lines)
{
    std::sort(lines.begin(), lines.end(), [](const Line& a, const Line& b) {
        return a.place.x() != b.place.x() ? a.place.x() < b.place.x() : a.place.y() < b.place.y();
    });
    return lines;
}

std::vector<Line> CommandBarTable(FrameMode mode, bool compact)
{
    const CommandBarLayout layout{mode, compact};
    std::vector<Line> lines;
    for (const CommandBarLayout::Button& row : CommandBarLayout::Buttons())
        if (layout.Shows(row))
            lines.push_back({row.command, TooltipOf(LoadString(row.tooltip)), layout.Place(row).translated(kMargin)});
    return Ordered(lines);
}

std::vector<Line> PaletteBarTable(FrameMode mode, bool narrow, bool compact)
{
    const PaletteBarLayout& layout = PaletteBarLayout::For(mode, narrow, compact);
    std::vector<Line> lines;
    for (const PaletteBarLayout::Button& row : PaletteBarLayout::Buttons())
        if (!layout.Place(row).isEmpty())
            lines.push_back({row.command, TooltipOf(LoadString(row.tooltip)), layout.Place(row).translated(kMargin)});
    return Ordered(lines);
}

QString ModeName(FrameMode mode)
{
    switch (mode) {
    case FrameMode::Desktop: return QStringLiteral("desktop");
    case FrameMode::Inking: return QStringLiteral("inking");
    case FrameMode::Letter: break;
    }
    return QStringLiteral("letter");
}

QImage Plain(const QImage& image)
{
    return image.convertToFormat(QImage::Format_ARGB32);
}

// The rectangle of the picture's own pixels that logical rectangle r covers.
QRect Pixels(const QRect& r, qreal ratio)
{
    return QRect((QPointF(r.topLeft()) * ratio).toPoint(), (QSizeF(r.size()) * ratio).toSize());
}

const QRgb kBadgeRed = qRgb(0xB0, 0x1E, 0x23);

// Whether picture pixel p lies under one of the figure's numbers (or its smoothed rim).
bool UnderABadge(const ManualFigure& figure, QPoint p)
{
    const qreal ratio = figure.image.devicePixelRatio();
    return std::any_of(figure.legend.begin(), figure.legend.end(), [&](const BarPicture::Entry& entry) {
        return Pixels(entry.badge, ratio).adjusted(-1, -1, 1, 1).contains(p);
    });
}

// The glyph of the command-bar button sending command.
QString CommandBarGlyph(UINT command)
{
    for (const CommandBarLayout::Button& row : CommandBarLayout::Buttons())
        if (row.command == command)
            return QLatin1String(row.glyph);
    return {};
}

class ManualPicturesTest : public ::testing::Test {
protected:
    ManualPicturesTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_settings.path());
        ScreenMetrics::SetFixedScreen(QSize(1920, 1080));
        StringTable::Instance().Load(QStringLiteral("en"));
    }
    ~ManualPicturesTest() override
    {
        UseBundle({});
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    // The bundle at path in use, strings and all; none for an empty path.
    static void UseBundle(const QString& path)
    {
        Resources::FreeResourceLibrary();
        if (!path.isEmpty()) {
            ASSERT_TRUE(Resources::LoadResourceLibrary(path)) << path.toStdString();
        }
        StringTable::Instance().ReadReplacements();
    }

    static std::map<QString, ManualFigure> Figures()
    {
        std::map<QString, ManualFigure> figures;
        for (ManualFigure& figure : ManualPictures::BarFigures())
            figures.emplace(figure.name, std::move(figure));
        return figures;
    }

    QTemporaryDir m_settings;
};

}  // namespace

TEST_F(ManualPicturesTest, each_bar_picture_numbers_exactly_the_buttons_its_mode_shows)
{
    for (const bool compact : {false, true}) {
        SCOPED_TRACE(compact ? "compact look" : "built-in look");
        UseBundle(compact ? QStringLiteral(INKLEAF_BUNDLE) : QString());
        const QString look = compact ? QStringLiteral("compact-") : QString();
        const std::map<QString, ManualFigure> figures = Figures();
        const auto legend = [&](const QString& name) {
            const auto found = figures.find(look + name);
            EXPECT_NE(found, figures.end()) << name.toStdString();
            return found == figures.end() ? std::vector<BarPicture::Entry>() : found->second.legend;
        };
        for (FrameMode mode : kModes) {
            SCOPED_TRACE(ModeName(mode).toStdString());
            EXPECT_EQ(Lines(legend(QStringLiteral("command-bar-") + ModeName(mode))), CommandBarTable(mode, compact));
            EXPECT_EQ(Lines(legend(QStringLiteral("palette-bar-") + ModeName(mode))),
                      PaletteBarTable(mode, false, compact));
        }
        EXPECT_EQ(Lines(legend(QStringLiteral("palette-bar-narrow"))), PaletteBarTable(FrameMode::Letter, true, compact));
        const std::vector<BarPicture::Entry> numbers = legend(QStringLiteral("palette-bar-letter"));
        for (size_t i = 0; i < numbers.size(); ++i)
            EXPECT_EQ(numbers[i].number, int(i) + 1);
    }

    // What a reader finds, named: the letter bar's file buttons, the small frame's tools (no
    // zoom, no pages), and the compact look's own shorter names.
    UseBundle({});
    std::map<QString, ManualFigure> figures = Figures();
    EXPECT_EQ(Names(figures[QStringLiteral("command-bar-letter")].legend),
              (std::vector<QString>{"New (Ctrl+N)", "Open (Ctrl+O)", "Save (Ctrl+S)", "Print Preview", "Print (Ctrl+P)",
                                    "Send to Mail Recipient(Ctrl+M)", "Change to Desktop Mode", "Help"}));
    EXPECT_EQ(Names(figures[QStringLiteral("palette-bar-desktop")].legend),
              (std::vector<QString>{"Pencil", "Brush", "Marker", "Eraser", "Undo", "Redo", "Close"}));
    EXPECT_EQ(Names(figures[QStringLiteral("command-bar-inking")].legend),
              (std::vector<QString>{"Thickness of Pencil", "Thickness of Brush", "Thickness of Marker", "Start to write",
                                    "Help", "Minimize", "Close"}));
    // A new page's pencil is at width 2: the popup offers the other four.
    EXPECT_EQ(Names(figures[QStringLiteral("pen-width-popup")].legend),
              (std::vector<QString>{"Width 1", "Width 3", "Width 4", "Width 5"}));
    UseBundle(QStringLiteral(INKLEAF_BUNDLE));
    figures = Figures();
    EXPECT_EQ(Names(figures[QStringLiteral("compact-command-bar-letter")].legend),
              (std::vector<QString>{"New", "Open", "Save", "Preview", "Print", "Mail", "Desktop mode", "Help"}));
    EXPECT_EQ(Names(figures[QStringLiteral("compact-palette-bar-inking")].legend),
              (std::vector<QString>{"Pencil", "Brush", "Marker", "Eraser", "Undo", "Redo", "Minimize", "Close"}));
}

TEST_F(ManualPicturesTest, each_number_marks_its_button_as_the_bar_draws_it)
{
    for (const auto& [name, figure] : Figures()) {
        SCOPED_TRACE(name.toStdString());
        ASSERT_FALSE(figure.legend.empty());
        const QImage picture = Plain(figure.image);
        const qreal ratio = figure.image.devicePixelRatio();
        const bool commandBar = name.startsWith(QLatin1String("command-bar"));
        for (const BarPicture::Entry& entry : figure.legend) {
            SCOPED_TRACE(entry.name.toStdString());
            // The button's own picture: a command-bar key, a palette key (the pencil, the tool
            // of a new page, lit) or a width of the popup.
            QImage button;
            if (commandBar)
                button = BarArtwork::ComposeButton(CommandBarGlyph(entry.command), BarArtwork::Look::Normal,
                                                   entry.place.size(), ratio).toImage();
            else if (entry.command >= ID_PEN_WIDTH1 && entry.command < ID_PEN_WIDTH1 + 5)
                button = PenWidthArtwork::WidthButton(int(entry.command - ID_PEN_WIDTH1) + 1, ratio).normal.toImage();
            else
                button = BarArtwork::ButtonArt(entry.command, entry.command == IDC_PENCIL, entry.place.size(), ratio)
                             .normal.toImage();
            button = Plain(button);
            const QRect at = Pixels(entry.place, ratio);
            ASSERT_EQ(button.size(), at.size());
            int compared = 0, different = 0;
            for (int y = 0; y < button.height(); ++y)
                for (int x = 0; x < button.width(); ++x) {
                    const QPoint p = at.topLeft() + QPoint(x, y);
                    if (qAlpha(button.pixel(x, y)) != 255 || UnderABadge(figure, p))
                        continue;
                    ++compared;
                    different += picture.pixel(p) != button.pixel(x, y);
                }
            EXPECT_GT(compared, button.width() * button.height() / 3);
            EXPECT_EQ(different, 0);
            // The number's disc is drawn where the legend says.
            const QRect badge = Pixels(entry.badge, ratio);
            int disc = 0;
            for (int y = badge.top(); y <= badge.bottom(); ++y)
                for (int x = badge.left(); x <= badge.right(); ++x)
                    disc += picture.pixel(x, y) == kBadgeRed;
            EXPECT_GE(disc, 20);
        }
    }
}

TEST_F(ManualPicturesTest, a_glyph_the_artwork_replaces_shows_in_the_pictures)
{
    const QRgb magenta = qRgb(255, 0, 255);
    const auto magentaPixels = [magenta](const QImage& image, const QRect& r) {
        const QImage plain = Plain(image);
        int n = 0;
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                n += plain.pixel(x, y) == magenta;
        return n;
    };
    const auto saveButton = [](const ManualFigure& figure) {
        const auto entry = std::find_if(figure.legend.begin(), figure.legend.end(),
                                        [](const BarPicture::Entry& e) { return e.command == ID_FILE_SAVE; });
        EXPECT_NE(entry, figure.legend.end());
        return entry == figure.legend.end() ? QRect() : Pixels(entry->place, figure.image.devicePixelRatio());
    };

    const ManualFigure builtIn = Figures()[QStringLiteral("command-bar-letter")];
    EXPECT_EQ(magentaPixels(builtIn.image, builtIn.image.rect()), 0);

    UseBundle(QStringLiteral(INKLEAF_GLYPH_BUNDLE));
    const ManualFigure replaced = Figures()[QStringLiteral("compact-command-bar-letter")];
    const QRect save = saveButton(replaced);
    // The 20 x 20 stand-in on the Save button (a few of its pixels may be under the number's
    // disc) and nowhere else.
    const int shown = magentaPixels(replaced.image, save);
    EXPECT_GE(shown, 380);
    EXPECT_LE(shown, 400);
    EXPECT_EQ(magentaPixels(replaced.image, replaced.image.rect()), shown);
}

TEST_F(ManualPicturesTest, a_marker_naming_no_picture_is_refused_by_name)
{
    const std::vector<ManualFigure> figures{{QStringLiteral("modes"), QImage(1200, 300, QImage::Format_RGB32), {}}};
    QString error;
    const std::optional<QString> page =
        ManualPage::Expand(QStringLiteral("<p>a</p>\n<!-- picture: modes -->\n<p>b</p>\n"), figures, &error);
    ASSERT_TRUE(page.has_value());
    // Wider than the text: shown at the text's width, in proportion.
    EXPECT_EQ(*page, "<p>a</p>\n<p align=\"center\"><img src=\"pictures/modes.png\" width=\"600\" height=\"150\" "
                     "alt=\"\"></p>\n<p>b</p>\n");
    EXPECT_FALSE(ManualPage::Expand(QStringLiteral("<!-- picture: mode -->\n"), figures, &error).has_value());
    EXPECT_EQ(error, "the manual asks for a picture \"mode\", which is not drawn");
}

TEST_F(ManualPicturesTest, help_pdf_carries_every_picture_of_the_built_manual)
{
    const QDir pictures(QStringLiteral(INKLEAF_MANUAL_FOLDER "/pictures"));
    const QStringList files = pictures.entryList({QStringLiteral("*.png")}, QDir::Files);
    // Both looks' bars in every mode and band, both popups, and the modes.
    ASSERT_EQ(files.size(), 17);

    QFile manual(QStringLiteral(INKLEAF_MANUAL_FOLDER "/manual.html"));
    ASSERT_TRUE(manual.open(QIODevice::ReadOnly));
    const QString html = QString::fromUtf8(manual.readAll());
    EXPECT_FALSE(html.contains(QLatin1String("<!-- picture:")));

    QProcess pdfimages;
    pdfimages.start(QStringLiteral("pdfimages"), {QStringLiteral("-list"), QStringLiteral(INKLEAF_HELP_PDF)});
    ASSERT_TRUE(pdfimages.waitForFinished(30000)) << "pdfimages (poppler-utils) is missing: run scripts/setup";
    ASSERT_EQ(pdfimages.exitCode(), 0);
    // "page num type width height ...": the size of every image the PDF draws.
    std::multiset<std::pair<int, int>> images;
    for (const QString& line : QString::fromUtf8(pdfimages.readAllStandardOutput()).split(QLatin1Char('\n'))) {
        const QStringList fields = line.simplified().split(QLatin1Char(' '));
        if (fields.size() > 4 && fields[2] == QLatin1String("image"))
            images.insert({fields[3].toInt(), fields[4].toInt()});
    }
    // Pictures of one size (the small frames' bars) need as many images of that size.
    std::multiset<std::pair<int, int>> drawn;
    for (const QString& file : files) {
        SCOPED_TRACE(file.toStdString());
        EXPECT_TRUE(html.contains(QStringLiteral("src=\"pictures/%1\"").arg(file)));
        const QImage picture(pictures.filePath(file));
        ASSERT_FALSE(picture.isNull());
        drawn.insert({picture.width(), picture.height()});
    }
    for (const auto& size : drawn)
        EXPECT_GE(images.count(size), drawn.count(size)) << size.first << "x" << size.second;
}
