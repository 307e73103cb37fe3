// Pictures by name: the SVG sources built into the program, and a replacement bundle that
// stands in for the names it carries while it is loaded. The test bundle (data/bundle) holds
// art/bitmap/272.svg (20 × 10, blue), art/bitmap/901.png (3 × 2, red) and
// art/glyph/bundle-only.svg (8 × 8).

#include "platform/Resources.h"

#include <QFile>
#include <QGuiApplication>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

namespace {

const QString kBundle = QStringLiteral(INKLEAF_TEST_BUNDLE);
const QString kReplaced = QStringLiteral("bitmap/272");  // built in and in the bundle
const QSize kBuiltInSize(1300, 85);

class ResourcesTest : public ::testing::Test {
protected:
    ResourcesTest()
    {
        static int argc = 1;
        static char name[] = "platform-tests";
        static char* argv[] = {name, nullptr};
        static QGuiApplication* application = new QGuiApplication(argc, argv);
        Q_UNUSED(application);
    }
    ~ResourcesTest() override { Resources::FreeResourceLibrary(); }

    QByteArray BundleBytes() const
    {
        QFile file(kBundle);
        EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << kBundle.toStdString();
        return file.readAll();
    }
    QString Write(const QString& name, const QByteArray& bytes) const
    {
        const QString path = m_dir.filePath(name);
        QFile file(path);
        EXPECT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
        return path;
    }
    // The built-in pictures serve, and no bundle is loaded.
    void ExpectBuiltIn() const
    {
        EXPECT_FALSE(Resources::UsingResourceLibrary());
        EXPECT_EQ(Resources::ImageSize(kReplaced), kBuiltInSize);
        EXPECT_FALSE(Resources::HasImage(QStringLiteral("glyph/bundle-only")));
    }

    QTemporaryDir m_dir;
};

}  // namespace

TEST_F(ResourcesTest, pictures_render_at_their_own_size_or_the_size_asked)
{
    const QImage own = Resources::LoadImage(QStringLiteral("icon/128"));
    ASSERT_FALSE(own.isNull());
    EXPECT_EQ(own.size(), Resources::ImageSize(QStringLiteral("icon/128")));
    EXPECT_EQ(own.format(), QImage::Format_ARGB32_Premultiplied);
    EXPECT_EQ(Resources::LoadImage(QStringLiteral("icon/128"), QSize(16, 24)).size(), QSize(16, 24));
    EXPECT_TRUE(Resources::HasImage(QStringLiteral("icon/128")));
    EXPECT_EQ(Resources::Locate(QStringLiteral("art/icon/128.svg")), QStringLiteral(":/art/icon/128.svg"));
}

TEST_F(ResourcesTest, missing_names_give_null_pictures_and_empty_sizes)
{
    for (const char* name : {"bitmap/9999", "glyph/", "", "icon/128.svg"}) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(Resources::HasImage(QLatin1String(name)));
        EXPECT_TRUE(Resources::ImageSize(QLatin1String(name)).isEmpty());
        EXPECT_TRUE(Resources::LoadImage(QLatin1String(name)).isNull());
        EXPECT_TRUE(Resources::LoadImage(QLatin1String(name), QSize(8, 8)).isNull());
    }
    const Resources::CursorImage cursor = Resources::LoadCursorImage(QStringLiteral("cursor/9999"));
    EXPECT_TRUE(cursor.image.isNull());
    EXPECT_EQ(cursor.hotSpot, QPoint(0, 0));
    EXPECT_TRUE(Resources::Locate(QStringLiteral("art/bitmap/9999.svg")).isEmpty());
}

