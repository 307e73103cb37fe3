#include "pictures/PngWriter.h"

#include "ink/CLine.h"
#include "platform/DrawingSurface.h"

#include <gtest/gtest.h>

#include <QBuffer>
#include <QColorSpace>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QTemporaryDir>

#include <zlib.h>

#include <cmath>
#include <random>

namespace {

constexpr COLORREF kPaper = RGB(255, 255, 255);
constexpr COLORREF kRule = RGB(160, 200, 230);

// A page as the program draws it: paper, a ruled line every 90 rows, and brush strokes of
// ink as wide as the pen presses, wandering across the page.
QImage InkedPage(int width, int height, int strokes)
{
    DrawingSurface page(DrawingSurface::CreateBitmap(width, height));
    page.FillSolidRect(CRect(0, 0, width, height), kPaper);
    for (int y = 89; y < height; y += 90)
        page.FillSolidRect(CRect(0, y, width, y + 1), kRule);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> across(0, width - 1), down(0, height - 1), step(-40, 40), wide(1, 255);
    for (int s = 0; s < strokes; ++s) {
        CLine line;
        line.SetColor(s % 3 == 0 ? RGB(20, 40, 110) : s % 3 == 1 ? RGB(200, 30, 30) : RGB(0, 0, 0));
        line.SetPenType(s % 2 == 0 ? 3 : 2, 1);
        LONG x = across(random), y = down(random);
        for (int p = 0; p < 30; ++p) {
            line.AddPoint(x, y, SHORT(wide(random)));
            x += step(random);
            y += step(random);
        }
        line.Draw(&page);
    }
    return page.Bitmap().copy();
}

// Every byte different from its neighbours, so no filter or match makes it small.
QImage Noise(int width, int height, QImage::Format format)
{
    QImage image(width, height, format);
    std::mt19937 random(11);
    for (int y = 0; y < height; ++y) {
        QRgb* row = reinterpret_cast<QRgb*>(image.scanLine(y));
        for (int x = 0; x < width; ++x)
            row[x] = random();
    }
    return image;
}

QByteArray Encoded(const QImage& image, PngWriter::RowFilter filter = PngWriter::RowFilter::None,
                   PngWriter::Matching matching = PngWriter::Matching::Strings)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    PngWriter writer(image);
    writer.SetRowFilter(filter);
    writer.SetMatching(matching);
    EXPECT_TRUE(writer.Write(buffer)) << qPrintable(writer.ErrorString());
    return bytes;
}

struct Chunk {
    QByteArray type;
    QByteArray data;
};

quint32 BigEndian(const char* bytes)
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes);
    return quint32(b[0]) << 24 | quint32(b[1]) << 16 | quint32(b[2]) << 8 | b[3];
}

// The file's chunks in order; empty when the signature, a length or a CRC is wrong.
std::vector<Chunk> Chunks(const QByteArray& file)
{
    if (!file.startsWith("\x89PNG\r\n\x1a\n"))
        return {};
    std::vector<Chunk> chunks;
    for (qsizetype at = 8; at < file.size();) {
        if (file.size() - at < 12)
            return {};
        const qsizetype length = BigEndian(file.constData() + at);
        if (file.size() - at - 12 < length)
            return {};
        const QByteArray typeAndData = file.mid(at + 4, 4 + length);
        const quint32 crc = quint32(
            crc32(0, reinterpret_cast<const Bytef*>(typeAndData.constData()), uInt(typeAndData.size())));
        if (crc != BigEndian(file.constData() + at + 8 + length))
            return {};
        chunks.push_back({typeAndData.left(4), typeAndData.mid(4)});
        at += 12 + length;
    }
    return chunks;
}

// The image data inflated as one zlib stream, its Adler-32 checked; empty when the stream is
// damaged or does not end exactly at the end of the data.
QByteArray Inflated(const std::vector<Chunk>& chunks)
{
    QByteArray stream;
    for (const Chunk& chunk : chunks)
        if (chunk.type == "IDAT")
            stream += chunk.data;
    z_stream z{};
    if (inflateInit(&z) != Z_OK)
        return {};
    QByteArray out;
    char buffer[65536];
    z.next_in = reinterpret_cast<Bytef*>(stream.data());
    z.avail_in = uInt(stream.size());
    int result = Z_OK;
    while (result == Z_OK) {
        z.next_out = reinterpret_cast<Bytef*>(buffer);
        z.avail_out = sizeof buffer;
        result = inflate(&z, Z_NO_FLUSH);
        out.append(buffer, qsizetype(sizeof buffer - z.avail_out));
    }
    const bool whole = result == Z_STREAM_END && z.avail_in == 0;
    inflateEnd(&z);
    return whole ? out : QByteArray();
}

