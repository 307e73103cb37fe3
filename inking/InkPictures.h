#pragma once
// The pictures the clipboard carries for a bitmap of ink, and the see-through form of marker
// ink.

#include <QByteArray>
#include <QImage>
#include <QString>

namespace InkPictures {

// Marker ink on white as a picture to lay over text: white becomes fully transparent, every
// inked pixel keeps its colour at alpha kHighlighterAlpha, so the text under it shows through.
constexpr int kHighlighterAlpha = 128;
QImage Highlighter(const QImage& onWhite);

// The picture in format (ClipboardInkOffer's MIME types); empty for another format.
QByteArray Encode(const QImage& picture, const QString& format);

}  // namespace InkPictures
