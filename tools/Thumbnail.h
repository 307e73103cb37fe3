#pragma once
// Thumbnails of notes and device files for the desktop's file managers, which call the tool on
// every such file they show: the page as the program shows it after opening the file, scaled
// to fit a square of the asked size. A file manager waits for the answer, so files that would
// take long to draw (a huge page, a huge file) are refused at once rather than drawn slowly.

#include "platform/Rect.h"

#include <QImage>
#include <QString>

class CountingPrompts;

namespace Thumbnail {

inline constexpr int kMaxSize = 2048;                        // pixels, the largest square asked for
inline constexpr qint64 kMaxFileBytes = qint64(64) << 20;    // larger notes are not drawn
// Larger device files are not replayed: about 175,000 pen packets, many pages of writing, take
// over a second.
inline constexpr qint64 kMaxDeviceBytes = qint64(1) << 20;
inline constexpr qint64 kMaxPagePixels = qint64(32) << 20;   // nor larger pages (a 4K screen's is 20 M)

// The page of the note or device file at path (known by its name, as the program knows it), scaled so its longer side is size pixels.
// screen: what a device file is replayed on (screen pixels). A null image after a message on
// standard error. Device files need a QApplication on the offscreen platform.
QImage Draw(const QString& path, int size, const CRect& screen, const CountingPrompts& prompts);

}  // namespace Thumbnail
