#include "PngWriter.h"

#include "platform/SafeFile.h"

#include <QColorSpace>
#include <QFileDevice>
#include <QIODevice>
#include <QThread>

#include <png.h>
#include <zlib.h>

#include <fcntl.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <csetjmp>
#include <cstring>
#include <exception>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr qint64 kStripBytes = qint64(1) << 20;  // filtered bytes per strip, about
constexpr size_t kIdatBytes = size_t(1) << 20;   // the largest IDAT chunk written
constexpr int kWindowBits = 15;                  // zlib's 32 KiB window, as the header says
constexpr int kMemLevel = 8;                     // zlib's default
constexpr int kLongText = 40;                    // longer text values are compressed

// One horizontal strip of the image and what its rows became.
struct Strip {
    int firstRow = 0;
    int rows = 0;
    // Raw deflate blocks (after the zlib header in the first strip, before the trailer in the
    // last); left uninitialised, so only the pages written to are ever touched.
    std::unique_ptr<unsigned char[]> deflated;
    size_t capacity = 0;
    size_t used = 0;           // bytes of deflated that hold output
    uLong adler = 1;           // Adler-32 of the filtered rows
    qint64 filteredBytes = 0;  // the rows with their filter bytes, as zlib takes them
    bool ok = false;
};

// Makes room for at least bytes more output in strip, keeping what it holds.
void Reserve(Strip& strip, size_t bytes)
{
    if (strip.capacity - strip.used >= bytes)
        return;
    const size_t capacity = std::max(strip.used + bytes, strip.capacity * 2);
    auto grown = std::make_unique_for_overwrite<unsigned char[]>(capacity);
    if (strip.used > 0)
        std::memcpy(grown.get(), strip.deflated.get(), strip.used);
    strip.deflated = std::move(grown);
    strip.capacity = capacity;
}

struct Encoding {
    const QImage& image;
    int bytesPerPixel = 3;
    PngWriter::RowFilter filter = PngWriter::RowFilter::None;
    int strategy = Z_DEFAULT_STRATEGY;
    int level = 1;
};

// The row's pixels as PNG samples: R, G, B (and A) bytes.
void PackRow(const QImage& image, int y, int bytesPerPixel, unsigned char* out)
{
    const QRgb* pixels = reinterpret_cast<const QRgb*>(image.constScanLine(y));
    const int width = image.width();
    if (bytesPerPixel == 3) {
        for (int x = 0; x < width; ++x, out += 3) {
            const QRgb p = pixels[x];
            out[0] = (unsigned char)(p >> 16);
            out[1] = (unsigned char)(p >> 8);
            out[2] = (unsigned char)p;
        }
        return;
    }
    for (int x = 0; x < width; ++x, out += 4) {
        const QRgb p = pixels[x];
        out[0] = (unsigned char)(p >> 16);
        out[1] = (unsigned char)(p >> 8);
        out[2] = (unsigned char)p;
        out[3] = (unsigned char)(p >> 24);
    }
}

// out: the filter type byte, then the row filtered against prior (the raw row above, zeros
// above the first).
void FilterRow(PngWriter::RowFilter filter, const unsigned char* raw, const unsigned char* prior, int bytes,
               int bytesPerPixel, unsigned char* out)
{
    *out++ = (unsigned char)filter;
    switch (filter) {
    case PngWriter::RowFilter::None:
        std::memcpy(out, raw, size_t(bytes));
        return;
    case PngWriter::RowFilter::Sub:
        std::memcpy(out, raw, size_t(std::min(bytes, bytesPerPixel)));
        for (int i = bytesPerPixel; i < bytes; ++i)
            out[i] = (unsigned char)(raw[i] - raw[i - bytesPerPixel]);
        return;
    case PngWriter::RowFilter::Up:
        for (int i = 0; i < bytes; ++i)
            out[i] = (unsigned char)(raw[i] - prior[i]);
        return;
    }
}

