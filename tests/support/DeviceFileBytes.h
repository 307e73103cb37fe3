#pragma once
// Device files (.QVN) built byte by byte for tests: a 32-byte header, then 6-byte packets, the
// tip down while (byte0 >> 2) & 7 is not 0.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QFile>
#include <QString>

namespace DeviceFileBytes {

constexpr WORD kAreaX = 4000;  // device units
constexpr WORD kAreaY = 4125;

inline QByteArray Header(WORD areaX = kAreaX, WORD areaY = kAreaY)
{
    QByteArray h(32, '\0');
    h.replace(0, 6, "QORVEN");
    h[10] = char(32);
    const auto put = [&h](int at, WORD value) {
        h[at] = char(value & 0xFF);
        h[at + 1] = char(value >> 8);
    };
    put(14, areaX);
    put(16, areaY);
    put(18, 511);
    return h;
}

inline QByteArray Packet(WORD x, WORD y, WORD pressure, bool down)
{
    const BYTE flags = BYTE((down ? 3 | 1 << 2 : 0) | ((pressure >> 8) & 1) << 7);
    const char bytes[6] = {char(flags), char(x & 0xFF), char(x >> 8), char(y & 0xFF), char(y >> 8),
                           char(pressure & 0xFF)};
    return QByteArray(bytes, 6);
}

// count pen-down packets 100 units apart along the notepad's Y axis (across the page) at
// notepad height x, all at one pressure; with lift, a pen-up packet where the pen left.
inline QByteArray Stroke(WORD x, WORD y, int count, WORD pressure = 300, bool lift = true)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += Packet(x, WORD(y + 100 * i), pressure, true);
    return lift ? bytes + Packet(x, WORD(y + 100 * (count - 1)), 0, false) : bytes;
}

// Three strokes of 5, 4 and 6 points on three lines of the page.
inline QByteArray ThreeStrokes()
{
    return Header() + Stroke(3600, 400, 5) + Stroke(3000, 400, 4) + Stroke(2400, 400, 6);
}

inline bool Write(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

}  // namespace DeviceFileBytes
