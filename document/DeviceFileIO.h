#pragma once
// Reading a device file onto the page and writing strokes out as one. Reading streams the
// file in blocks of 200 packets with fixed buffers: each block is filtered, converted to
// screen pixels and handed on before the next is read, so the page fills as it goes.

#include "DeviceFile.h"

#include "tablet/TabletBinding.h"

#include <functional>

class CLines;

// Where the view shows the page, for converting between device units and screen pixels.
struct DeviceGeometry {
    double zoom = 0.5;
    double scrollWidth = 0;   // the view's scrollable size
    double scrollHeight = 0;
    LONG left = 0;            // the view window's screen position
    LONG top = 0;
    LONG extentX = 0;         // the tablet's input extents, for files written without an import
    LONG extentY = 0;
};

// The geometry of a new window at half zoom showing page on screen: what a device file is
// written for when no window shows the page.
DeviceGeometry NewWindowGeometry(const RECT& page, const RECT& screen);

class DeviceFileReader {
public:
    using Replay = std::function<void(const PenPacket* packets, int count)>;
    using Progress = std::function<void(qint64 done, qint64 total)>;

    // Reads path (after the name check) and hands every block's kept packets to replay. Shows
    // the failure messages and returns false after them; the file is closed in every case.
    bool Import(const QString& path, const DeviceGeometry& geometry, const Replay& replay,
                const Progress& progress = {});

private:
    bool ReadHeader(class QFile& file);
    int ReadBlock(class QFile& file, const DeviceGeometry& geometry, bool filterOn, PenPacket* batch);

    char m_block[kDeviceBlockBytes];
    DevicePacket m_packets[kDeviceBlockPackets];
};

// Writes strokes first..end-1 of lines as a device file through a temporary file. Returns
// false when the file cannot be written (the old one then stays).
bool WriteDeviceFile(const QString& path, const CLines& lines, int first, int end, const DeviceGeometry& geometry);
