#include "WelcomeInk.h"

#include "Handwriting.h"

#include "ink/CLines.h"
#include "platform/ColorRef.h"

#include <algorithm>
#include <memory>

namespace {

constexpr WORD kPencil = 2;
constexpr WORD kBrush = 3;
constexpr WORD kMarker = 4;

// Width values as the ink renderer receives them: the pencil of a 512-level tablet at width
// step 2, and a brush at the widest step.
constexpr SHORT kPencilWidth = 80;
constexpr SHORT kBrushFullWidth = 250;
constexpr SHORT kMarkerWidth = 10;

std::unique_ptr<CLine> Stroke(WORD penType, COLORREF color, const std::vector<PenSample>& samples,
                              SHORT (*width)(const PenSample&))
{
    auto line = std::make_unique<CLine>();
    line->SetColor(color);
    line->SetPenType(penType, penType != kMarker);
    for (const PenSample& s : samples)
        line->AddPoint(s.x, s.y, width(s));
    return line;
}

SHORT PencilWidth(const PenSample&) { return kPencilWidth; }
SHORT BrushWidth(const PenSample& s) { return SHORT(std::max(8.0, s.pressure * kBrushFullWidth)); }
SHORT MarkerWidth(const PenSample&) { return kMarkerWidth; }

}  // namespace

void WriteWelcomeInk(CLines& lines, LONG pageWidth)
{
    const double left = std::max<LONG>(40, pageWidth / 12);
    const int samplesPerWord = std::clamp(int(pageWidth / 12), 60, 240);

    // A line of pencil words in blue-black, one underlined in red.
    double x = left;
    for (unsigned word = 0; word < 4; ++word) {
        CursiveStyle style{36, 0.9, 3, 11 + word};
        const auto samples = CursiveSamples(x, 120, samplesPerWord - int(word) * 10, style);
        lines.Add(Stroke(kPencil, RGB(20, 40, 110), samples, PencilWidth));
        x = samples.back().x + 40;
    }
    lines.Add(Stroke(kPencil, RGB(200, 30, 30), WaveSamples(left, 178, x - left - 40, 3, 3), PencilWidth));

    // Brush strokes that swell with pressure and taper at both ends.
    for (int row = 0; row < 3; ++row) {
        const double y = 280 + row * 70;
        lines.Add(Stroke(kBrush, row == 1 ? RGB(0, 110, 60) : RGB(0, 0, 0),
                         WaveSamples(left, y, pageWidth * 0.6, 18 + row * 6, 3), BrushWidth));
    }

    // Handwriting highlighted with the marker: the ink shows through the yellow.
    x = left;
    for (unsigned word = 0; word < 3; ++word) {
        CursiveStyle style{30, 1.0, 3, 31 + word};
        const auto samples = CursiveSamples(x, 560, samplesPerWord - 20, style);
        lines.Add(Stroke(kPencil, RGB(0, 0, 0), samples, PencilWidth));
        x = samples.back().x + 36;
    }
    lines.Add(Stroke(kMarker, RGB(255, 230, 0), WaveSamples(left - 10, 592, x - left, 2, 6), MarkerWidth));
    lines.Add(Stroke(kMarker, RGB(120, 220, 255), WaveSamples(left - 10, 640, (x - left) * 0.6, 4, 6), MarkerWidth));
}
