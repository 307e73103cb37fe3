#include "Resources.h"

#include "Settings.h"

#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QPainter>
#include <QRegularExpression>
#include <QResource>
#include <QSvgRenderer>
#include <QtEndian>

#include <cstring>
#include <vector>

namespace Resources {

namespace {

const QString kBundleRoot = QStringLiteral("/IlfRes");

struct State {
    QString bundlePath;  // registered bundle, empty when none
    QByteArray bundle;   // its bytes, which Qt reads while it is registered
    QHash<QString, QImage> images;  // "path@WxH@ratio" -> rendered picture
    qint64 imageBytes = 0;          // the pixels of images
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

// The largest file a bundle may unpack to, bytes.
constexpr qint64 kLargestEntry = 64 << 20;

// The unpacked size a zstd frame declares; -1 when it declares none.
qint64 ZstdContentSize(const uchar* frame, qint64 length)
{
    if (length < 6 || qFromLittleEndian<quint32>(frame) != 0xFD2FB528u)
        return -1;
    const uchar descriptor = frame[4];
    const bool singleSegment = descriptor & 0x20;
    const int sizeBytes[4] = {singleSegment ? 1 : 0, 2, 4, 8};
    const int dictionaryBytes[4] = {0, 1, 2, 4};
    const qint64 at = 5 + (singleSegment ? 0 : 1) + dictionaryBytes[descriptor & 3];
    const int bytes = sizeBytes[descriptor >> 6];
    if (bytes == 0 || at + bytes > length)
        return -1;
    quint64 size = 0;
    for (int i = bytes - 1; i >= 0; --i)
        size = (size << 8) | frame[at + i];
    if (bytes == 2)
        size += 256;
    return size > quint64(kLargestEntry) ? kLargestEntry + 1 : qint64(size);
}

// Qt reads a registered resource file without checking its offsets, so a bundle is taken only
// when its whole directory tree, every name and every entry lie inside the file, and no entry
// unpacks to more than kLargestEntry. The layout: "qres", the format version, the offsets of
// tree, data and names (big-endian), then tree nodes of 14 bytes (22 from version 2 on): name
// offset, flags, and for a directory its child count and first child, for a file its locale
// and data offset.
bool IsSoundBundle(const QByteArray& bytes)
{
    const auto* b = reinterpret_cast<const uchar*>(bytes.constData());
    const qint64 size = bytes.size();
    if (size < 20 || std::memcmp(b, "qres", 4) != 0)
        return false;
    const quint32 version = qFromBigEndian<quint32>(b + 4);
    if (version < 1 || version > 3)
        return false;
    const qint64 tree = qFromBigEndian<quint32>(b + 8);
    const qint64 data = qFromBigEndian<quint32>(b + 12);
    const qint64 names = qFromBigEndian<quint32>(b + 16);
    const qint64 nodeSize = version == 1 ? 14 : 22;
    auto inside = [size](qint64 offset, qint64 length) {
        return offset >= 0 && length >= 0 && offset <= size && length <= size - offset;
    };
    auto node = [&](qint64 i) { return inside(tree + i * nodeSize, nodeSize) ? b + tree + i * nodeSize : nullptr; };
    constexpr quint16 kZlib = 0x01, kDirectory = 0x02, kZstd = 0x04;

    // Children always follow their parent, and no more nodes are visited than the file holds.
    std::vector<qint64> pending{0};
    qint64 visited = 0;
    while (!pending.empty()) {
        const qint64 i = pending.back();
        pending.pop_back();
        const uchar* n = node(i);
        if (!n || ++visited > size / nodeSize)
            return false;
        const quint16 flags = qFromBigEndian<quint16>(n + 4);
        if (i > 0) {
            const qint64 name = names + qFromBigEndian<quint32>(n);
            if (!inside(name, 6) || !inside(name + 6, 2 * qint64(qFromBigEndian<quint16>(b + name))))
                return false;
        } else if (!(flags & kDirectory)) {
            return false;
        }
        if (flags & kDirectory) {
            const qint64 count = qFromBigEndian<quint32>(n + 6);
            const qint64 first = qFromBigEndian<quint32>(n + 10);
            if (count > 0 && (first <= i || !node(first + count - 1)))
                return false;
            for (qint64 c = 0; c < count; ++c)
                pending.push_back(first + c);
            continue;
        }
        const qint64 entry = data + qFromBigEndian<quint32>(n + 10);
        if (!inside(entry, 4))
            return false;
        const qint64 length = qFromBigEndian<quint32>(b + entry);
        if (!inside(entry + 4, length))
            return false;
        if ((flags & kZlib) && (length < 4 || qFromBigEndian<quint32>(b + entry + 4) > kLargestEntry))
            return false;
        if ((flags & kZstd) && ZstdContentSize(b + entry + 4, length) > kLargestEntry)
            return false;
    }
    return true;
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
    QFile file(path);
    if (path.isEmpty() || !QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = file.readAll();
    if (!IsSoundBundle(bytes))
        return false;
    FreeResourceLibrary();
    if (!QResource::registerResource(reinterpret_cast<const uchar*>(bytes.constData()), kBundleRoot))
        return false;
    State& state = Current();
    state.bundlePath = path;
    state.bundle = std::move(bytes);
    state.images.clear();
    state.imageBytes = 0;
    return true;
}

void FreeResourceLibrary()
{
    State& state = Current();
    if (state.bundlePath.isEmpty())
        return;
    QResource::unregisterResource(reinterpret_cast<const uchar*>(state.bundle.constData()), kBundleRoot);
    state.bundlePath.clear();
    state.bundle.clear();
    state.images.clear();
    state.imageBytes = 0;
}

bool UsingResourceLibrary()
{
    return !Current().bundlePath.isEmpty();
}

QString FindResourceLibrary()
{
    return FindProgramFile(QLatin1String(kLibraryFileName));
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

QSize PhysicalSize(QSize size, qreal ratio)
{
    return QSize(qRound(size.width() * ratio), qRound(size.height() * ratio));
}

QImage LoadImage(const QString& name, QSize size, qreal ratio)
{
    const QString path = LocateImage(name);
    if (path.isEmpty())
        return {};
    if (!size.isValid() && ratio != 1.0)
        size = ImageSize(name);
    const QSize pixels = PhysicalSize(size, ratio);
    const QString key = QStringLiteral("%1@%2x%3@%4").arg(path).arg(pixels.width()).arg(pixels.height()).arg(ratio);
    State& state = Current();
    auto found = state.images.constFind(key);
    if (found != state.images.constEnd())
        return *found;
    QImage image = Render(path, pixels);
    image.setDevicePixelRatio(ratio);
    // Bars stretched to many window widths would otherwise keep every width ever drawn.
    constexpr qint64 kMostKeptBytes = 64 << 20;
    if (state.imageBytes + image.sizeInBytes() > kMostKeptBytes) {
        state.images.clear();
        state.imageBytes = 0;
    }
    state.images.insert(key, image);
    state.imageBytes += image.sizeInBytes();
    return image;
}

CursorImage LoadCursorImage(const QString& name, qreal ratio)
{
    CursorImage cursor{LoadImage(name, {}, ratio), {}};
    const QString path = LocateImage(name);
    if (!path.isEmpty() && path.endsWith(QLatin1String(".svg"))) {
        const QPoint own(AttributeOf(path, "data-hotspot-x"), AttributeOf(path, "data-hotspot-y"));
        cursor.hotSpot = QPoint(qRound(own.x() * ratio), qRound(own.y() * ratio));
    }
    return cursor;
}

}  // namespace Resources
