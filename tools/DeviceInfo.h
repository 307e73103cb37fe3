#pragma once
// Device files (.QVN) read directly, without replaying them: the header fields and the packet
// counts, read in fixed-size chunks so any size of file takes the same memory.

#include "document/DeviceFile.h"

#include <QJsonObject>
#include <QString>

struct DeviceFileSummary {
    DeviceHeaderState header;  // fileSize and packetCount are not filled
    qint64 bytes = 0;
    qint64 packets = 0;         // whole 6-byte packets after the header
    qint64 penDownPackets = 0;  // packets whose button state ((byte0 >> 2) & 7) is not 0
};

// Checks that path is a device file the program can place on a page: a regular file of at
// least the 32-byte header, whose header gives that size and a writing area. Reads the header
// into header. Says what is wrong and returns false otherwise.
bool CheckDeviceFile(const QString& path, DeviceHeaderState& header);

// The header and both packet counts of path, after the same check. False after a message.
bool ReadDeviceSummary(const QString& path, DeviceFileSummary& summary);

// {"format": "device", the header fields, "bytes", "packets", "penDownPackets"}.
QJsonObject DeviceInfo(const DeviceFileSummary& summary);
