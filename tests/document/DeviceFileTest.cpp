// The device file format: packets, the block filter, the conversions and the report.

#include "QtPrinting.h"

#include "document/DeviceFile.h"
#include "platform/ProfileFile.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

DevicePacket Pen(WORD x, WORD y, BYTE buttons = 1, WORD pressure = 300)
{
    return {x, y, pressure, buttons};
}

}  // namespace

TEST(DevicePackets, decode_takes_pressure_bit_8_and_buttons_from_the_flags)
{
    const char bytes[6] = {char(0x80 | (1 << 2) | 3), 0x34, 0x12, 0x78, 0x06, char(0xFF)};
    const DevicePacket p = DecodePacket(bytes);
    EXPECT_EQ(p.x, 0x1234);
    EXPECT_EQ(p.y, 0x0678);
    EXPECT_EQ(p.pressure, 511);
    EXPECT_EQ(p.buttons, 1);
}

TEST(DevicePackets, live_points_are_pen_down_and_the_pen_up_copy_keeps_only_the_high_bit)
{
    const auto live = EncodePacket(1000, 2000, 300, 1);
    EXPECT_EQ(BYTE(live[0]), 0x80 + 4 + 3);  // pressure bit 8, tip down, pen-down marks
    EXPECT_EQ(DecodePacket(live.data()).x, 1000);
    EXPECT_EQ(DecodePacket(live.data()).y, 2000);
    EXPECT_EQ(DecodePacket(live.data()).pressure, 300);
    EXPECT_EQ(BYTE(PenUpCopy(live)[0]), 0x80);
    const auto loaded = EncodePacket(5, 6, 100, 0);  // a point read from a note
    EXPECT_EQ(BYTE(loaded[0]), 0);
    EXPECT_EQ(DecodePacket(loaded.data()).buttons, 0);
}

TEST(DevicePackets, pressure_above_511_is_written_as_a_full_press_not_wrapped_round)
{
    for (const DWORD pressure : {511u, 512u, 600u, 1023u, 70000u})
        EXPECT_EQ(DecodePacket(EncodePacket(1, 1, pressure, 1).data()).pressure, 511) << pressure;
}

TEST(DeviceFilter, jumps_over_230_units_between_pen_down_packets_are_dropped)
{
    const DevicePacket previous = Pen(1000, 1000);
    DevicePacket near = Pen(1230, 1000);
    DevicePacket far = Pen(1231, 1000);
    DevicePacket farUp = Pen(1231, 1500, 0);
    EXPECT_TRUE(DeviceBlockFilter::Keep(near, &previous, 4000, 4125));
    EXPECT_FALSE(DeviceBlockFilter::Keep(far, &previous, 4000, 4125));
    EXPECT_TRUE(DeviceBlockFilter::Keep(farUp, &previous, 4000, 4125));
    EXPECT_TRUE(DeviceBlockFilter::Keep(far, nullptr, 4000, 4125));  // first of a block
}

TEST(DeviceFilter, outside_the_active_area_pen_up_is_pulled_in_and_pen_down_dropped)
{
    DevicePacket upAtZero = Pen(0, 500, 0);
    EXPECT_TRUE(DeviceBlockFilter::Keep(upAtZero, nullptr, 4000, 4125));
    EXPECT_EQ(upAtZero.x, 1);
    DevicePacket upPastY = Pen(300, 4125, 0);
    EXPECT_TRUE(DeviceBlockFilter::Keep(upPastY, nullptr, 4000, 4125));
    EXPECT_EQ(upPastY.y, 1);
    DevicePacket downAtZero = Pen(0, 500);
    DevicePacket downPastX = Pen(4000, 500);
    EXPECT_FALSE(DeviceBlockFilter::Keep(downAtZero, nullptr, 4000, 4125));
    EXPECT_FALSE(DeviceBlockFilter::Keep(downPastX, nullptr, 4000, 4125));
}

TEST(DeviceConversion, the_notepad_lies_a_quarter_turn_against_the_page)
{
    // Device Y runs along the page's width, device X up from its bottom.
    const ScreenPoint p = DeviceToScreen(Pen(1000, 2062), 482, 652, 10, 20, 4000, 4125);
    EXPECT_EQ(p.x, LONG(2062.0 * 482 / 4125) + 10);
    EXPECT_EQ(p.y, LONG(3000.0 * 652 / 4000) + 20);
    const ScreenPoint corner = DeviceToScreen(Pen(4000, 0), 482, 652, 0, 0, 4000, 4125);
    EXPECT_EQ(corner.x, 1);  // 0 or below becomes 1
    EXPECT_EQ(corner.y, 1);

    LONG devX = 0, devY = 0;
    PageToDevice(240, 600, 0.5, 482, 652, 4000, 4125, devX, devY);
    EXPECT_EQ(devY, LONG(240 * 0.5 * 4125 / 482));
    EXPECT_EQ(devX, 4000 - LONG(600 * 0.5 * 4000 / 652));
}

TEST(DeviceHeader, missing_bytes_read_as_zero_and_written_headers_say_32)
{
    DeviceHeaderState state;
    ReadHeaderInto(QByteArray::fromHex("51 4f 52 56 45 4e ff 00 00 07 20 00 05 06 a0 0f 1a 10"), state);
    EXPECT_EQ(QByteArray(state.identifier.data(), 6), "QORVEN");
    EXPECT_EQ(state.version, -1);
    EXPECT_EQ(state.origin, 7);
    EXPECT_EQ(state.modelCode, 5);
    EXPECT_EQ(state.odmCode, 6);
    EXPECT_EQ(state.activeAreaX, 4000u);
    EXPECT_EQ(state.activeAreaY, 4122u);
    EXPECT_EQ(state.maximumPressure, 0u);  // beyond the bytes given
    const QByteArray header = BuildHeader(state);
    ASSERT_EQ(header.size(), 32);
    EXPECT_EQ(BYTE(header[10]), 32);
    EXPECT_EQ(header.mid(14, 4), QByteArray::fromHex("a00f1a10"));
}

TEST(DeviceReport, keys_keep_their_trailing_blank_and_values_their_format)
{
    QTemporaryDir dir;
    const QString report = dir.filePath("Tavlo01.ini");
    DeviceHeaderState state;
    std::memcpy(state.identifier.data(), "QORVEN", 6);
    state.version = 1;
    state.origin = 0x1a;
    state.headerSize = 32;
    state.modelCode = 0x2b;
    state.odmCode = 3;
    state.activeAreaX = 4000;
    state.activeAreaY = 4250;
    state.maximumPressure = 511;
    state.fileSize = 1232;
    state.packetCount = 200;
    WriteDeviceReport(report, state);
    WriteDevicePacketCount(report, state);
    QFile file(report);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.contains("[Tavlo File]\nQVN File Size =    1232\n")) << text;
    EXPECT_TRUE(text.contains("Identifier Name =QORVEN              \n"));
    EXPECT_TRUE(text.contains("Origin Point =1a   \n"));
    EXPECT_TRUE(text.contains("Header Format Version = 1    \n"));
    EXPECT_TRUE(text.contains("File Header Size =    32    \n"));
    EXPECT_TRUE(text.contains("[Product]\nModel Code = 2b. \nODM Code =  3. \n"));
    EXPECT_TRUE(text.contains("Active Area X =Width =  4000.      \nActive Area Y =Height =  4250.   \n"));
    EXPECT_TRUE(text.contains("Maximum =Pressure =   511.  \n"));
    EXPECT_TRUE(text.contains("[Tavlo File Packet Number]\nData Packets Count =     200\n"));
}
