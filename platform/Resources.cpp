#include "Resources.h"

#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QResource>
#include <QStandardPaths>
#include <QSvgRenderer>

namespace Resources {

namespace {

const QString kBundleRoot = QStringLiteral("/IlfRes");

struct State {
    QString bundlePath;  // registered bundle, empty when none
    QHash<QString, QImage> images;  // "path@WxH" -> rendered picture
};

State& Current()
{
    static State state;
    return state;
}

// The resource file of a picture name: an SVG, or a PNG when there is no SVG.
QString LocateImage(const QString& name)
{
    for (const char* suffix : {".svg", ".png"}) {
        const QString path = Locate(QStringLiteral("art/") + name + QLatin1String(suffix));
        if (!path.isEmpty())
            return path;
    }
    return {};
}

QImage Render(const QString& path, QSize size)
{
    if (!path.endsWith(QLatin1String(".svg"))) {
        QImage image(path);
        if (!image.isNull() && size.isValid() && image.size() != size)
            image = image.scaled(size, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        return image.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    }
    QSvgRenderer renderer(path);
    if (!renderer.isValid())
        return {};
    if (!size.isValid())
        size = renderer.defaultSize();
    if (size.isEmpty())
        return {};
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    renderer.render(&painter);
    return image;
}

int AttributeOf(const QString& path, const char* attribute)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    const QString text = QString::fromUtf8(file.read(4096));
    const QRegularExpression pattern(QStringLiteral("%1=\"(-?\\d+)\"").arg(QLatin1String(attribute)));
    const QRegularExpressionMatch match = pattern.match(text);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
}

}  // namespace

bool LoadResourceLibrary(const QString& path)
{
    FreeResourceLibrary();
    if (path.isEmpty() || !QFileInfo(path).isFile())
        return false;
    if (!QResource::registerResource(path, kBundleRoot))
        return false;
    Current().bundlePath = path;
    Current().images.clear();
    return true;
}

void FreeResourceLibrary()
{
    State& state = Current();
    if (state.bundlePath.isEmpty())
        return;
    QResource::unregisterResource(state.bundlePath, kBundleRoot);
    state.bundlePath.clear();
    state.images.clear();
}

bool UsingResourceLibrary()
{
    return !Current().bundlePath.isEmpty();
}

QString FindResourceLibrary()
{
    const QString beside = GetProgramFolder() + QLatin1Char('/') + QLatin1String(kLibraryFileName);
    if (QFileInfo(beside).isFile())
        return beside;
    return QStandardPaths::locate(QStandardPaths::GenericDataLocation,
                                  QStringLiteral("inkleaf/") + QLatin1String(kLibraryFileName));
}

QString Locate(const QString& relativePath)
{
    if (UsingResourceLibrary()) {
        const QString replaced = QStringLiteral(":") + kBundleRoot + QLatin1Char('/') + relativePath;
        if (QFileInfo::exists(replaced))
            return replaced;
    }
    const QString builtIn = QStringLiteral(":/") + relativePath;
    return QFileInfo::exists(builtIn) ? builtIn : QString();
}

bool HasImage(const QString& name)
{
    return !LocateImage(name).isEmpty();
}

QSize ImageSize(const QString& name)
{
    const QString path = LocateImage(name);
    if (path.isEmpty())
        return {};
    if (path.endsWith(QLatin1String(".svg")))
        return QSvgRenderer(path).defaultSize();
    return QImage(path).size();
}

QImage LoadImage(const QString& name, QSize size)
{
    const QString path = LocateImage(name);
    if (path.isEmpty())
        return {};
    const QString key = QStringLiteral("%1@%2x%3").arg(path).arg(size.width()).arg(size.height());
    State& state = Current();
    auto found = state.images.constFind(key);
    if (found != state.images.constEnd())
        return *found;
    const QImage image = Render(path, size);
    // Bars stretched to many window widths would otherwise keep every width ever drawn.
    constexpr qsizetype kMostKept = 256;
    if (state.images.size() >= kMostKept)
        state.images.clear();
    state.images.insert(key, image);
    return image;
}

CursorImage LoadCursorImage(const QString& name)
{
    CursorImage cursor{LoadImage(name), {}};
    const QString path = LocateImage(name);
    if (!path.isEmpty() && path.endsWith(QLatin1String(".svg")))
        cursor.hotSpot = QPoint(AttributeOf(path, "data-hotspot-x"), AttributeOf(path, "data-hotspot-y"));
    return cursor;
}

}  // namespace Resources
