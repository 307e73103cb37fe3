#include "TabletIdentity.h"

#include "platform/Settings.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <QStringList>

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

// Walks up from the device's real folder to the first one carrying USB identifiers, never
// above the sysfs root.
bool ReadUsbParent(const QString& inputFolder, const QString& root, TabletUsbIds& ids)
{
    const QString inside = root.endsWith(QLatin1Char('/')) ? root : root + QLatin1Char('/');
    QDir dir(QFileInfo(inputFolder).canonicalFilePath());
    while (dir.path().startsWith(inside)) {
        const QString vendor = ReadLine(dir.filePath(QStringLiteral("idVendor")));
        const QString product = ReadLine(dir.filePath(QStringLiteral("idProduct")));
        if (!vendor.isEmpty() && !product.isEmpty()) {
            bool vendorOk = false;
            bool productOk = false;
            ids.vendor = WORD(vendor.toUInt(&vendorOk, 16));
            ids.product = WORD(product.toUInt(&productOk, 16));
            if (vendorOk && productOk)
                return ids.vendor != 0;
            ids = {};
            return false;
        }
        if (!dir.cdUp())
            break;
    }
    return false;
}

}  // namespace

TabletUsbIds FindTabletUsbIds(const QString& sysfsRoot)
{
    const QString root = QFileInfo(sysfsRoot).canonicalFilePath();
    if (root.isEmpty())
        return {};
    QDir classInput(root + QStringLiteral("/class/input"));
    const QStringList entries = classInput.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::System,
                                                     QDir::Name);
    for (const QString& entry : entries) {
        const QString input = InputFolderOf(classInput.filePath(entry));
        if (input.isEmpty() || !IsPen(input))
            continue;
        TabletUsbIds ids;
        if (ReadUsbParent(input, root, ids))
            return ids;
    }
    return {};
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