// Runs deflate with flush until it has taken all input and, for Z_FINISH, ended the stream;
// grows strip's buffer when it fills.
bool Deflate(z_stream& stream, int flush, Strip& strip)
{
    for (;;) {
        Reserve(strip, 64);
        stream.next_out = strip.deflated.get() + strip.used;
        stream.avail_out = uInt(strip.capacity - strip.used);
        const int result = deflate(&stream, flush);
        strip.used = strip.capacity - stream.avail_out;
        if (result == Z_STREAM_ERROR)
            return false;
        if (flush == Z_FINISH ? result == Z_STREAM_END : stream.avail_in == 0 && stream.avail_out != 0)
            return true;
    }
}

// Filters the strip's rows and compresses them into raw deflate blocks: the last strip ends
// the stream, every other one ends in a full flush so the next strip's blocks may follow.
bool DeflateRows(const Encoding& encoding, bool lastStrip, z_stream& stream, Strip& strip)
{
    const int bytes = encoding.image.width() * encoding.bytesPerPixel;
    const size_t rowBytes = size_t(bytes);
    std::vector<unsigned char> raw(rowBytes), prior(rowBytes, 0), filtered(rowBytes + 1);
    if (strip.firstRow > 0)
        PackRow(encoding.image, strip.firstRow - 1, encoding.bytesPerPixel, prior.data());
    Reserve(strip, deflateBound(&stream, uLong(strip.filteredBytes)) + 16);
    for (int y = strip.firstRow; y < strip.firstRow + strip.rows; ++y) {
        if (encoding.filter == PngWriter::RowFilter::None) {
            filtered[0] = (unsigned char)PngWriter::RowFilter::None;
            PackRow(encoding.image, y, encoding.bytesPerPixel, filtered.data() + 1);
        } else {
            PackRow(encoding.image, y, encoding.bytesPerPixel, raw.data());
            FilterRow(encoding.filter, raw.data(), prior.data(), bytes, encoding.bytesPerPixel, filtered.data());
        }
        strip.adler = adler32(strip.adler, filtered.data(), uInt(filtered.size()));
        stream.next_in = filtered.data();
        stream.avail_in = uInt(filtered.size());
        if (!Deflate(stream, Z_NO_FLUSH, strip))
            return false;
        raw.swap(prior);
    }
    return Deflate(stream, lastStrip ? Z_FINISH : Z_FULL_FLUSH, strip);
}

void EncodeStrip(const Encoding& encoding, bool lastStrip, Strip& strip)
{
    z_stream stream{};
    if (deflateInit2(&stream, encoding.level, Z_DEFLATED, -kWindowBits, kMemLevel, encoding.strategy) != Z_OK)
        return;
    try {
        strip.ok = DeflateRows(encoding, lastStrip, stream, strip);
    } catch (const std::exception&) {
        strip.ok = false;  // out of memory
    }
    deflateEnd(&stream);
}

// Strips done by the threads, for the one that writes them in order.
class FinishedStrips {
public:
    explicit FinishedStrips(size_t count) : m_done(count, false) {}

