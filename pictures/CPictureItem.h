#pragma once
// A picture placed on the page: a bitmap stretched into a placement rectangle in page pixels,
// with the frame and handles shown while it is selected, and the state of a drag.

#include "BmpFile.h"
#include "RectTracker.h"

#include "platform/ColorRef.h"
#include "platform/Rect.h"

#include <QImage>
#include <QString>

class CArchive;
class DrawingSurface;
class IPageView;

// What became of an image file.
enum class ImageLoad {
    Loaded,
    NotSupported,  // no picture type Qt reads inside, whatever its name
    Unreadable,    // missing, not readable, or damaged
    TooLarge,      // more pixels than a picture may have (IsPictureSizeAllowed)
};

class CPictureItem {
public:
    // Mouse flags of a move: exactly this while only the left button is down.
    static constexpr unsigned MK_LBUTTON = 0x0001;
    static constexpr int kHandleSize = 5;

    CPictureItem();

    // Loads a JPEG or BMP file, told apart by their first bytes, or any other picture type Qt
    // reads (PNG, WebP, GIF, TIFF, ...), told by its content; the picture sits at (0, 0) at its
    // natural size; see-through parts show paper, the page's colour. Unless the result is
    // Loaded the picture is left as it was.
    ImageLoad LoadImageFile(const QString& path, COLORREF paper = RGB(255, 255, 255));
    // Takes bitmap as the picture, placed at (0, 0) at the given size. A picture larger than
    // an image file may bring (IsPictureSizeAllowed) is not taken: false, and nothing changes.
    bool SetBitmap(const QImage& bitmap, int width, int height);

    // Page coordinates a placement may reach: twice as far as the longest page (a page buffer
    // holds at most 2^28 pixels), so that drags beyond the page's edges stay within it, and
    // near enough that sizes and the frame's arithmetic never overflow.
    static constexpr LONG kMaxPlacement = LONG(1) << 29;
    static bool IsPlacementAllowed(const RECT& rect);

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
    // Draws the part of the picture inside area, each pixel as Draw does. Returns false when the
    // picture is outside area.
    bool DrawInRect(DrawingSurface* dc, const RECT& area) const;
    // Draws the frame and handles on a window showing the page at zoom, page point (0, 0) at
    // window point origin. The frame belongs to the window: it never goes into the page.
    void DrawSelectionFrame(DrawingSurface* window, double zoom, POINT origin);

    // p within 5 pixels of the picture selects it. A press inside it starts a move; a press on
    // the frame of the selected picture starts what the frame offers there (a handle resizes,
    // the border between handles moves); on the frame of another picture it starts nothing.
    bool HitTestSelect(LONG x, LONG y);
    bool HitTestInside(LONG x, LONG y) const;
    // Hovering picks the handle under the mouse; dragging with only the left button down
    // changes the tracked rectangle. Returns the hit code.
    int OnMouseMove(IPageView& view, unsigned flags, LONG x, LONG y);
    void Track(IPageView& view, int hit, LONG x, LONG y);
    // Commits the drag: the picture takes the tracked rectangle, normalised, unless it reaches
    // beyond kMaxPlacement. Returns true when the window needs repainting.
    bool EndTrack(IPageView& view);
    // No drag follows until the next press or hover.
    void CancelDrag() { m_nHit = CRectTracker::hitNothing; }
    // Clears the selection; returns the rectangle to re-render, empty when it was not selected.
    CRect Deselect();

    // The picture record: height, width, placement rectangle, image-data length, image data.
    void Serialize(CArchive& ar);

    static constexpr int kRecordHeadBytes = 28;

private:
    ImageLoad LoadBmp(const QString& path);
    ImageLoad LoadJpeg(const QString& path);
    ImageLoad LoadOther(const QString& path, COLORREF paper);
    static bool IsTooLargeOnDisk(const QString& path);
    ImageLoad TakeDecoded(QImage bitmap, int width, int height);

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
