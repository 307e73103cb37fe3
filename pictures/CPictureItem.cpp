#include "CPictureItem.h"

#include "IPageView.h"
#include "ImageData.h"
#include "ImageFiles.h"

#include "platform/Archive.h"
#include "platform/DrawingSurface.h"
#include "platform/Prompts.h"
#include "platform/RegularFile.h"

#include <vector>

namespace {
constexpr LONG kSelectSlack = 5;  // pixels around a picture that still select it
}

CPictureItem::CPictureItem()
{
    m_tracker.m_nStyle = CRectTracker::hatchedBorder | CRectTracker::resizeOutside;
    m_tracker.m_nHandleSize = kHandleSize;
}

void CPictureItem::SetRect(const RECT& rect)
{
    m_rect = rect;
    m_rectTrack = m_rect;
}

void CPictureItem::LoadImageFile(const QString& path)
{
    if (!IsRegularFile(path)) {
        // Missing, or a FIFO or device, whose reading could wait for ever: the picture stays empty.
        prompts().MessageBox(QStringLiteral("Failed to open document."), QStringLiteral("Inkleaf"), MB_OK);
    } else if (path.toUpper().contains(QLatin1String("JPG"))) {
        m_hBitmap = CreateBitmapFromFile(path, &m_nWidth, &m_nHeight);
    } else {
        BmpFileImage image;
        const BmpLoad result = LoadBmpFile(path, image);
        if (result == BmpLoad::NotBmp) {
            prompts().MessageBox(QStringLiteral("No Suppost This File Type!"), QStringLiteral("Inkleaf"), MB_OK);
        } else if (result == BmpLoad::Loaded) {
            m_bOwnsFileImage = 1;
            m_fileImage = std::move(image);
            m_hBitmap = m_fileImage.bitmap;
            // A damaged file keeps no size: an empty picture must not stretch the page.
            m_nWidth = m_hBitmap.width();
            m_nHeight = m_hBitmap.height();
        }
    }
    SetRect(CRect(0, 0, m_nWidth, m_nHeight));
}

bool CPictureItem::SetBitmap(const QImage& bitmap, int width, int height)
{
    m_hBitmap = bitmap.format() == QImage::Format_RGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    m_nWidth = width;
    m_nHeight = height;
    SetRect(CRect(0, 0, width, height));
    return true;
}

CRect CPictureItem::Draw(DrawingSurface* dc) const
{
    if (!m_hBitmap.isNull()) {
        const DrawingSurface source(m_hBitmap);
        dc->StretchBlt(m_rect.left, m_rect.top, m_rect.Width(), m_rect.Height(), source, 0, 0, m_nWidth, m_nHeight,
                       SRCCOPY);
    }
    return m_rect;
}

bool CPictureItem::DrawInRect(DrawingSurface* dc, const RECT& area)
{
    CRect clip;
    if (!clip.IntersectRect(area, m_rect))
        return false;
    if (!m_hBitmap.isNull()) {
        const int64_t w = m_rect.Width();
        const int64_t h = m_rect.Height();
        const LONG sx = LONG(int64_t(clip.left - m_rect.left) * m_nWidth / w);
        const LONG sy = LONG(int64_t(clip.top - m_rect.top) * m_nHeight / h);
        // A sliver of an enlarged picture still shows the source pixel under it.
        const LONG sw = std::max<LONG>(1, LONG(int64_t(clip.Width()) * m_nWidth / w));
        const LONG sh = std::max<LONG>(1, LONG(int64_t(clip.Height()) * m_nHeight / h));
        const DrawingSurface source(m_hBitmap);
        dc->StretchBlt(clip.left, clip.top, clip.Width(), clip.Height(), source, sx, sy, sw, sh, SRCCOPY);
    }
    if (m_bSelected) {
        m_tracker.m_rect = m_rect;
        m_tracker.Draw(dc);
    }
    return true;
}

bool CPictureItem::HitTestSelect(LONG x, LONG y)
{
    CRect grown = m_rect;
    grown.InflateRect(kSelectSlack, kSelectSlack);
    if (!grown.PtInRect({x, y}))
        return false;
    if (m_rect.PtInRect({x, y})) {
        m_rectTrack = m_rect;
        m_ptLast = {x, y};
        m_nHit = CRectTracker::hitMiddle;
    }
    return true;
}