TEST_F(ResourcesTest, bundle_replaces_the_names_it_carries_until_it_is_freed)
{
    // Rendered (and cached) before the bundle comes: the bundle's picture must still win.
    EXPECT_EQ(Resources::LoadImage(kReplaced).size(), kBuiltInSize);
    ExpectBuiltIn();

    ASSERT_TRUE(Resources::LoadResourceLibrary(kBundle));
    EXPECT_TRUE(Resources::UsingResourceLibrary());
    const QImage replaced = Resources::LoadImage(kReplaced);
    EXPECT_EQ(replaced.size(), QSize(20, 10));
    EXPECT_EQ(replaced.pixel(10, 5), qRgb(0, 0, 255));
    EXPECT_EQ(Resources::ImageSize(kReplaced), QSize(20, 10));
    EXPECT_TRUE(Resources::Locate(QStringLiteral("art/bitmap/272.svg")).startsWith(QStringLiteral(":/IlfRes/")));

    // Names the bundle does not carry fall back to the built-in pictures.
    EXPECT_EQ(Resources::Locate(QStringLiteral("art/icon/128.svg")), QStringLiteral(":/art/icon/128.svg"));
    EXPECT_FALSE(Resources::LoadImage(QStringLiteral("icon/128")).isNull());
    // A name only the bundle has exists while it is loaded.
    EXPECT_EQ(Resources::ImageSize(QStringLiteral("glyph/bundle-only")), QSize(8, 8));
    // PNG pictures, at their own size and scaled.
    const QImage png = Resources::LoadImage(QStringLiteral("bitmap/901"));
    EXPECT_EQ(png.size(), QSize(3, 2));
    EXPECT_EQ(png.pixel(1, 1), qRgb(255, 0, 0));
    EXPECT_EQ(Resources::LoadImage(QStringLiteral("bitmap/901"), QSize(6, 4)).size(), QSize(6, 4));
    EXPECT_EQ(Resources::ImageSize(QStringLiteral("bitmap/901")), QSize(3, 2));

    Resources::FreeResourceLibrary();
    ExpectBuiltIn();
    EXPECT_EQ(Resources::LoadImage(kReplaced).size(), kBuiltInSize);
    EXPECT_TRUE(Resources::LoadImage(QStringLiteral("bitmap/901")).isNull());
}

TEST_F(ResourcesTest, missing_or_damaged_bundles_are_refused)
{
    const QByteArray good = BundleBytes();
    ASSERT_GT(good.size(), 100);
    const qint64 tree = qFromBigEndian<quint32>(good.constData() + 8);
    const qint64 data = qFromBigEndian<quint32>(good.constData() + 12);

    QByteArray scribbledTree = good;
    scribbledTree.replace(tree, good.size() - tree, QByteArray(good.size() - tree, '\xFF'));
    QByteArray overlongEntry = good;
    qToBigEndian<quint32>(0x7FFFFFF0, overlongEntry.data() + data);
    QByteArray treeOutside = good;
    qToBigEndian<quint32>(quint32(good.size() + 10), treeOutside.data() + 8);
    QByteArray newerFormat = good;
    qToBigEndian<quint32>(9, newerFormat.data() + 4);

    const QString damaged[] = {
        QString(),
        m_dir.filePath(QStringLiteral("absent.rcc")),
        m_dir.path(),  // a folder
        Write(QStringLiteral("empty.rcc"), {}),
        Write(QStringLiteral("text.rcc"), "not a resource file at all, just some words"),
        Write(QStringLiteral("tree.rcc"), scribbledTree),
        Write(QStringLiteral("entry.rcc"), overlongEntry),
        Write(QStringLiteral("outside.rcc"), treeOutside),
        Write(QStringLiteral("format.rcc"), newerFormat),
    };
    for (const QString& path : damaged) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_FALSE(Resources::LoadResourceLibrary(path));
        ExpectBuiltIn();
    }
    // Cut short anywhere, the bundle's index or an entry runs past the end of the file.
    for (qsizetype length = 0; length < good.size(); ++length) {
        SCOPED_TRACE(length);
        ASSERT_FALSE(Resources::LoadResourceLibrary(Write(QStringLiteral("cut.rcc"), good.left(length))));
        ASSERT_FALSE(Resources::UsingResourceLibrary());
    }
    ExpectBuiltIn();
}

TEST_F(ResourcesTest, refused_bundle_leaves_the_loaded_one_in_place)
{
    ASSERT_TRUE(Resources::LoadResourceLibrary(kBundle));
    EXPECT_FALSE(Resources::LoadResourceLibrary(Write(QStringLiteral("cut.rcc"), BundleBytes().left(64))));
    EXPECT_TRUE(Resources::UsingResourceLibrary());
    EXPECT_EQ(Resources::ImageSize(kReplaced), QSize(20, 10));
    // Loading a bundle again replaces the first registration rather than stacking on it.
    ASSERT_TRUE(Resources::LoadResourceLibrary(kBundle));
    Resources::FreeResourceLibrary();
    ExpectBuiltIn();
}