// The image as Qt's own PNG writer writes it and reads it back.
QImage ThroughQt(const QImage& image)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    EXPECT_TRUE(image.save(&buffer, "PNG", 100));  // stored, not compressed: quick
    return QImage::fromData(bytes, "PNG");
}

// The first pixel where the decoded file differs from the image, or "same".
std::string Difference(const QImage& image, const QByteArray& file)
{
    const QImage decoded = QImage::fromData(file, "PNG");
    if (decoded.size() != image.size())
        return "decoded size differs";
    if (decoded.hasAlphaChannel() != image.hasAlphaChannel())
        return "alpha differs";
    // Both as 0xAARRGGBB, which is what pixel() answers for every format.
    const QImage a = image.convertToFormat(QImage::Format_ARGB32);
    const QImage b = decoded.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < a.height(); ++y) {
        const QRgb* rowA = reinterpret_cast<const QRgb*>(a.constScanLine(y));
        const QRgb* rowB = reinterpret_cast<const QRgb*>(b.constScanLine(y));
        for (int x = 0; x < a.width(); ++x)
            if (rowA[x] != rowB[x])
                return "pixel " + std::to_string(x) + "," + std::to_string(y) + " differs";
    }
    return "same";
}

struct Case {
    const char* name;
    QImage image;
    int bytesPerPixel;
};

TEST(PngWriter, every_shape_decodes_to_its_pixels_in_one_valid_stream)
{
    QImage seeThrough = InkedPage(301, 777, 40).convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < seeThrough.height(); ++y)
        for (int x = 0; x < seeThrough.width(); ++x)
            if (seeThrough.pixel(x, y) == 0xFFFFFFFF)
                seeThrough.setPixel(x, y, qRgba(x % 256, y % 256, 255, (x + y) % 3 == 0 ? 0 : 128));
    const QImage premultiplied = Noise(517, 403, QImage::Format_ARGB32).convertToFormat(QImage::Format_ARGB32_Premultiplied);
    const Case cases[] = {
        {"page of ink", InkedPage(1920, 1440, 200), 3},
        {"odd width, many strips", InkedPage(1001, 2001, 60), 3},
        {"noise", Noise(641, 1700, QImage::Format_RGB32), 3},
        {"one row", InkedPage(1920, 1, 3), 3},
        {"one row wider than a strip", Noise(400000, 1, QImage::Format_RGB32), 3},
        {"one column", Noise(1, 5000, QImage::Format_RGB32), 3},
        {"alpha", seeThrough, 4},
        {"premultiplied alpha", premultiplied, 4},
        {"greyscale", InkedPage(333, 900, 20).convertToFormat(QImage::Format_Grayscale8), 3},
    };
    const PngWriter::RowFilter filters[] = {PngWriter::RowFilter::None, PngWriter::RowFilter::Sub,
                                            PngWriter::RowFilter::Up};
    for (const Case& c : cases) {
        const QImage reference = ThroughQt(c.image);
        for (const PngWriter::RowFilter filter : filters) {
            for (const PngWriter::Matching matching : {PngWriter::Matching::Strings, PngWriter::Matching::Runs}) {
                const std::string what = std::string(c.name) + ", filter " + std::to_string(int(filter)) +
                                         (matching == PngWriter::Matching::Runs ? ", runs" : ", strings");
                const QByteArray file = Encoded(c.image, filter, matching);
                const std::vector<Chunk> chunks = Chunks(file);
                ASSERT_FALSE(chunks.empty()) << what;
                EXPECT_EQ(chunks.front().type, "IHDR") << what;
                EXPECT_EQ(chunks.back().type, "IEND") << what;
                const QByteArray rows = Inflated(chunks);
                const qsizetype rowBytes = 1 + qsizetype(c.image.width()) * c.bytesPerPixel;
                ASSERT_EQ(rows.size(), rowBytes * c.image.height()) << what;
                EXPECT_EQ(rows.at(rowBytes * (c.image.height() - 1)), char(filter)) << what;
                EXPECT_EQ(Difference(reference, file), "same") << what;
            }
        }
    }
}

