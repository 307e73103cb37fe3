#pragma once
// BMP files built byte by byte for the tests: file header, 40-byte info header, bit masks,
// colour table, an optional gap, then the pixel rows. The pixel offset in the file header is
// where the rows really start unless the test sets another.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QRgb>
#include <QtEndian>

#include <optional>
#include <vector>

struct BmpParts {
    LONG width = 1;
    LONG height = 1;  // negative: rows top-down
    WORD bitCount = 24;
    DWORD compression = 0;
    DWORD sizeImage = 0;
    DWORD clrUsed = 0;
    std::vector<DWORD> masks = {};     // written right after the header
    std::vector<QRgb> palette = {};    // written as blue, green, red, 0
    int gap = 0;                       // filler bytes (0xCD) between the table and the rows
    std::optional<DWORD> offBits = {}; // the file header's pixel offset, when not the true one
    std::vector<std::vector<BYTE>> rows = {};  // in file order; each padded here to 4 bytes
};

inline void AppendWord(QByteArray& out, WORD value)
{
    char bytes[2];
    qToLittleEndian<quint16>(value, bytes);
    out.append(bytes, 2);
}

inline void AppendDword(QByteArray& out, DWORD value)
{
    char bytes[4];
    qToLittleEndian<quint32>(value, bytes);
    out.append(bytes, 4);
}

inline QByteArray BuildBmp(const BmpParts& parts)
{
    QByteArray header;  // from byte 14 to the first pixel
    AppendDword(header, 40);
    AppendDword(header, DWORD(parts.width));
    AppendDword(header, DWORD(parts.height));
    AppendWord(header, 1);
    AppendWord(header, parts.bitCount);
    AppendDword(header, parts.compression);
    AppendDword(header, parts.sizeImage);
    AppendDword(header, 2835);  // 72 dpi
    AppendDword(header, 2835);
    AppendDword(header, parts.clrUsed);
    AppendDword(header, 0);
    for (DWORD mask : parts.masks)
        AppendDword(header, mask);
    for (QRgb colour : parts.palette) {
        header.append(char(qBlue(colour)));
        header.append(char(qGreen(colour)));
        header.append(char(qRed(colour)));
        header.append('\0');
    }
    header.append(parts.gap, char(0xCD));

    QByteArray pixels;
    for (const std::vector<BYTE>& row : parts.rows) {
        pixels.append(reinterpret_cast<const char*>(row.data()), qsizetype(row.size()));
        pixels.append((4 - row.size() % 4) % 4, '\0');
    }

    QByteArray file("BM");
    AppendDword(file, DWORD(14 + header.size() + pixels.size()));
    AppendDword(file, 0);
    AppendDword(file, parts.offBits.value_or(DWORD(14 + header.size())));
    return file + header + pixels;
}

// The 32-bit value at offset of bytes, little-endian.
inline DWORD DwordAt(const QByteArray& bytes, qsizetype offset)
{
    return qFromLittleEndian<quint32>(bytes.constData() + offset);
}
