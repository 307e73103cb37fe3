#include "BmpFile.h"

#include "ImageData.h"

#include <QFile>
#include <QtEndian>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <optional>

namespace {

// Compression codes of the info header.
constexpr DWORD BI_RGB = 0;
constexpr DWORD BI_RLE8 = 1;
constexpr DWORD BI_RLE4 = 2;
constexpr DWORD BI_BITFIELDS = 3;
constexpr DWORD BI_ALPHABITFIELDS = 6;

constexpr qsizetype kFileHeaderBytes = 14;  // "BM", file size, two reserved words, pixel offset
constexpr qsizetype kOffBitsAt = 10;        // of the pixel offset in the file header
constexpr DWORD kInfoHeaderBytes = 40;
constexpr DWORD kCoreHeaderBytes = 12;      // the old header: 16-bit sizes, no compression
constexpr qsizetype kSizeImageAt = 20;      // of biSizeImage in the info header
constexpr qsizetype kClrUsedAt = 32;        // of biClrUsed in the info header

enum class Header { Info, Core, Unreadable };

const uchar* Bytes(const QByteArray& bytes)
{
    return reinterpret_cast<const uchar*>(bytes.constData());
}

DWORD ReadDword(const QByteArray& bytes, qsizetype at)
{
    return qFromLittleEndian<quint32>(Bytes(bytes) + at);
}

void WriteDword(QByteArray& bytes, qsizetype at, DWORD value)
{
    qToLittleEndian<quint32>(value, bytes.data() + at);
}

// Reads the header at the start of block into info. The old 12-byte header is carried over
// with its fields widened; anything else shorter than 40 bytes, or claiming more bytes than
// the block has, is unreadable and leaves info all zero.
Header ReadHeader(const QByteArray& block, BITMAPINFOHEADER& info)
{
    info = BITMAPINFOHEADER{};
    const uchar* p = Bytes(block);
    const DWORD size = block.size() >= 4 ? ReadDword(block, 0) : 0;
    if (size >= kInfoHeaderBytes && size <= uint64_t(block.size())) {
        info = DecodeInfoHeader(p);
        return Header::Info;
    }
    if (size == kCoreHeaderBytes && block.size() >= qsizetype(kCoreHeaderBytes)) {
        info.biSize = size;
        info.biWidth = qFromLittleEndian<quint16>(p + 4);
        info.biHeight = qFromLittleEndian<quint16>(p + 6);
        info.biPlanes = qFromLittleEndian<quint16>(p + 8);
        info.biBitCount = qFromLittleEndian<quint16>(p + 10);
        return Header::Core;
    }
    info = BITMAPINFOHEADER{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};
    return Header::Unreadable;
}

// Colours in the table of a bitmap whose header gives no count.
DWORD DefaultColours(WORD bitCount)
{
    switch (bitCount) {
    case 1: return 2;
    case 4: return 16;
    case 8: return 256;
    default: return 0;
    }
}

// Pixel layouts decoded here: colour tables, 16 bits as 5-5-5, 24 and 32 bits as blue, green,
// red, and 16 or 32 bits with bit masks.
bool IsDecodable(WORD bitCount, DWORD compression)
{
    if (compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS)
        return bitCount == 16 || bitCount == 32;
    if (compression != BI_RGB)
        return false;
    switch (bitCount) {
    case 1: case 4: case 8: case 16: case 24: case 32: return true;
    default: return false;
    }
}

// Scales one colour channel, picked out of a pixel by its mask, to 0..255.
class Channel {
public:
    explicit Channel(DWORD mask)
        : m_mask(mask), m_shift(mask ? std::countr_zero(mask) : 0), m_max(mask >> m_shift)
    {
    }
    QRgb operator()(DWORD pixel) const
    {
        if (m_max == 0)
            return 0;
        return QRgb((uint64_t((pixel & m_mask) >> m_shift) * 255 + m_max / 2) / m_max);
    }

private:
    DWORD m_mask;
    int m_shift;
    uint64_t m_max;
};

// Where the pixels are and how they are laid out; all offsets count from the start of block.
struct Layout {
    int width = 0;
    int height = 0;
    bool topDown = false;
    uint64_t tableAt = 0;  // colour table
    uint64_t bitsAt = 0;   // first pixel row in the file
    uint64_t rowBytes = 0;
};

// Row y of the bitmap for the n-th row in the file.
QRgb* TargetRow(QImage& bitmap, const Layout& layout, int n)
{
    return reinterpret_cast<QRgb*>(bitmap.scanLine(layout.topDown ? n : layout.height - 1 - n));
}

// 1, 4 and 8 bits a pixel: indexes into the colour table. Indexes past the table are black.
void DecodeIndexed(const uchar* bits, const Layout& layout, int bitCount,
                   const std::array<QRgb, 256>& palette, QImage& bitmap)
{
    const int perByte = 8 / bitCount;
    const unsigned indexMask = (1u << bitCount) - 1;
    for (int n = 0; n < layout.height; ++n) {
        const uchar* in = bits + n * layout.rowBytes;
        QRgb* out = TargetRow(bitmap, layout, n);
        for (int x = 0; x < layout.width; ++x) {
            const int shift = 8 - bitCount * (x % perByte + 1);  // leftmost pixel in the high bits
            out[x] = palette[(in[x / perByte] >> shift) & indexMask];
        }
    }
}

void Decode24(const uchar* bits, const Layout& layout, QImage& bitmap)
{
    for (int n = 0; n < layout.height; ++n) {
        const uchar* in = bits + n * layout.rowBytes;
        QRgb* out = TargetRow(bitmap, layout, n);
        for (int x = 0; x < layout.width; ++x, in += 3)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
}

void Decode32(const uchar* bits, const Layout& layout, QImage& bitmap)
{
    for (int n = 0; n < layout.height; ++n) {
        const uchar* in = bits + n * layout.rowBytes;
        QRgb* out = TargetRow(bitmap, layout, n);
        for (int x = 0; x < layout.width; ++x, in += 4)
            out[x] = qRgb(in[2], in[1], in[0]);
    }
}

// 16 and 32 bits a pixel with the channels where the masks say.
void DecodeMasked(const uchar* bits, const Layout& layout, int bitCount, const DWORD masks[3],
                  QImage& bitmap)
{
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    const int pixelBytes = bitCount / 8;
    for (int n = 0; n < layout.height; ++n) {
        const uchar* in = bits + n * layout.rowBytes;
        QRgb* out = TargetRow(bitmap, layout, n);
        for (int x = 0; x < layout.width; ++x, in += pixelBytes) {
            const DWORD pixel = pixelBytes == 2 ? qFromLittleEndian<quint16>(in)
                                                : qFromLittleEndian<quint32>(in);
            out[x] = 0xFF000000u | (red(pixel) << 16) | (green(pixel) << 8) | blue(pixel);
        }
    }
}

// The file header's pixel offset, counted from the start of the block, when it lies past the
// info header and inside the file.
std::optional<uint64_t> FilePixelOffset(const QByteArray& file, const BITMAPINFOHEADER& info)
{
    const DWORD offBits = ReadDword(file, kOffBitsAt);
    if (offBits < kFileHeaderBytes + uint64_t(info.biSize) || offBits >= uint64_t(file.size()))
        return std::nullopt;
    return offBits - kFileHeaderBytes;
}

// Run-length pixels and the old header are left to Qt's reader, which takes the whole file.
QImage DecodeWithQt(const QByteArray& file)
{
    const QImage decoded = QImage::fromData(file, "BMP");
    if (decoded.isNull())
        return decoded;
    return decoded.convertToFormat(QImage::Format_RGB32);
}

QImage DecodePixels(const QByteArray& file, const QByteArray& block, const BITMAPINFOHEADER& info,
                    Header header)
{
    // 1. The size, checked before anything is allocated.
    const int64_t height = info.biHeight < 0 ? -int64_t(info.biHeight) : int64_t(info.biHeight);
    if (!IsPictureSizeAllowed(info.biWidth, height))
        return QImage();
    const WORD bitCount = info.biBitCount;
    const DWORD compression = info.biCompression;
    const std::optional<uint64_t> fileBitsAt = FilePixelOffset(file, info);
    if (header == Header::Core || (compression == BI_RLE8 && bitCount == 8)
        || (compression == BI_RLE4 && bitCount == 4)) {
        // Qt's reader finds the pixels by the file header's offset alone.
        return fileBitsAt ? DecodeWithQt(file) : QImage();
    }
    if (!IsDecodable(bitCount, compression))
        return QImage();

    // 2. The bit masks: after a 40-byte header, or inside a longer one at the same place.
    const bool masked = compression == BI_BITFIELDS || compression == BI_ALPHABITFIELDS;
    DWORD masks[3] = {0x7C00, 0x03E0, 0x001F};  // 5-5-5 unless the file says otherwise
    if (masked) {
        if (uint64_t(block.size()) < kInfoHeaderBytes + 12)
            return QImage();
        for (int i = 0; i < 3; ++i)
            masks[i] = ReadDword(block, kInfoHeaderBytes + 4 * i);
    }

    // 3. Where the colour table and the pixels are. The file header's pixel offset wins when
    //    there is one, so gaps and masks are stepped over.
    Layout layout;
    layout.width = int(info.biWidth);
    layout.height = int(height);
    layout.topDown = info.biHeight < 0;
    uint64_t maskBytes = 0;
    if (masked && info.biSize == kInfoHeaderBytes)
        maskBytes = compression == BI_BITFIELDS ? 12 : 16;  // the second adds an alpha mask
    layout.tableAt = info.biSize + maskBytes;
    layout.bitsAt = layout.tableAt + 4 * uint64_t(info.biClrUsed);
    if (fileBitsAt)
        layout.bitsAt = *fileBitsAt;
    layout.rowBytes = (uint64_t(layout.width) * bitCount + 31) / 32 * 4;
    if (layout.bitsAt + layout.rowBytes * uint64_t(layout.height) > uint64_t(block.size()))
        return QImage();

    std::array<QRgb, 256> palette;
    palette.fill(qRgb(0, 0, 0));
    if (bitCount <= 8) {
        const uint64_t entries = std::min<uint64_t>(info.biClrUsed, 1u << bitCount);
        if (layout.tableAt + 4 * entries > uint64_t(block.size()))
            return QImage();
        const uchar* quad = Bytes(block) + layout.tableAt;
        for (uint64_t i = 0; i < entries; ++i, quad += 4)
            palette[i] = qRgb(quad[2], quad[1], quad[0]);
    }

    // 4. The pixels.
    QImage bitmap(layout.width, layout.height, QImage::Format_RGB32);
    if (bitmap.isNull())
        return bitmap;
    const uchar* bits = Bytes(block) + layout.bitsAt;
    if (bitCount <= 8)
        DecodeIndexed(bits, layout, bitCount, palette, bitmap);
    else if (bitCount == 24)
        Decode24(bits, layout, bitmap);
    else if (bitCount == 32 && !masked)
        Decode32(bits, layout, bitmap);
    else
        DecodeMasked(bits, layout, bitCount, masks, bitmap);
    return bitmap;
}

}  // namespace

BmpLoad DecodeBmp(const QByteArray& file, BmpFileImage& image)
{
    image = BmpFileImage{};
    if (file.size() < kFileHeaderBytes || file[0] != 'B' || file[1] != 'M')
        return BmpLoad::NotBmp;

    image.block = file.mid(kFileHeaderBytes);
    const Header header = ReadHeader(image.block, image.info);
    if (header == Header::Unreadable)
        return BmpLoad::Loaded;

    // Fill in the counts the header may leave at zero, in the kept block as well.
    BITMAPINFOHEADER& info = image.info;
    const bool inBlock = header == Header::Info;
    if (info.biClrUsed == 0) {
        info.biClrUsed = DefaultColours(info.biBitCount);
        if (inBlock)
            WriteDword(image.block, kClrUsedAt, info.biClrUsed);
    }
    if (info.biSizeImage == 0) {
        info.biSizeImage = DWORD(info.biWidth) * DWORD(info.biHeight);
        if (inBlock)
            WriteDword(image.block, kSizeImageAt, info.biSizeImage);
    }

    image.bitmap = DecodePixels(file, image.block, info, header);
    return BmpLoad::Loaded;
}

BmpLoad LoadBmpFile(const QString& path, BmpFileImage& image)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        image = BmpFileImage{};
        return BmpLoad::Unreadable;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        image = BmpFileImage{};
        return BmpLoad::Unreadable;
    }
    return DecodeBmp(bytes, image);
}
