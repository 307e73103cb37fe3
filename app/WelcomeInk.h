#pragma once
// The ink on a fresh page: a few lines written with each pen, so the page shows at once what
// pencil, brush and marker look like.

#include "platform/WinTypes.h"

class CLines;

// Writes the welcome strokes into lines for a page pageWidth pixels wide.
void WriteWelcomeInk(CLines& lines, LONG pageWidth);
