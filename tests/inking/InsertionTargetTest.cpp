// The window under the ink from a stacking list, the office programs of the settings file,
// and marker ink made see-through.

#include "TestApplication.h"

#include "inking/InkPictures.h"
#include "inking/InsertionTarget.h"
#include "platform/Settings.h"

#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

TopLevelWindow Window(unsigned long id, CRect rect, QString instance = QStringLiteral("editor"))
{
    TopLevelWindow window;
    window.id = id;
    window.rect = rect;
    window.windowInstance = std::move(instance);
    window.windowClass = QStringLiteral("Editor");
    return window;
}

unsigned long PickedId(const std::vector<TopLevelWindow>& windows, const CRect& ink)
{
    const std::optional<TopLevelWindow> picked = InsertionTarget::Pick(windows, ink);
    return picked ? picked->id : 0;
}

}  // namespace

TEST(InsertionTarget, the_topmost_window_holding_the_inks_centre_takes_it)
{
    // From the top down: a small window over the ink's corner, our own overlay, a minimised
    // window, the desktop, then two windows side by side over the ink's middle.
    TopLevelWindow own = Window(1, CRect(0, 0, 1920, 1080));
    own.own = true;
    TopLevelWindow iconic = Window(2, CRect(0, 0, 1920, 1080));
    iconic.iconic = true;
    TopLevelWindow desktop = Window(3, CRect(0, 0, 1920, 1080));
    desktop.desktopOrDock = true;
    TopLevelWindow hidden = Window(4, CRect(0, 0, 1920, 1080));
    hidden.visible = false;
    const std::vector<TopLevelWindow> windows{Window(10, CRect(90, 90, 150, 150)), own, iconic, desktop, hidden,
                                              Window(11, CRect(0, 0, 300, 1080)), Window(12, CRect(300, 0, 900, 1080))};
    const CRect ink(100, 100, 500, 300);  // centre (300, 200)
    EXPECT_EQ(PickedId(windows, ink), 12u);
    // No window holds the centre: the topmost one the ink meets.
    EXPECT_EQ(PickedId(windows, CRect(1000, 100, 1100, 200)), 0u);
    EXPECT_EQ(PickedId(windows, CRect(100, 100, 140, 120)), 10u);
    const std::vector<TopLevelWindow> narrow{Window(20, CRect(0, 0, 120, 1080)), Window(21, CRect(480, 0, 600, 1080))};
    EXPECT_EQ(PickedId(narrow, ink), 20u);
    // The bare desktop: nobody.
    EXPECT_EQ(PickedId({own, desktop}, ink), 0u);
}

TEST(InsertionTarget, office_programs_come_from_the_settings_file_by_instance_or_class_in_any_case)
{
    TestApplication();
    QTemporaryDir folder;
    OverrideSettingsFolder(folder.path());
    const QStringList defaults = InsertionTarget::OfficePrograms();
    EXPECT_TRUE(defaults.contains(QStringLiteral("libreoffice")));
    EXPECT_TRUE(InsertionTarget::IsOffice(Window(1, CRect(), QStringLiteral("libreoffice")), defaults));
    EXPECT_FALSE(InsertionTarget::IsOffice(Window(1, CRect(), QStringLiteral("gedit")), defaults));

    ASSERT_TRUE(WriteSetting(Settings::OfficePrograms, QStringLiteral(" Editor ,, writer.Pro")));
    const QStringList mine = InsertionTarget::OfficePrograms();
    EXPECT_EQ(mine, QStringList({"Editor", "writer.Pro"}));
    TopLevelWindow dotted = Window(1, CRect(), QStringLiteral("WRITER.pro"));
    dotted.windowClass.clear();
    EXPECT_TRUE(InsertionTarget::IsOffice(dotted, mine));                                           // the instance
    EXPECT_TRUE(InsertionTarget::IsOffice(Window(1, CRect(), QStringLiteral("other")), mine));    // the class "Editor"
    EXPECT_FALSE(InsertionTarget::IsOffice(Window(1, CRect(), QStringLiteral("libreoffice")), {}));
}

TEST(InkPictures, marker_ink_is_half_see_through_and_white_is_not_there_at_all)
{
    QImage onWhite(3, 1, QImage::Format_RGB32);
    onWhite.setPixel(0, 0, qRgb(255, 255, 255));
    onWhite.setPixel(1, 0, qRgb(255, 255, 0));
    onWhite.setPixel(2, 0, qRgb(0, 128, 0));
    const QImage picture = InkPictures::Highlighter(onWhite);
    ASSERT_EQ(picture.format(), QImage::Format_ARGB32);
    EXPECT_EQ(picture.pixel(0, 0), qRgba(0, 0, 0, 0));
    EXPECT_EQ(picture.pixel(1, 0), qRgba(255, 255, 0, 128));
    EXPECT_EQ(picture.pixel(2, 0), qRgba(0, 128, 0, 128));
}