    void Finish(size_t i)
    {
        {
            const std::lock_guard lock(m_mutex);
            m_done[i] = true;
        }
        m_changed.notify_all();
    }
    bool IsFinished(size_t i)
    {
        const std::lock_guard lock(m_mutex);
        return m_done[i];
    }
    void WaitFor(size_t i)
    {
        std::unique_lock lock(m_mutex);
        m_changed.wait(lock, [&] { return bool(m_done[i]); });
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<bool> m_done;
};

// Encodes every strip on as many threads as there are cores and strips. This thread encodes
// too, and between its strips hands each finished strip to write, in order, then frees it, so
// the file grows while the rest are compressed. After a failed write the remaining strips are
// skipped. Returns false when a strip could not be encoded or write failed.
bool EncodeStrips(const Encoding& encoding, std::vector<Strip>& strips, const std::function<bool(Strip&)>& write)
{
    const size_t count = strips.size();
    FinishedStrips finished(count);
    std::atomic<size_t> next{0};
    std::atomic<bool> stop{false};
    const auto encodeOne = [&](size_t i) {
        if (!stop)
            EncodeStrip(encoding, i + 1 == count, strips[i]);
        finished.Finish(i);
    };
    const auto work = [&] {
        for (size_t i = next++; i < count; i = next++)
            encodeOne(i);
    };
    const size_t threads = std::min(count, size_t(std::max(1, QThread::idealThreadCount())));
    // The helpers are joined however this returns (a jthread joins when destroyed): they
    // compress the caller's strips.
    std::vector<std::jthread> helpers;
    for (size_t t = 1; t < threads; ++t) {
        try {
            helpers.emplace_back(work);
        } catch (const std::exception&) {
            break;  // no more threads: the ones there share the strips
        }
    }
    bool ok = true;
    for (size_t written = 0; written < count;) {
        if (finished.IsFinished(written)) {
            Strip& strip = strips[written++];
            ok = ok && strip.ok && write(strip);
            stop = !ok;
            strip.deflated.reset();
            continue;
        }
        if (const size_t i = next++; i < count)
            encodeOne(i);
        else
            finished.WaitFor(written);
    }
    return ok;
}

// The zlib stream's two header bytes for level and strategy, as zlib itself writes them.
void PutZlibHeader(int level, int strategy, Strip& first)
{
    const unsigned flevel = strategy >= Z_HUFFMAN_ONLY || level < 2 ? 0 : level < 6 ? 1 : level == 6 ? 2 : 3;
    unsigned header = (0x78u << 8) | (flevel << 6);
    header += 31 - header % 31;
    Reserve(first, 2);
    first.deflated[0] = (unsigned char)(header >> 8);
    first.deflated[1] = (unsigned char)header;
    first.used = 2;
}

// Ends the zlib stream in the last strip with the Adler-32 of all strips' filtered rows,
// big-endian.
void PutZlibTrailer(uLong adler, Strip& last)
{
    Reserve(last, 4);
    for (int shift = 24; shift >= 0; shift -= 8)
        last.deflated[last.used++] = (unsigned char)(adler >> shift);
}

// Starts the disk on what the file holds so far, so that the sync before it replaces its
// target has little left to wait for.
void StartWriteback(QIODevice& device)
{
    auto* file = qobject_cast<QFileDevice*>(&device);
    if (file && file->handle() >= 0 && file->flush())
        ::sync_file_range(file->handle(), 0, 0, SYNC_FILE_RANGE_WRITE);
}

// Where libpng's output goes, and why it stopped.
struct Output {
    QIODevice* device = nullptr;
    QString deviceError;   // the device refused bytes
    char pngError[200] = {};  // libpng refused the image
};

void WriteBytes(png_structp png, png_bytep data, size_t length)
{
    Output* output = static_cast<Output*>(png_get_io_ptr(png));
    if (output->device->write(reinterpret_cast<const char*>(data), qint64(length)) != qint64(length)) {
        output->deviceError = output->device->errorString();
        png_error(png, "the file could not be written");
    }
}

void FlushNothing(png_structp) {}

void KeepError(png_structp png, png_const_charp message)
{
    Output* output = static_cast<Output*>(png_get_error_ptr(png));
    std::strncpy(output->pngError, message, sizeof output->pngError - 1);
    png_longjmp(png, 1);
}

void IgnoreWarning(png_structp, png_const_charp) {}

// The text of the image as Qt's PNG writer gives it: tEXt for printable Latin-1, iTXt for
// the rest, compressed when long. values holds the bytes the entries point to.
std::vector<png_text> TextEntries(const QImage& image, std::vector<QByteArray>& values)
{
    std::vector<png_text> entries;
    const QStringList keys = image.textKeys();
    values.reserve(size_t(keys.size()) * 3);
    for (const QString& key : keys) {
        if (key.isEmpty())
            continue;
        const QString value = image.text(key);
        const bool shortValue = value.size() < kLongText;
        const bool latin1 = std::all_of(value.begin(), value.end(), [](QChar c) {
            const ushort u = c.unicode();
            return u <= 0xff && (u >= 0x20 || u == '\n') && (u < 0x7f || u >= 0xa0);
        });
        png_text entry{};
        values.push_back(key.left(79).toLatin1());
        entry.key = values.back().data();
        if (latin1) {
            values.push_back(value.toLatin1());
            entry.compression = shortValue ? PNG_TEXT_COMPRESSION_NONE : PNG_TEXT_COMPRESSION_zTXt;
            entry.text_length = size_t(values.back().size());
        } else {
            values.push_back(value.toUtf8());
            entry.compression = shortValue ? PNG_ITXT_COMPRESSION_NONE : PNG_ITXT_COMPRESSION_zTXt;
            entry.itxt_length = size_t(values.back().size());
        }
        entry.text = values.back().data();
        if (!latin1) {
            values.push_back(key.toUtf8());
            entry.lang = const_cast<char*>("UTF-8");
            entry.lang_key = values.back().data();
        }
        entries.push_back(entry);
    }
    return entries;
}

// What goes into the chunks before the image data.
struct Header {
    int width = 0;
    int height = 0;
    bool alpha = false;
    int dotsPerMeterX = 0;
    int dotsPerMeterY = 0;
    const png_text* text = nullptr;
    int textCount = 0;
    QByteArray iccName;
    QByteArray iccProfile;
};

// The signature and the chunks before the image data. False after libpng refused them (the
// message is in output); libpng leaves through longjmp, so nothing here needs destroying.
bool WriteHeaderChunks(png_structp png, png_infop info, const Header& header)
{
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_IHDR(png, info, png_uint_32(header.width), png_uint_32(header.height), 8,
                 header.alpha ? PNG_COLOR_TYPE_RGB_ALPHA : PNG_COLOR_TYPE_RGB, PNG_INTERLACE_NONE,
                 PNG_COMPRESSION_TYPE_BASE, PNG_FILTER_TYPE_BASE);
    if (!header.iccProfile.isEmpty())
        png_set_iCCP(png, info, header.iccName.constData(), PNG_COMPRESSION_TYPE_BASE,
                     reinterpret_cast<png_const_bytep>(header.iccProfile.constData()),
                     png_uint_32(header.iccProfile.size()));
    if (header.dotsPerMeterX > 0 || header.dotsPerMeterY > 0)
        png_set_pHYs(png, info, png_uint_32(header.dotsPerMeterX), png_uint_32(header.dotsPerMeterY),
                     PNG_RESOLUTION_METER);
    if (header.textCount > 0)
        png_set_text(png, info, header.text, header.textCount);
    png_write_info(png, info);
    return true;
}

// Part of the zlib stream in IDAT chunks. False after libpng could not write them.
bool WriteDataChunks(png_structp png, const Strip& strip)
{
    static const png_byte kIdat[5] = "IDAT";
    if (setjmp(png_jmpbuf(png)))
        return false;
    for (size_t at = 0; at < strip.used; at += kIdatBytes)
        png_write_chunk(png, kIdat, strip.deflated.get() + at, std::min(kIdatBytes, strip.used - at));
    return true;
}

// The end of the file.
bool WriteEndChunk(png_structp png)
{
    static const png_byte kIend[5] = "IEND";
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_write_chunk(png, kIend, nullptr, 0);
    return true;
}

// Owns libpng's write structures.
class PngStructs {
public:
    explicit PngStructs(Output& output)
        : m_png(png_create_write_struct(PNG_LIBPNG_VER_STRING, &output, KeepError, IgnoreWarning))
    {
        if (!m_png)
            return;
        m_info = png_create_info_struct(m_png);
        png_set_write_fn(m_png, &output, WriteBytes, FlushNothing);
    }
    ~PngStructs() { png_destroy_write_struct(&m_png, m_info ? &m_info : nullptr); }
    PngStructs(const PngStructs&) = delete;  // libpng's structures have one owner
    PngStructs& operator=(const PngStructs&) = delete;

