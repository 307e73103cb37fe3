#pragma once
// Device files of the offline notepad (".QVN"): a 32-byte header, then 6-byte packets to the
// end of the file. The header values of the last file read are kept process-wide and copied
// into every device file written; a small INI report describes the last file read.

#include "platform/WinTypes.h"

#include <QByteArray>
#include <QString>

#include <array>
#include <optional>

constexpr int kDeviceHeaderBytes = 32;
constexpr int kDevicePacketBytes = 6;
constexpr int kDeviceBlockBytes = 1200;  // 200 packets
constexpr int kDeviceBlockPackets = kDeviceBlockBytes / kDevicePacketBytes;
constexpr DWORD kMaxDevicePressure = 511;  // nine bits: the low byte and bit 7 of the flags

// The header values shared by the import and the writer.
struct DeviceHeaderState {
    std::array<char, 6> identifier{};
    LONG version = 0;          // signed byte 6
    BYTE origin = 0;           // byte 9
    SHORT headerSize = 0;      // signed byte 10
    BYTE modelCode = 0;        // byte 12
    BYTE odmCode = 0;          // byte 13
    DWORD activeAreaX = 0;     // device units
    DWORD activeAreaY = 0;
    DWORD maximumPressure = 0;
    DWORD fileSize = 0;        // bytes of the last file read
    DWORD packetCount = 0;     // packets kept by the current or last import
};

// The one state of the process.
DeviceHeaderState& DeviceState();
// Forgets the active areas, so a file written without an import takes them from the tablet.
void ResetDeviceState();

// Takes the header fields from the first bytes of a file; missing bytes count as 0.
void ReadHeaderInto(const QByteArray& header, DeviceHeaderState& state);
// The 32 header bytes a written file starts with.
QByteArray BuildHeader(const DeviceHeaderState& state);

struct DevicePacket {
    WORD x = 0;         // device units
    WORD y = 0;
    WORD pressure = 0;  // 0..511
    BYTE buttons = 0;   // 0 pen up, 1 tip down
};

DevicePacket DecodePacket(const char* bytes);
// The packet of a point: flag byte from pressure bit 8 and the live flag, pen-down marks.
// Pressure above 511 is written as 511, never wrapped round.
std::array<char, kDevicePacketBytes> EncodePacket(WORD x, WORD y, DWORD pressure, DWORD isLive);
// The same packet as a pen-up: only the pressure's high bit stays in the flags.
std::array<char, kDevicePacketBytes> PenUpCopy(std::array<char, kDevicePacketBytes> packet);

// Filters packets of one block as they are read: jumps of more than 230 units between two
// pen-down packets and coordinates outside the active area.
class DeviceBlockFilter {
public:
    // Returns whether the packet is kept (it may be changed: an X or Y of 0 becomes 1 on a
    // pen-up packet). previous is the last kept packet of this block, if any.
    static bool Keep(DevicePacket& packet, const DevicePacket* previous, DWORD activeAreaX, DWORD activeAreaY);
};

// Device coordinates to screen pixels: the notepad lies a quarter turn against the page, its
// Y axis along the page's width and its X axis up from the page's bottom. (w, h) is the
// view's scrollable size, (left, top) its window's screen position.
struct ScreenPoint {
    LONG x = 0;
    LONG y = 0;
};
ScreenPoint DeviceToScreen(const DevicePacket& packet, double w, double h, LONG left, LONG top, DWORD activeAreaX,
                           DWORD activeAreaY);
// Page pixels to device units, the inverse without the window's position.
void PageToDevice(LONG px, LONG py, double zoom, double w, double h, DWORD activeAreaX, DWORD activeAreaY, LONG& devX,
                  LONG& devY);

// The report of the last file read ("Tavlo01.ini"): the header rows, and the packet count.
void WriteDeviceReport(const QString& reportFile, const DeviceHeaderState& state);
void WriteDevicePacketCount(const QString& reportFile, const DeviceHeaderState& state);
