#include "DeviceInfo.h"

#include "ToolSupport.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>
#include <vector>

namespace {

// Whole packets per read, about 64 KiB.
constexpr qint64 kChunkBytes = qint64(kDevicePacketBytes) * 10922;

bool OpenDeviceFile(const QString& path, QFile& file)
{
    if (InputKindOf(path) != FileKind::Device) {
        Complain(QStringLiteral("%1: not a device file (a device file's name holds .QVN)").arg(path));
        return false;
    }
    if (!IsSafeToRead(path))
        return false;
    const QFileInfo info(path);
    if (!info.exists()) {
        Complain(QStringLiteral("%1: no such file").arg(path));
        return false;
    }
    if (info.isDir()) {
        Complain(QStringLiteral("%1: a folder, not a device file").arg(path));
        return false;
    }
    file.setFileName(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Complain(QStringLiteral("%1: %2").arg(path, file.errorString()));
        return false;
    }
    return true;
}

bool CheckHeader(const QString& path, QFile& file, DeviceHeaderState& header)
{
    const QByteArray bytes = file.read(kDeviceHeaderBytes);
    if (bytes.size() < kDeviceHeaderBytes) {
        Complain(QStringLiteral("%1: not a device file: %2 bytes, less than the %3-byte header")
                     .arg(path)
                     .arg(bytes.size())
                     .arg(kDeviceHeaderBytes));
        return false;
    }
    ReadHeaderInto(bytes, header);
    // Packets are read from byte 32 on; a header that says otherwise is not one of ours.
    if (header.headerSize != kDeviceHeaderBytes) {
        Complain(QStringLiteral("%1: not a device file: its header gives a header size of %2 bytes, not %3")
                     .arg(path)
                     .arg(header.headerSize)
                     .arg(kDeviceHeaderBytes));
        return false;
    }
    if (header.activeAreaX == 0 || header.activeAreaY == 0) {
        Complain(QStringLiteral("%1: the device file gives no writing area (active area %2 x %3)")
                     .arg(path)
                     .arg(header.activeAreaX)
                     .arg(header.activeAreaY));
        return false;
    }
    return true;
}

}  // namespace

bool CheckDeviceFile(const QString& path, DeviceHeaderState& header)
{
    QFile file;
    return OpenDeviceFile(path, file) && CheckHeader(path, file, header);
}

bool ReadDeviceSummary(const QString& path, DeviceFileSummary& summary)
{
    QFile file;
    if (!OpenDeviceFile(path, file) || !CheckHeader(path, file, summary.header))
        return false;
    summary.bytes = file.size();
    summary.packets = 0;
    summary.penDownPackets = 0;

    std::vector<char> chunk(static_cast<size_t>(kChunkBytes));
    qint64 held = 0;  // bytes of a packet split between two reads
    for (;;) {
        const qint64 got = file.read(chunk.data() + held, kChunkBytes - held);
        if (got < 0) {
            Complain(QStringLiteral("%1: %2").arg(path, file.errorString()));
            return false;
        }
        if (got == 0)
            break;  // a trailing fragment of fewer than 6 bytes is not a packet
        const qint64 available = held + got;
        qint64 at = 0;
        for (; at + kDevicePacketBytes <= available; at += kDevicePacketBytes) {
            ++summary.packets;
            if (DecodePacket(chunk.data() + at).buttons != 0)
                ++summary.penDownPackets;
        }
        held = available - at;
        std::copy(chunk.begin() + at, chunk.begin() + available, chunk.begin());
    }
    return true;
}

QJsonObject DeviceInfo(const DeviceFileSummary& summary)
{
    const DeviceHeaderState& h = summary.header;
    // The identifier is six bytes of text, padded with NULs when shorter.
    QByteArray identifier(h.identifier.data(), qsizetype(h.identifier.size()));
    const qsizetype end = identifier.indexOf('\0');
    if (end >= 0)
        identifier.truncate(end);
    return {
        {QStringLiteral("format"), QStringLiteral("device")},
        {QStringLiteral("identifier"), QString::fromLatin1(identifier)},
        {QStringLiteral("version"), qint64(h.version)},
        {QStringLiteral("origin"), int(h.origin)},
        {QStringLiteral("headerSize"), int(h.headerSize)},
        {QStringLiteral("model"), int(h.modelCode)},
        {QStringLiteral("odm"), int(h.odmCode)},
        {QStringLiteral("activeX"), qint64(h.activeAreaX)},
        {QStringLiteral("activeY"), qint64(h.activeAreaY)},
        {QStringLiteral("maxPressure"), qint64(h.maximumPressure)},
        {QStringLiteral("bytes"), summary.bytes},
        {QStringLiteral("packets"), summary.packets},
        {QStringLiteral("penDownPackets"), summary.penDownPackets},
    };
}