bool CPictureItem::HitTestInside(LONG x, LONG y) const
{
    return m_rect.PtInRect({x, y});
}

int CPictureItem::OnMouseMove(IPageView& view, unsigned flags, LONG x, LONG y)
{
    if (flags != MK_LBUTTON) {
        m_tracker.m_rect = m_rect;
        m_nHit = m_tracker.HitTest({x, y});
        return m_nHit;
    }
    Track(view, m_nHit, x, y);
    return m_nHit;
}

void CPictureItem::Track(IPageView& view, int hit, LONG x, LONG y)
{
    if (hit == CRectTracker::hitNothing || (x == m_ptLast.x && y == m_ptLast.y))
        return;
    switch (hit) {
    case CRectTracker::hitTopLeft: m_rectTrack.left = x; m_rectTrack.top = y; break;
    case CRectTracker::hitTopRight: m_rectTrack.right = x; m_rectTrack.top = y; break;
    case CRectTracker::hitBottomRight: m_rectTrack.right = x; m_rectTrack.bottom = y; break;
    case CRectTracker::hitBottomLeft: m_rectTrack.left = x; m_rectTrack.bottom = y; break;
    case CRectTracker::hitTop: m_rectTrack.top = y; break;
    case CRectTracker::hitRight: m_rectTrack.right = x; break;
    case CRectTracker::hitBottom: m_rectTrack.bottom = y; break;
    case CRectTracker::hitLeft: m_rectTrack.left = x; break;
    case CRectTracker::hitMiddle: m_rectTrack.OffsetRect(x - m_ptLast.x, y - m_ptLast.y); break;
    default: break;
    }
    m_ptLast = {x, y};
    if (DrawingSurface* page = view.PageBuffer())
        m_tracker.DrawTrackerRect(m_rectTrack, page);
}

bool CPictureItem::EndTrack(IPageView& view)
{
    // A drag frame still showing is taken off the page in every case.
    DrawingSurface* page = view.PageBuffer();
    const bool frameErased = page && m_tracker.EraseTrackerRect(page);
    m_tracker.ForgetTrackerRect();
    if (m_nHit < 0 || m_rectTrack == m_rect)
        return frameErased;
    m_rectTrack.NormalizeRect();
    CRect changed;
    changed.UnionRect(m_rect, m_rectTrack);
    m_rect = m_rectTrack;
    view.RedrawPageRect(changed);
    return true;
}

CRect CPictureItem::Deselect()
{
    if (!m_bSelected)
        return CRect();
    m_bSelected = false;
    return m_rect;
}

void CPictureItem::Serialize(CArchive& ar)
{
    if (ar.IsStoring()) {
        // A picture without a bitmap is stored as 0 × 0 with no image data, so the note stays
        // readable.
        DWORD size = 0;
        std::vector<BYTE> data;
        const bool hasImage = !m_hBitmap.isNull() && SavePicture1(&m_hBitmap, &size);
        if (hasImage) {
            data.resize(size);
            SavePicture2(&m_hBitmap, size, data.data());
        }
        ar << LONG(hasImage ? m_hBitmap.height() : 0) << LONG(hasImage ? m_hBitmap.width() : 0) << m_rect.left
           << m_rect.top << m_rect.right << m_rect.bottom << DWORD(data.size());
        ar.Write(data.data(), data.size());
        return;
    }
    LONG height = 0, width = 0;
    RECT rect;
    DWORD size = 0;
    ar >> height >> width >> rect.left >> rect.top >> rect.right >> rect.bottom >> size;
    if (height < 0 || width < 0)
        throw CArchiveException(CArchiveException::genericException, "a picture record has a negative size");
    ar.CheckCount(qint64(size), 1);
    ar.CheckCount(qint64(ImageDataSize(width, height)), 1);
    std::vector<BYTE> data(size);
    ar.Read(data.data(), data.size());

    m_nWidth = width;
    m_nHeight = height;
    SetRect(rect);
    if (size == 0 && (width == 0 || height == 0))
        m_hBitmap = QImage();  // stored without a bitmap
    else
        m_hBitmap = OpenPicture(width, height, size, data.data());
}