    bool Valid() const { return m_png && m_info; }
    png_structp Png() const { return m_png; }
    png_infop Info() const { return m_info; }

private:
    png_structp m_png = nullptr;
    png_infop m_info = nullptr;
};

}  // namespace

PngWriter::PngWriter(const QImage& image)
    : m_image(image.hasAlphaChannel() ? image.convertToFormat(QImage::Format_ARGB32)
                                      : image.convertToFormat(QImage::Format_RGB32))
{
}

int PngWriter::StripRows(int width, int bytesPerPixel)
{
    const qint64 rowBytes = qint64(width) * bytesPerPixel + 1;
    return int(std::max<qint64>(1, kStripBytes / rowBytes));
}

bool PngWriter::Write(QIODevice& device)
{
    if (m_image.isNull())
        return Fail(QStringLiteral("the picture is empty"));
    const bool alpha = m_image.hasAlphaChannel();
    const Encoding encoding{m_image, alpha ? 4 : 3, m_filter, m_matching == Matching::Runs ? Z_RLE : Z_DEFAULT_STRATEGY,
                            m_level};

    // 1. The chunks before the image data; libpng checks the size here.
    Output output;
    output.device = &device;
    PngStructs png(output);
    if (!png.Valid())
        return Fail(QStringLiteral("out of memory"));
    std::vector<QByteArray> textValues;
    const std::vector<png_text> text = TextEntries(m_image, textValues);
    Header header;
    header.width = m_image.width();
    header.height = m_image.height();
    header.alpha = alpha;
    header.dotsPerMeterX = m_image.dotsPerMeterX();
    header.dotsPerMeterY = m_image.dotsPerMeterY();
    header.text = text.data();
    header.textCount = int(text.size());
    if (m_image.colorSpace().isValid()) {
        header.iccProfile = m_image.colorSpace().iccProfile();
        header.iccName = m_image.colorSpace().description().toLatin1();
        if (header.iccName.isEmpty())
            header.iccName = QByteArrayLiteral("Custom");
    }
    if (!WriteHeaderChunks(png.Png(), png.Info(), header))
        return Fail(output.deviceError.isEmpty() ? QString::fromLatin1(output.pngError) : output.deviceError);

    // 2. The strips, compressed side by side into one zlib stream and written in order.
    const int stripRows = StripRows(m_image.width(), encoding.bytesPerPixel);
    const qint64 rowBytes = qint64(m_image.width()) * encoding.bytesPerPixel + 1;
    std::vector<Strip> strips;
    strips.reserve(size_t((m_image.height() + stripRows - 1) / stripRows));
    for (int y = 0; y < m_image.height(); y += stripRows) {
        Strip& strip = strips.emplace_back();
        strip.firstRow = y;
        strip.rows = std::min(stripRows, m_image.height() - y);
        strip.filteredBytes = rowBytes * strip.rows;
    }
    PutZlibHeader(encoding.level, encoding.strategy, strips.front());
    uLong adler = 1;  // of the strips written so far
    const auto writeStrip = [&](Strip& strip) {
        adler = &strip == &strips.front() ? strip.adler
                                          : adler32_combine(adler, strip.adler, z_off_t(strip.filteredBytes));
        if (&strip == &strips.back())
            PutZlibTrailer(adler, strip);
        if (!WriteDataChunks(png.Png(), strip))
            return false;
        StartWriteback(device);
        return true;
    };
    const bool written = EncodeStrips(encoding, strips, writeStrip);

    // 3. The end.
    if (!written || !WriteEndChunk(png.Png())) {
        if (!output.deviceError.isEmpty())
            return Fail(output.deviceError);
        return Fail(output.pngError[0] ? QString::fromLatin1(output.pngError) : QStringLiteral("out of memory"));
    }
    return true;
}

QString PngWriter::WriteFile(const QImage& image, const QString& path)
{
    SafeFile file(path);
    if (!file.Open())
        return file.ErrorString();
    PngWriter writer(image);
    if (!writer.Write(file.Device())) {
        file.Cancel();
        return writer.ErrorString();
    }
    return file.Commit() ? QString() : file.ErrorString();
}

bool PngWriter::Fail(const QString& why)
{
    m_error = why;
    return false;
}