TEST(PngWriter, a_page_cut_into_strips_gives_the_same_bytes_every_time)
{
    const QImage page = InkedPage(1200, 1800, 60);
    ASSERT_GT(page.height() / PngWriter::StripRows(page.width(), 3), 4);
    const QByteArray first = Encoded(page);
    for (int run = 0; run < 5; ++run)
        EXPECT_EQ(Encoded(page), first) << run;
}

TEST(PngWriter, resolution_text_and_colour_space_come_back_from_the_file)
{
    QImage image = InkedPage(64, 48, 2);
    image.setDotsPerMeterX(3937);
    image.setDotsPerMeterY(2000);
    image.setText(QStringLiteral("Title"), QStringLiteral("Shopping list"));
    image.setText(QStringLiteral("Description"), QStringLiteral("Written on the tablet on a long afternoon, page two"));
    image.setText(QStringLiteral("Author"), QStringLiteral("Zoë Łukasiewicz"));
    image.setColorSpace(QColorSpace::SRgb);
    const QImage decoded = QImage::fromData(Encoded(image), "PNG");
    EXPECT_EQ(decoded.dotsPerMeterX(), 3937);
    EXPECT_EQ(decoded.dotsPerMeterY(), 2000);
    EXPECT_EQ(decoded.text(QStringLiteral("Title")), QStringLiteral("Shopping list"));
    EXPECT_EQ(decoded.text(QStringLiteral("Description")),
              QStringLiteral("Written on the tablet on a long afternoon, page two"));
    EXPECT_EQ(decoded.text(QStringLiteral("Author")), QStringLiteral("Zoë Łukasiewicz"));
    EXPECT_EQ(decoded.colorSpace(), QColorSpace(QColorSpace::SRgb));
    EXPECT_EQ(Difference(image, Encoded(image)), "same");
}

// Takes limit bytes, then refuses every write as a full disk does.
class FullDevice : public QBuffer {
public:
    explicit FullDevice(qint64 limit) : m_limit(limit) { open(QIODevice::WriteOnly); }

protected:
    qint64 writeData(const char* data, qint64 length) override
    {
        if (size() + length > m_limit) {
            setErrorString(QStringLiteral("No space left on device"));
            return -1;
        }
        return QBuffer::writeData(data, length);
    }

private:
    qint64 m_limit;
};

TEST(PngWriter, a_refused_write_or_a_missing_folder_is_reported_and_leaves_the_old_file)
{
    const QImage page = InkedPage(800, 1200, 30);
    for (const qint64 limit : {0, 20, 100, 40000}) {
        FullDevice device(limit);
        PngWriter writer(page);
        EXPECT_FALSE(writer.Write(device)) << limit;
        EXPECT_EQ(writer.ErrorString(), QStringLiteral("No space left on device")) << limit;
    }
    PngWriter empty{QImage()};
    FullDevice device(1 << 20);
    EXPECT_FALSE(empty.Write(device));
    EXPECT_FALSE(empty.ErrorString().isEmpty());

    // A file that cannot be finished leaves the old one as it was, and nothing beside it.
    QTemporaryDir dir;
    const QString old = dir.filePath(QStringLiteral("page.png"));
    QFile file(old);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("the old page");
    file.close();
    EXPECT_FALSE(PngWriter::WriteFile(QImage(), old).isEmpty());
    EXPECT_FALSE(PngWriter::WriteFile(page, dir.filePath(QStringLiteral("missing/page.png"))).isEmpty());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(file.readAll(), QByteArray("the old page"));
    file.close();
    EXPECT_EQ(QDir(dir.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{QStringLiteral("page.png")});

    EXPECT_EQ(PngWriter::WriteFile(page, old), QString());
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    EXPECT_EQ(Difference(page, file.readAll()), "same");
}

}  // namespace
