#include "TabletIdentity.h"

#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QInputDevice>
#include <QLibrary>
#include <QRegularExpression>
#include <QStringList>
#include <QtGui/qguiapplication_platform.h>

namespace {

constexpr int BTN_TOOL_PEN = 0x140;
constexpr int BTN_STYLUS = 0x14B;

QString ReadLine(const QString& path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QString();
    return QString::fromUtf8(file.readLine(256)).trimmed();
}

// capabilities/key holds the key bitmap as hexadecimal words of the kernel's long, most
// significant first, with leading zero words left out.
bool HasKey(const QString& bitmap, int code)
{
    constexpr int kWordBits = int(sizeof(long)) * 8;
    const QStringList words = bitmap.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    const int index = words.size() - 1 - code / kWordBits;
    if (index < 0)
        return false;
    bool ok = false;
    const qulonglong word = words[index].toULongLong(&ok, 16);
    return ok && (word >> (code % kWordBits)) & 1;
}

bool IsPen(const QString& inputFolder)
{
    const QString keys = ReadLine(inputFolder + QStringLiteral("/capabilities/key"));
    if (HasKey(keys, BTN_TOOL_PEN) || HasKey(keys, BTN_STYLUS))
        return true;
    static const QRegularExpression penName(QStringLiteral("\\b(pen|stylus|tablet)\\b"),
                                            QRegularExpression::CaseInsensitiveOption);
    return penName.match(ReadLine(inputFolder + QStringLiteral("/name"))).hasMatch();
}

// The input device behind a class/input entry: inputN is one itself, eventN and mouseN point
// to theirs through "device".
QString InputFolderOf(const QString& entry)
{
    if (QFileInfo::exists(entry + QStringLiteral("/capabilities")))
        return entry;
    const QString parent = entry + QStringLiteral("/device");
    if (QFileInfo::exists(parent + QStringLiteral("/capabilities")))
        return parent;
    return QString();
}

// The bus, vendor and product the kernel gives the input device in its id/ folder.
bool ReadInputIds(const QString& inputFolder, TabletDevice& device)
{
    bool busOk = false;
    const uint bus = ReadLine(inputFolder + QStringLiteral("/id/bustype")).toUInt(&busOk, 16);
    if (!busOk || bus == 0)
        return false;
    device.bus = WORD(bus);
    device.vendor = WORD(ReadLine(inputFolder + QStringLiteral("/id/vendor")).toUInt(nullptr, 16));
    device.product = WORD(ReadLine(inputFolder + QStringLiteral("/id/product")).toUInt(nullptr, 16));
    return true;
}

// Walks up from the device's real folder to the first one carrying USB identifiers, never
// above the sysfs root.
bool ReadUsbParent(const QString& inputFolder, const QString& root, TabletDevice& device)
{
    const QString inside = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    QDir dir(QFileInfo(inputFolder).canonicalFilePath());
    while (dir.path().startsWith(inside)) {
        const QString vendor = ReadLine(dir.filePath(QStringLiteral("idVendor")));
        const QString product = ReadLine(dir.filePath(QStringLiteral("idProduct")));
        if (!vendor.isEmpty() && !product.isEmpty()) {
            bool vendorOk = false;
            bool productOk = false;
            const WORD id = WORD(vendor.toUInt(&vendorOk, 16));
            const WORD productId = WORD(product.toUInt(&productOk, 16));
            if (!vendorOk || !productOk || id == 0)
                return false;
            device.bus = BUS_USB;
            device.vendor = id;
            device.product = productId;
            return true;
        }
        if (!dir.cdUp())
            break;
    }
    return false;
}

TabletDevice ReadDevice(const QString& inputFolder, const QString& root)
{
    TabletDevice device;
    device.name = ReadLine(inputFolder + QStringLiteral("/name"));
    if (!ReadInputIds(inputFolder, device))
        ReadUsbParent(inputFolder, root, device);
    return device;
}

// The input device of an event node, "/dev/input/event7" → class/input/event7/device.
QString InputFolderOfNode(const QString& node, const QString& root)
{
    const QString event = QFileInfo(node).fileName();
    if (!event.startsWith(QLatin1String("event")))
        return QString();
    return InputFolderOf(root + QStringLiteral("/class/input/") + event);
}

// The pens of class/input in name order, as (input folder, kernel name).
QList<QPair<QString, QString>> Pens(const QString& root)
{
    QList<QPair<QString, QString>> pens;
    QDir classInput(root + QStringLiteral("/class/input"));
    const QStringList entries = classInput.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System, QDir::Name);
    for (const QString& entry : entries) {
        const QString input = InputFolderOf(classInput.filePath(entry));
        if (!input.isEmpty() && IsPen(input))
            pens.append({input, ReadLine(input + QStringLiteral("/name"))});
    }
    return pens;
}

}  // namespace

