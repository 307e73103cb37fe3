#include "platform/Archive.h"

#include <QBuffer>
#include <QByteArray>

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <optional>

namespace {

// The bytes a storing archive leaves in a buffer.
QByteArray Stored(const std::function<void(CArchive&)>& write)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    write(ar);
    ar.Close();
    return buffer.data();
}

// A buffer open for reading the given bytes; the archive reads it through `device`.
struct Source {
    explicit Source(QByteArray data) : bytes(std::move(data)), device(&bytes) { device.open(QIODevice::ReadOnly); }
    QByteArray bytes;
    QBuffer device;
};

// The cause of the archive error f raises, if any.
std::optional<CArchiveException::Cause> CauseOf(const std::function<void()>& f)
{
    try {
        f();
    } catch (const CArchiveException& e) {
        return e.m_cause;
    }
    return std::nullopt;
}

QByteArray Pattern(int size)
{
    QByteArray bytes(size, Qt::Uninitialized);
    for (int i = 0; i < size; ++i)
        bytes[i] = char((i * 7 + i / 251) & 0xFF);
    return bytes;
}

TEST(Archive, integers_round_trip_little_endian_byte_for_byte)
{
    const QByteArray bytes = Stored([](CArchive& ar) {
        ar << LONG(-2) << WORD(0x1234) << SHORT(-3) << DWORD(0xDEADBEEF) << BYTE(0xAB) << LONG(0x01020304);
    });
    EXPECT_EQ(bytes.toHex(' '), QByteArray("fe ff ff ff 34 12 fd ff ef be ad de ab 04 03 02 01"));

    Source in(bytes);
    CArchive ar(&in.device, CArchive::load);
    EXPECT_EQ(ar.BytesLeft(), 17);
    LONG l = 0, l2 = 0;
    WORD w = 0;
    SHORT s = 0;
    DWORD d = 0;
    BYTE b = 0;
    ar >> l >> w >> s >> d >> b;
    EXPECT_EQ(ar.BytesLeft(), 4);
    ar >> l2;
    EXPECT_EQ(ar.BytesLeft(), 0);
    EXPECT_EQ(l, -2);
    EXPECT_EQ(w, 0x1234);
    EXPECT_EQ(s, -3);
    EXPECT_EQ(d, 0xDEADBEEFu);
    EXPECT_EQ(b, 0xAB);
    EXPECT_EQ(l2, 0x01020304);
}

TEST(Archive, reading_past_the_end_raises_end_of_file)
{
    Source in(QByteArray::fromHex("010203"));
    CArchive ar(&in.device, CArchive::load);
    WORD w = 0;
    ar >> w;
    EXPECT_EQ(w, 0x0201);
    EXPECT_EQ(CauseOf([&] { ar >> w; }), CArchiveException::endOfFile);

    Source none({});
    CArchive empty(&none.device, CArchive::load);
    char block[8];
    EXPECT_EQ(CauseOf([&] { empty.Read(block, sizeof block); }), CArchiveException::endOfFile);
}

TEST(Archive, check_count_rejects_negative_and_oversized_counts)
{
    Source in(Pattern(40));
    CArchive ar(&in.device, CArchive::load);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(4, 10); }), std::nullopt);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(0, 10); }), std::nullopt);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(5, 10); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(-1, 10); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(-1, 0); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(2'000'000'000, 10); }), CArchiveException::endOfFile);
    // count * size does not fit in 64 bits here.
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(INT64_MAX / 2, 16); }), CArchiveException::endOfFile);

    // What remains counts, not the size of the stream.
    DWORD first = 0, second = 0;
    ar >> first >> second;
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(4, 8); }), std::nullopt);
    EXPECT_EQ(CauseOf([&] { ar.CheckCount(4, 10); }), CArchiveException::endOfFile);
}

TEST(Archive, writing_to_a_loading_archive_or_reading_a_storing_one_raises)
{
    Source in(Pattern(8));
    CArchive loading(&in.device, CArchive::load);
    EXPECT_EQ(CauseOf([&] { loading << DWORD(1); }), CArchiveException::readOnly);

    QBuffer out;
    out.open(QIODevice::WriteOnly);
    CArchive storing(&out, CArchive::store);
    storing << DWORD(7);
    DWORD d = 0;
    EXPECT_EQ(CauseOf([&] { storing >> d; }), CArchiveException::writeOnly);
}

TEST(Archive, large_writes_span_the_internal_buffer)
{
    const QByteArray block = Pattern(200'000);
    // One byte first, so that integers straddle the 64 KiB boundaries of the buffer.
    const QByteArray bytes = Stored([&](CArchive& ar) {
        ar << BYTE(0x5A);
        for (DWORD i = 0; i < 20'000; ++i)
            ar << DWORD(i * 2654435761u);
        ar.Write(block.constData(), size_t(block.size()));
        ar << WORD(0xBEEF);
    });
    ASSERT_EQ(bytes.size(), 1 + 80'000 + 200'000 + 2);
    EXPECT_EQ(bytes.mid(80'001, 200'000), block);

    Source in(bytes);
    CArchive ar(&in.device, CArchive::load);
    BYTE first = 0;
    ar >> first;
    EXPECT_EQ(first, 0x5A);
    for (DWORD i = 0; i < 20'000; ++i) {
        DWORD value = 0;
        ar >> value;
        ASSERT_EQ(value, DWORD(i * 2654435761u)) << i;
    }
    QByteArray readBack(block.size(), Qt::Uninitialized);
    ar.Read(readBack.data(), size_t(readBack.size()));
    EXPECT_EQ(readBack, block);
    WORD last = 0;
    ar >> last;
    EXPECT_EQ(last, 0xBEEF);
    EXPECT_EQ(ar.BytesLeft(), 0);
}

TEST(Archive, blocks_read_in_bulk_span_the_internal_buffer_and_stop_at_the_end)
{
    const QByteArray bytes = Pattern(200'000);
    Source in(bytes);
    CArchive ar(&in.device, CArchive::load);
    // 999-byte blocks: several of them run across a 64 KiB boundary of the read-ahead buffer.
    constexpr int kBlock = 999;
    int at = 0;
    for (; at + kBlock <= bytes.size(); at += kBlock)
        ASSERT_EQ(QByteArray(ar.ReadBlock(kBlock), kBlock), bytes.mid(at, kBlock)) << at;
    const qint64 left = bytes.size() - at;
    ASSERT_EQ(ar.BytesLeft(), left);
    // A block longer than the rest is refused whole, and the rest can still be read.
    EXPECT_EQ(CauseOf([&] { ar.ReadBlock(size_t(left) + 1); }), CArchiveException::endOfFile);
    EXPECT_EQ(CauseOf([&] { ar.ReadBlock(size_t(1) << 40); }), CArchiveException::endOfFile);
    EXPECT_EQ(QByteArray(ar.ReadBlock(size_t(left)), int(left)), bytes.mid(at));
    EXPECT_EQ(ar.BytesLeft(), 0);
}

TEST(Archive, storing_reaches_the_device_on_close_or_destruction)
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        CArchive ar(&buffer, CArchive::store);
        ar << DWORD(0x11223344);
    }
    EXPECT_EQ(buffer.data(), QByteArray::fromHex("44332211"));

    // A device that refuses the bytes makes Close() raise.
    Source readOnly({});
    CArchive ar(&readOnly.device, CArchive::store);
    ar << DWORD(1);
    EXPECT_EQ(CauseOf([&] { ar.Close(); }), CArchiveException::genericException);
}

}  // namespace
