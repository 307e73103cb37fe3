#include "CPictureItem.h"

#include "IPageView.h"
#include "ImageData.h"
#include "ImageFiles.h"

#include "platform/Archive.h"
#include "platform/DrawingSurface.h"
#include "platform/RegularFile.h"

#include <QFile>
#include <QFileInfo>
#include <QImageReader>

#include <cstdlib>
#include <vector>

namespace {
constexpr LONG kSelectSlack = 5;  // pixels around a picture that still select it
// No image file of an allowed picture is larger: 4 bytes a pixel, plus room for headers.
constexpr qint64 kLargestImageFile = kMaxPicturePixels * 4 + (qint64(1) << 20);
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

ImageLoad CPictureItem::LoadImageFile(const QString& path, COLORREF paper)
{
    // A FIFO or device, whose reading could wait for ever, is never opened.
    QFile file(path);
    if (!OpenRegularFile(file, path))
        return ImageLoad::Unreadable;
    if (file.size() > kLargestImageFile)
        return ImageLoad::TooLarge;
    const QByteArray head = file.peek(3);
    file.close();
    if (head.startsWith("BM"))
        return LoadBmp(path);
    if (head == QByteArrayLiteral("\xFF\xD8\xFF"))
        return LoadJpeg(path);
    return LoadOther(path, paper);
}

ImageLoad CPictureItem::LoadBmp(const QString& path)
{
    BmpFileImage image;
    if (LoadBmpFile(path, image) != BmpLoad::Loaded)
        return ImageLoad::Unreadable;
    if (image.bitmap.isNull()) {
        const BITMAPINFOHEADER& info = image.info;
        const bool tooLarge = info.biSize != 0 && info.biWidth > 0 && info.biHeight != 0
            && !IsPictureSizeAllowed(info.biWidth, std::abs(int64_t(info.biHeight)));
        return tooLarge ? ImageLoad::TooLarge : ImageLoad::Unreadable;
    }
    m_bOwnsFileImage = 1;
    m_fileImage = std::move(image);
    m_hBitmap = m_fileImage.bitmap;
    m_nWidth = m_hBitmap.width();
    m_nHeight = m_hBitmap.height();
    SetRect(CRect(0, 0, m_nWidth, m_nHeight));
    return ImageLoad::Loaded;
}

ImageLoad CPictureItem::LoadJpeg(const QString& path)
{
    if (IsTooLargeOnDisk(path))
        return ImageLoad::TooLarge;
    int width = 0, height = 0;
    QImage bitmap = CreateBitmapFromFile(path, &width, &height);
    return TakeDecoded(std::move(bitmap), width, height);
}

// PNG, WebP, GIF, TIFF and every other picture type Qt reads, told by their content.
ImageLoad CPictureItem::LoadOther(const QString& path, COLORREF paper)
{
    const QByteArray type = PictureFileType(path);
    if (type.isEmpty() || type == "bmp" || type == "jpeg")
        return ImageLoad::NotSupported;  // no picture inside, or a BMP or JPEG without its signature
    if (IsTooLargeOnDisk(path))
        return ImageLoad::TooLarge;
    int width = 0, height = 0;
    QImage bitmap = DecodeImageFile(path, paper, &width, &height);
    return TakeDecoded(std::move(bitmap), width, height);
}

// The size a file's header states, checked before a byte of the image is decoded.
bool CPictureItem::IsTooLargeOnDisk(const QString& path)
{
    const QSize size = QImageReader(path).size();
    return size.isValid() && !IsPictureSizeAllowed(size.width(), size.height());
}

ImageLoad CPictureItem::TakeDecoded(QImage bitmap, int width, int height)
{
    if (bitmap.isNull())
        return ImageLoad::Unreadable;
    m_hBitmap = std::move(bitmap);
    m_nWidth = width;
    m_nHeight = height;
    SetRect(CRect(0, 0, width, height));
    return ImageLoad::Loaded;
}

bool CPictureItem::SetBitmap(const QImage& bitmap, int width, int height)
{
    if (!IsPictureSizeAllowed(width, height))
        return false;
    m_hBitmap = bitmap.format() == QImage::Format_RGB32 ? bitmap : bitmap.convertToFormat(QImage::Format_RGB32);
    m_nWidth = width;
    m_nHeight = height;
    SetRect(CRect(0, 0, width, height));
    return true;
}

bool CPictureItem::IsPlacementAllowed(const RECT& rect)
{
    for (const LONG side : {rect.left, rect.top, rect.right, rect.bottom}) {
        if (side < -kMaxPlacement || side > kMaxPlacement)
            return false;
    }
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

bool CPictureItem::DrawInRect(DrawingSurface* dc, const RECT& area) const
{
    CRect clip;
    if (!clip.IntersectRect(area, m_rect))
        return false;
    const POINT org = dc->GetViewportOrg();
    CRect part;
    if (m_hBitmap.isNull()
        || !part.IntersectRect(clip, CRect(-org.x, -org.y, dc->DeviceWidth() - org.x, dc->DeviceHeight() - org.y)))
        return true;
    // The whole picture stretched onto a surface that holds only the part, so that each page
    // pixel gets the source pixel the whole drawing gives it: no seams between parts.
    DrawingSurface target(DrawingSurface::CreateBitmap(part.Width(), part.Height()));
    target.SetViewportOrg(-part.left, -part.top);
    Draw(&target);
    dc->BitBlt(part.left, part.top, part.Width(), part.Height(), target, part.left, part.top, SRCCOPY);
    return true;
}

void CPictureItem::DrawSelectionFrame(DrawingSurface* window, double zoom, POINT origin)
{
    m_tracker.m_rect = m_rect;
    m_tracker.Draw(window, zoom, origin);
}

bool CPictureItem::HitTestSelect(LONG x, LONG y)
{
    CRect grown = m_rect;
    grown.InflateRect(kSelectSlack, kSelectSlack);
    if (!grown.PtInRect({x, y}))
        return false;
    m_rectTrack = m_rect;
    m_ptLast = {x, y};
    if (m_rect.PtInRect({x, y})) {
        m_nHit = CRectTracker::hitMiddle;
    } else if (m_bSelected) {
        // The frame of the selected picture: its handles resize, the border between them moves.
        m_tracker.m_rect = m_rect;
        m_nHit = m_tracker.HitTest({x, y});
    } else {
        m_nHit = CRectTracker::hitNothing;  // the frame of another picture only selects it
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
    m_rectTrack.NormalizeRect();
    if (m_nHit < 0 || m_rectTrack == m_rect || !IsPlacementAllowed(m_rectTrack)) {
        m_rectTrack = m_rect;
        return frameErased;
    }
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
        // Nothing is written that a load would refuse: the note must open again.
        if (!IsPlacementAllowed(m_rect)
            || (!m_hBitmap.isNull() && ImageDataSize(m_hBitmap.width(), m_hBitmap.height()) > UINT32_MAX))
            throw CArchiveException(CArchiveException::genericException, "a picture is larger than a note holds");
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
    if (!IsPlacementAllowed(rect))
        throw CArchiveException(CArchiveException::genericException, "a picture is placed beyond any page");
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