// libX11 and libXi are loaded when needed: without them there is no node.
QString X11DeviceNode(qint64 id)
{
#if QT_CONFIG(xcb)
    // The application may be a plain QCoreApplication (inkleaf-tool, no display): ask, never assume.
    auto* gui = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = gui ? gui->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    Display* display = x11 ? x11->display() : nullptr;
    if (!display || id <= 0)
        return QString();
    using InternAtom = unsigned long (*)(Display*, const char*, int);
    using Free = int (*)(void*);
    using GetProperty = int (*)(Display*, int, unsigned long, long, long, int, unsigned long, unsigned long*, int*,
                                unsigned long*, unsigned long*, unsigned char**);
    QLibrary xlib(QStringLiteral("X11"), 6);
    QLibrary xi(QStringLiteral("Xi"), 6);
    const auto internAtom = reinterpret_cast<InternAtom>(xlib.resolve("XInternAtom"));
    const auto xfree = reinterpret_cast<Free>(xlib.resolve("XFree"));
    const auto getProperty = reinterpret_cast<GetProperty>(xi.resolve("XIGetProperty"));
    if (!internAtom || !xfree || !getProperty)
        return QString();
    const unsigned long property = internAtom(display, "Device Node", 1);  // only if it exists
    if (!property)
        return QString();
    unsigned long type = 0, items = 0, after = 0;
    int format = 0;
    unsigned char* data = nullptr;
    constexpr long kLongs = 64;  // the property's length, in 32-bit units: a path fits
    QString node;
    if (getProperty(display, int(id), property, 0, kLongs, 0, 0, &type, &format, &items, &after, &data) == 0 && data) {
        if (format == 8)
            node = QString::fromLocal8Bit(reinterpret_cast<const char*>(data), qsizetype(qstrnlen(
                reinterpret_cast<const char*>(data), size_t(items))));
        xfree(data);
    }
    return node;
#else
    Q_UNUSED(id);
    return QString();
#endif
}

PenDeviceHint CurrentPenDevice()
{
    for (const QInputDevice* device : QInputDevice::devices()) {
        const auto type = device->type();
        if (type == QInputDevice::DeviceType::Stylus || type == QInputDevice::DeviceType::Airbrush)
            return {device->name(), X11DeviceNode(device->systemId())};
    }
    return {};
}

TabletDevice FindTabletDevice(const PenDeviceHint& pen, const QString& sysfsRoot)
{
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    if (root.isEmpty())
        return {};
    if (!pen.node.isEmpty()) {
        const QString input = InputFolderOfNode(pen.node, root);
        if (!input.isEmpty())
            return ReadDevice(input, root);
    }
    const QList<QPair<QString, QString>> pens = Pens(root);
    if (!pen.name.isEmpty()) {
        // The longest kernel name that begins the pen's name: "... Pen" before "... Pen stylus".
        const QPair<QString, QString>* best = nullptr;
        for (const auto& candidate : pens)
            if (!candidate.second.isEmpty() && pen.name.startsWith(candidate.second)
                && (!best || candidate.second.size() > best->second.size()))
                best = &candidate;
        if (best)
            return ReadDevice(best->first, root);
    }
    // Without a hint: the first pen that tells how it is connected.
    for (const auto& candidate : pens) {
        const TabletDevice device = ReadDevice(candidate.first, root);
        if (device.bus != 0)
            return device;
    }
    return {};
}

TabletUsbIds FindTabletUsbIds(const QString& sysfsRoot)
{
    const TabletDevice device = FindTabletDevice({}, sysfsRoot);
    if (device.bus != BUS_USB)
        return {};
    return {device.vendor, device.product};
}

bool GetTabletUsbIds(WORD& vendor, WORD& product, const QString& sysfsRoot)
{
    vendor = 0;
    product = 0;
    const TabletUsbIds ids = FindTabletUsbIds(sysfsRoot);
    vendor = ids.vendor;
    product = ids.product;
    return vendor == 0;
}

QString TabletManagerName()
{
    return ReadSetting(Settings::TabletManagerName, TabletDescriptionPath());
}
