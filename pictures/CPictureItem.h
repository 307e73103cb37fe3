#pragma once
// A picture placed on the page: a bitmap stretched into a placement rectangle in page pixels,
// with the frame and handles shown while it is selected, and the state of a drag.

#include "BmpFile.h"
#include "RectTracker.h"

#include "platform/Rect.h"

#include <QImage>
#include <QString>

class CArchive;
class DrawingSurface;
class IPageView;

class CPictureItem {
public:
    // Mouse flags of a move: exactly this while only the left button is down.
    static constexpr unsigned MK_LBUTTON = 0x0001;
    static constexpr int kHandleSize = 5;

    CPictureItem();

    // Loads a JPEG (any path with "JPG" in it, in any case) or BMP file; the picture sits at
    // (0, 0) at its natural size. A file that cannot be decoded leaves no bitmap; so does a
    // missing file or anything but a regular file, after the file-open failure message.
    void LoadImageFile(const QString& path);
    // Takes bitmap as the picture, placed at (0, 0) at the given size.
    bool SetBitmap(const QImage& bitmap, int width, int height);

    CRect GetRect() const { return m_rect; }
    void SetRect(const RECT& rect);
    void SetSelected(bool selected) { m_bSelected = selected; }
    bool IsSelected() const { return m_bSelected; }
    const QImage& Bitmap() const { return m_hBitmap; }
    int GetWidth() const { return m_nWidth; }
    int GetHeight() const { return m_nHeight; }
    int GetHit() const { return m_nHit; }
    CRect GetTrackRect() const { return m_rectTrack; }
    const BmpFileImage& FileImage() const { return m_fileImage; }
    bool OwnsFileImage() const { return m_bOwnsFileImage != 0; }

    // Stretches the whole bitmap into the placement rectangle; returns it (page pixels).
    CRect Draw(DrawingSurface* dc) const;
    // Draws the part of the picture inside area, and the frame when selected. Returns false when
    // the picture is outside area.
    bool DrawInRect(DrawingSurface* dc, const RECT& area);

    // p within 5 pixels of the picture selects it; a press inside it starts a move.
    bool HitTestSelect(LONG x, LONG y);
    bool HitTestInside(LONG x, LONG y) const;
    // Hovering picks the handle under the mouse; dragging with only the left button down
    // changes the tracked rectangle. Returns the hit code.
    int OnMouseMove(IPageView& view, unsigned flags, LONG x, LONG y);
    void Track(IPageView& view, int hit, LONG x, LONG y);
    // Commits the drag: the picture takes the tracked rectangle, normalised. Returns true when
    // the window needs repainting.
    bool EndTrack(IPageView& view);
    // No drag follows until the next press or hover.
    void CancelDrag() { m_nHit = CRectTracker::hitNothing; }
    // Clears the selection; returns the rectangle to re-render, empty when it was not selected.
    CRect Deselect();

    // The picture record: height, width, placement rectangle, image-data length, image data.
    void Serialize(CArchive& ar);

    static constexpr int kRecordHeadBytes = 28;

private:
    bool m_bSelected = false;
    CRectTracker m_tracker;
    int m_nHit = CRectTracker::hitNothing;
    POINT m_ptLast;
    CRect m_rect;
    CRect m_rectTrack;
    int m_nHeight = 0;
    int m_nWidth = 0;
    QImage m_hBitmap;            // Format_RGB32; null when there is no picture to show
    BmpFileImage m_fileImage;    // kept for a picture loaded from a BMP file
    BYTE m_bOwnsFileImage = 0;
};
