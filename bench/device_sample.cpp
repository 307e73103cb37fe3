// Writes a device file (.QVN) of handwriting for whole-process measurements of inkleaf-tool:
//
//   device_sample OUT.QVN BYTES
//
// Rows of cursive words across a notepad of 4000 × 4125 device units, 150–250 pen-down
// packets a stroke, each stroke ended by a pen-up packet, until the file holds BYTES bytes
// (rounded down to whole packets). When the page is full the writing starts again at the top.

#include "Handwriting.h"

#include "document/DeviceFile.h"

#include <QByteArray>
#include <QFile>
#include <QString>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

namespace {

constexpr DWORD kActiveX = 4000;  // device units, up from the page's bottom
constexpr DWORD kActiveY = 4125;  // device units, along the page's width
constexpr DWORD kMaxPressure = 511;
constexpr double kUnitsPerPixel = 8;  // the handwriting is laid out in pixels of this size
constexpr double kMargin = 30;        // pixels
constexpr double kRowHeight = 60;
constexpr double kWordGap = 25;

QByteArray Header()
{
    DeviceHeaderState state;
    std::copy_n("QORVEN", 6, state.identifier.begin());
    state.version = 1;
    state.modelCode = 7;
    state.odmCode = 2;
    state.activeAreaX = kActiveX;
    state.activeAreaY = kActiveY;
    state.maximumPressure = kMaxPressure;
    return BuildHeader(state);
}

// A packet at (x, y) pixels of the layout: the page's x runs along the notepad's Y axis, the
// page's y down from the notepad's far X edge.
std::array<char, kDevicePacketBytes> Packet(const PenSample& sample, bool down)
{
    const auto devY = WORD(std::lround(sample.x * kUnitsPerPixel));
    const auto devX = WORD(std::lround(double(kActiveX) - sample.y * kUnitsPerPixel));
    const auto pressure = DWORD(std::lround(sample.pressure * kMaxPressure));
    const auto packet = EncodePacket(devX, devY, std::max<DWORD>(pressure, 1), 1);
    return down ? packet : PenUpCopy(packet);
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 3 || std::atoll(argv[2]) < kDeviceHeaderBytes) {
        std::fputs("usage: device_sample OUT.QVN BYTES\n", stderr);
        return 2;
    }
    const qint64 packets = (std::atoll(argv[2]) - kDeviceHeaderBytes) / kDevicePacketBytes;
    QFile file(QString::fromLocal8Bit(argv[1]));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        std::fprintf(stderr, "device_sample: %s\n", qPrintable(file.errorString()));
        return 1;
    }
    QByteArray bytes = Header();
    bytes.reserve(kDeviceHeaderBytes + packets * kDevicePacketBytes);

    const double right = kActiveY / kUnitsPerPixel - kMargin;
    const double bottom = kActiveX / kUnitsPerPixel - kMargin;
    std::mt19937 random(7);
    std::uniform_int_distribution<int> length(150, 250);
    double x = kMargin;
    double y = kMargin;
    qint64 written = 0;
    for (unsigned seed = 1; written < packets; ++seed) {
        CursiveStyle style;
        style.seed = seed;
        const int count = int(std::min<qint64>(length(random), packets - written - 1));
        if (count < 1)
            break;
        std::vector<PenSample> samples = CursiveSamples(x, y, count, style);
        const LONG end = samples.back().x;
        if (end > right) {  // the word goes on the next row
            x = kMargin;
            y += kRowHeight;
            if (y + style.size > bottom)
                y = kMargin;
            samples = CursiveSamples(x, y, count, style);
        }
        for (const PenSample& sample : samples)
            bytes.append(Packet(sample, true).data(), kDevicePacketBytes);
        bytes.append(Packet(samples.back(), false).data(), kDevicePacketBytes);
        written += count + 1;
        x = samples.back().x + kWordGap;
    }
    while (written++ < packets)  // a last pen-up packet when one packet was left over
        bytes.append(Packet({LONG(kMargin), LONG(kMargin), 0}, false).data(), kDevicePacketBytes);
    if (file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "device_sample: %s\n", qPrintable(file.errorString()));
        return 1;
    }
    return 0;
}
