#include "DeviceFileIO.h"

#include "ink/CLines.h"
#include "platform/Prompts.h"
#include "platform/SafeFile.h"
#include "platform/Settings.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr DWORD kLongActiveAreaY = 4250;   // the notepad reports this, but writes within 4125
constexpr DWORD kShortActiveAreaY = 4125;
constexpr LONG kExtentMargin = 60;
constexpr DWORD kNotePointPressure = 256;  // half of the notepad's 0..511
const QString kReadFailCaption = QStringLiteral("Create File OK, but Fail to Read File.");

void Message(const QString& text, const QString& caption)
{
    prompts().MessageBox(text, caption, MB_OK);
}

}  // namespace

bool DeviceFileReader::ReadHeader(QFile& file)
{
    const QByteArray header = file.read(kDeviceHeaderBytes);
    if (file.error() != QFileDevice::NoError && header.isEmpty()) {
        Message(QString::asprintf("Read Header Fail= %d.", 0), kReadFailCaption);
        return false;
    }
    if (header.size() < kDeviceHeaderBytes)
        Message(QString::asprintf("Read Header Fail= %d.", int(header.size())), kReadFailCaption);
    ReadHeaderInto(header, DeviceState());  // missing bytes read as 0
    WriteDeviceReport(ReportFilePath(), DeviceState());
    return true;
}

// Reads, filters and converts one block; returns the number of packets kept, -1 on failure.
int DeviceFileReader::ReadBlock(QFile& file, const DeviceGeometry& geometry, bool filterOn, PenPacket* batch)
{
    const qint64 got = file.read(m_block, kDeviceBlockBytes);
    if (got < 0) {
        Message(QString::asprintf("Number_want_to_Read=%d, nBytes_ReadBack=%d,", kDeviceBlockBytes, 0),
                kReadFailCaption);
        return -1;
    }
    DeviceHeaderState& state = DeviceState();
    int kept = 0;
    // A trailing fragment of fewer than 6 bytes is not a packet.
    for (qint64 at = 0; at + kDevicePacketBytes <= got; at += kDevicePacketBytes) {
        DevicePacket packet = DecodePacket(m_block + at);
        if (filterOn
            && !DeviceBlockFilter::Keep(packet, kept > 0 ? &m_packets[kept - 1] : nullptr, state.activeAreaX,
                                        state.activeAreaY))
            continue;
        m_packets[kept++] = packet;
        ++state.packetCount;
    }
    if (state.activeAreaY == kLongActiveAreaY)
        state.activeAreaY = kShortActiveAreaY;
    for (int i = 0; i < kept; ++i) {
        const ScreenPoint at = DeviceToScreen(m_packets[i], geometry.scrollWidth, geometry.scrollHeight, geometry.left,
                                              geometry.top, state.activeAreaX, state.activeAreaY);
        batch[i] = {0, DWORD(m_packets[i].buttons), at.x, at.y, m_packets[i].pressure};
    }
    return kept;
}

bool DeviceFileReader::Import(const QString& path, const DeviceGeometry& geometry, const Replay& replay,
                              const Progress& progress)
{
    QFile file(path);
    if (QFileInfo(path).isDir() || !file.open(QIODevice::ReadOnly)) {
        Message(QStringLiteral("file size error"), QStringLiteral("file handler may had error"));
        return false;
    }
    const qint64 size = file.size();
    DeviceHeaderState& state = DeviceState();
    state.fileSize = DWORD(size);
    state.packetCount = 0;
    if (!ReadHeader(file)) {
        Message(QStringLiteral("explain file error"), QStringLiteral("header may had error ??"));
        return false;
    }
    // Device units divide the page: a file without an active area cannot be placed on it.
    if (state.activeAreaX == 0 || state.activeAreaY == 0) {
        Message(QStringLiteral("This device file gives no writing area (active area %1 x %2), so it cannot be "
                               "placed on the page.")
                    .arg(state.activeAreaX)
                    .arg(state.activeAreaY),
                QStringLiteral("Open File Error"));
        return false;
    }

    // The filter switch holds for the whole file; the settings file is read once, not per block.
    const bool filterOn = ReadSetting(Settings::DeviceFilterOn) == 1;
    PenPacket batch[kDeviceBlockPackets];
    qint64 remaining = size - kDeviceHeaderBytes;
    do {
        const int kept = ReadBlock(file, geometry, filterOn, batch);
        if (kept < 0) {
            Message(QStringLiteral("into buffer fail"), QStringLiteral("1200 error"));
            return false;
        }
        remaining = remaining > kDeviceBlockBytes ? remaining - kDeviceBlockBytes : 0;
        replay(batch, kept);
        if (progress)
            progress(size - remaining, size);
    } while (remaining > 0);
    WriteDevicePacketCount(ReportFilePath(), state);
    return true;
}

DeviceGeometry NewWindowGeometry(const RECT& page, const RECT& screen)
{
    // The scrollable size of a window at half zoom: half the page, less 30 pixels.
    constexpr int kScrollSlack = 30;
    DeviceGeometry geometry;
    geometry.zoom = 0.5;
    geometry.scrollWidth = int(CRect(page).Width() * 0.5 - kScrollSlack);
    geometry.scrollHeight = int(CRect(page).Height() * 0.5 - kScrollSlack);
    geometry.extentX = CRect(screen).Width();
    geometry.extentY = CRect(screen).Height();
    return geometry;
}

bool WriteDeviceFile(const QString& path, const CLines& lines, int first, int end, const DeviceGeometry& geometry)
{
    DeviceHeaderState& state = DeviceState();
    if (state.activeAreaY == 0)
        state.activeAreaY = DWORD(geometry.extentY + kExtentMargin);
    if (state.activeAreaX == 0)
        state.activeAreaX = DWORD(geometry.extentX + kExtentMargin);
    std::memcpy(state.identifier.data(), "QORVEN", 6);

    SafeFile file(path);
    if (!file.Open())
        return false;
    file.Device().write(BuildHeader(state));
    end = std::min(end, lines.GetCount());
    for (int s = std::max(first, 0); s < end; ++s) {
        const CLine& line = *lines.GetAt(s);
        std::array<char, kDevicePacketBytes> packet{};
        for (const StrokePoint& p : line.Points()) {
            LONG devX = 0, devY = 0;
            PageToDevice(p.x, p.y, geometry.zoom, geometry.scrollWidth, geometry.scrollHeight, state.activeAreaX,
                         state.activeAreaY, devX, devY);
            // Points read from a note file keep neither pressure nor the pen-down mark; written as
            // they are, they would come back as no writing at all. They are written as the pen
            // touching at half pressure instead.
            const bool fromNote = p.isLive == 0;
            const DWORD pressure = fromNote && p.pressure == 0 ? kNotePointPressure : p.pressure;
            // Points off the notepad's area are written at its edge rather than wrapped round.
            packet = EncodePacket(WORD(std::clamp<LONG>(devX, 0, 0xFFFF)), WORD(std::clamp<LONG>(devY, 0, 0xFFFF)),
                                  pressure, fromNote ? 1 : p.isLive);
            file.Device().write(packet.data(), kDevicePacketBytes);
        }
        if (line.GetPointCount() > 0) {
            const auto up = PenUpCopy(packet);
            file.Device().write(up.data(), kDevicePacketBytes);
        }
    }
    return file.Commit();
}
