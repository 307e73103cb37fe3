#pragma once
// A note described as JSON: its page settings and counts, and on request every stroke and
// picture. Colours are COLORREF numbers (0x00BBGGRR), coordinates page pixels, rectangles
// [left, top, right, bottom].

#include "document/IDocumentView.h"

#include <QJsonObject>

class CLines;
class CPictureList;

QJsonObject NoteInfo(const PageSettings& page, const CLines& lines, const CPictureList& pictures, bool listStrokes);
