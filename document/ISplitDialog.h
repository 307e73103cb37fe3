#pragma once
// The dialog that chooses where the page's strokes are cut in two, as the document sees it:
// it is handed every point of every stroke for its previews and answers the cut. The frame
// installs the window; without one the document cannot split.

#include "platform/WinTypes.h"

class ISplitDialog {
public:
    virtual ~ISplitDialog() = default;

    // Makes room for totalPoints points of strokeCount strokes and puts the cut after the last
    // stroke (everything on page 1).
    virtual void PrepareSplit(int totalPoints, int strokeCount) = 0;
    // Point index of the page, page pixels, belonging to stroke (drawing order).
    virtual void SetSplitPoint(int index, LONG x, LONG y, int stroke) = 0;
    // Lets the user choose the cut. IDOK when the two files are to be saved, IDCANCEL otherwise.
    virtual int DoModal() = 0;
    // Strokes 0..cut-1 form page 1, strokes cut..StrokeCount()-1 page 2.
    virtual int CutPoint() const = 0;
    virtual int StrokeCount() const = 0;
};
