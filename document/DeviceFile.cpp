#include "DeviceFile.h"

#include "platform/ProfileFile.h"
#include "platform/Settings.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {

constexpr LONG kJump = 230;  // device units between two pen-down packets that still count as writing

BYTE Byte(const QByteArray& bytes, int at)
{
    return at < bytes.size() ? BYTE(bytes[at]) : 0;
}

WORD Word(const QByteArray& bytes, int at)
{
    return WORD(Byte(bytes, at) | (Byte(bytes, at + 1) << 8));
}

// printf formatting of a 32-bit value, as the report has always been written.
QString Format(const char* format, int value)
{
    return QString::asprintf(format, value);
}

}  // namespace

DeviceHeaderState& DeviceState()
{
    static DeviceHeaderState state;
    return state;
}

void ResetDeviceState()
{
    DeviceState().activeAreaX = 0;
    DeviceState().activeAreaY = 0;
}

void ReadHeaderInto(const QByteArray& header, DeviceHeaderState& state)
{
    for (int i = 0; i < 6; ++i)
        state.identifier[size_t(i)] = char(Byte(header, i));
    state.version = static_cast<signed char>(Byte(header, 6));
    state.origin = Byte(header, 9);
    state.headerSize = static_cast<signed char>(Byte(header, 10));
    state.modelCode = Byte(header, 12);
    state.odmCode = Byte(header, 13);
    state.activeAreaX = Word(header, 14);
    state.activeAreaY = Word(header, 16);
    state.maximumPressure = Word(header, 18);
}

QByteArray BuildHeader(const DeviceHeaderState& state)
{
    QByteArray header(kDeviceHeaderBytes, '\0');
    std::memcpy(header.data(), state.identifier.data(), 6);
    header[6] = char(state.version);
    header[9] = char(state.origin);
    header[10] = char(kDeviceHeaderBytes);
    header[12] = char(state.modelCode);
    header[13] = char(state.odmCode);
    const auto put = [&header](int at, DWORD value) {
        header[at] = char(value & 0xFF);
        header[at + 1] = char((value >> 8) & 0xFF);
    };
    put(14, state.activeAreaX);
    put(16, state.activeAreaY);
    put(18, state.maximumPressure);
    return header;
}

DevicePacket DecodePacket(const char* bytes)
{
    const auto b = [bytes](int i) { return BYTE(bytes[i]); };
    DevicePacket packet;
    packet.x = WORD(b(1) | (b(2) << 8));
    packet.y = WORD(b(3) | (b(4) << 8));
    packet.pressure = WORD(b(5) | ((b(0) & 0x80) << 1));
    packet.buttons = BYTE((b(0) >> 2) & 7);
    return packet;
}

std::array<char, kDevicePacketBytes> EncodePacket(WORD x, WORD y, DWORD pressure, DWORD isLive)
{
    pressure = std::min(pressure, kMaxDevicePressure);
    BYTE flags = BYTE(((pressure >> 1) & 0x80) + ((isLive & 0xFF) << 2));
    if (isLive != 0)
        flags = BYTE(flags + 3);
    return {char(flags), char(x & 0xFF), char(x >> 8), char(y & 0xFF), char(y >> 8), char(pressure & 0xFF)};
}

std::array<char, kDevicePacketBytes> PenUpCopy(std::array<char, kDevicePacketBytes> packet)
{
    packet[0] = char(BYTE(packet[0]) & 0xE0);
    return packet;
}

bool DeviceBlockFilter::Keep(DevicePacket& packet, const DevicePacket* previous, DWORD activeAreaX, DWORD activeAreaY)
{
    if (previous && packet.buttons != 0 && previous->buttons != 0
        && (std::abs(LONG(packet.x) - LONG(previous->x)) > kJump || std::abs(LONG(packet.y) - LONG(previous->y)) > kJump))
        return false;
    if (packet.x >= activeAreaX || packet.x == 0) {
        if (packet.buttons != 0)
            return false;
        packet.x = 1;
    }
    if (packet.y >= activeAreaY || packet.y == 0) {
        if (packet.buttons != 0)
            return false;
        packet.y = 1;
    }
    return true;
}

ScreenPoint DeviceToScreen(const DevicePacket& packet, double w, double h, LONG left, LONG top, DWORD activeAreaX,
                           DWORD activeAreaY)
{
    ScreenPoint p;
    p.x = LONG(std::trunc(double(packet.y) * w / double(activeAreaY))) + left;
    p.y = LONG(std::trunc((double(activeAreaX) - double(packet.x)) * h / double(activeAreaX))) + top;
    if (p.x <= 0)
        p.x = 1;
    if (p.y <= 0)
        p.y = 1;
    return p;
}

void PageToDevice(LONG px, LONG py, double zoom, double w, double h, DWORD activeAreaX, DWORD activeAreaY, LONG& devX,
                  LONG& devY)
{
    devY = LONG(std::trunc(double(px) * zoom * double(activeAreaY) / w));
    devX = LONG(activeAreaX) - LONG(std::trunc(double(py) * zoom * double(activeAreaX) / h));
}

void WriteDeviceReport(const QString& reportFile, const DeviceHeaderState& state)
{
    using namespace Report;
    const auto write = [&reportFile](const char* section, const char* key, const QString& value) {
        WritePrivateProfileString(QString::fromLatin1(section), QString::fromLatin1(key), value, reportFile);
    };
    write(FileSection, FileSize, Format("%8d", int(state.fileSize)));
    write(HeaderSection, IdentifierName,
          QString::fromLatin1(state.identifier.data(), 6) + QString(14, QLatin1Char(' ')));
    write(HeaderSection, OriginPoint, Format("%2x   ", int(state.origin)));
    write(HeaderSection, HeaderFormatVersion, Format("%2x    ", int(state.version)));
    write(HeaderSection, FileHeaderSize, Format("%6d    ", int(WORD(state.headerSize))));
    write(ProductSection, ModelCode, Format(" %2x. ", int(state.modelCode)));
    write(ProductSection, OdmCode, Format(" %2x. ", int(state.odmCode)));
    write(ProductSection, ActiveAreaX, Format("Width =%6d.      ", int(state.activeAreaX)));
    write(ProductSection, ActiveAreaY, Format("Height =%6d.   ", int(state.activeAreaY)));
    write(ProductSection, Maximum, Format("Pressure =%6d.  ", int(state.maximumPressure)));
}

void WriteDevicePacketCount(const QString& reportFile, const DeviceHeaderState& state)
{
    WritePrivateProfileString(QString::fromLatin1(Report::PacketSection), QString::fromLatin1(Report::PacketCount),
                              Format("%8d", int(state.packetCount)), reportFile);
}
