#pragma once
// Puts ink written over another program into that program. The view calls it in a fixed
// order when the user presses Inking:
//
//   OfficeBegin(rcFirst)  yes -> [OfficeInsert(rcOther, 0), OfficeEnd()]    pencil and brush ink
//                                [OfficeBegin(rcMarker) if there was a first pass,
//                                 OfficeInsert(rcMarker, 1), OfficeEnd()]  marker ink
//                         no  -> OfficeEnd(), Insert(rcAll)                 all the ink at once
//
// Every bitmap is exactly as large as its rectangle (screen pixels), white, with the strokes
// drawn shifted by minus the rectangle's top-left corner. The data offered on the clipboard is
// made when a reader asks for it: the clipboard asks the owner (OnRenderFormat), which hands
// the request back here (RenderFormat, then RenderFormatHtmlTimeOut).

#include "platform/Rect.h"

#include <QString>

class DrawingSurface;

// What became of a bitmap handed over.
enum class InkHandOver {
    Pasted,       // the target window was given the paste keystroke
    OnClipboard,  // no program may be typed into: the ink waits on the clipboard for the user
    NotTaken,     // nothing took it (no target window, no clipboard)
};

// The window the ink is inserted for: it answers the clipboard's requests for our data.
class IInkOwner {
public:
    virtual ~IInkOwner() = default;
    // A reader wants the offered data in format (a MIME type).
    virtual void OnRenderFormat(const QString& format) = 0;
    // Every format is wanted now (the program is ending while the clipboard holds our data).
    virtual void OnRenderAllFormats() = 0;
};

class IInkInserter {
public:
    virtual ~IInkInserter() = default;
    // True when the program under ink (screen pixels) takes separate pictures (an office
    // program); it is then given OfficeInsert, otherwise Insert.
    virtual bool OfficeBegin(IInkOwner& owner, const CRect& ink) = 0;
    // dc holds the bitmap of ink; highlighter: marker ink, pasted see-through on a transparent
    // background.
    virtual InkHandOver OfficeInsert(IInkOwner& owner, const CRect& ink, DrawingSurface& dc, bool highlighter) = 0;
    virtual void OfficeEnd() = 0;
    virtual InkHandOver Insert(IInkOwner& owner, const CRect& ink, DrawingSurface& dc) = 0;
    // Makes the offered data in format (a MIME type); an empty format makes every one.
    virtual void RenderFormat(IInkOwner& owner, const QString& format) = 0;
    // Called after each single-format request: the target has begun to take the data.
    virtual void RenderFormatHtmlTimeOut(IInkOwner& owner) = 0;
};
