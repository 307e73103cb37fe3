#include "CommandBarArtwork.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace CommandBarArtwork {

namespace {

// Glyphs are drawn on a 40 × 40 grid and scaled into the square in the middle of the button.
constexpr qreal kGrid = 40.0;

const QColor kInk(0x26, 0x3A, 0x52);        // glyph outlines
const QColor kPaper(0xFF, 0xFF, 0xFF);      // pages, envelopes
const QColor kAccent(0x2E, 0x7D, 0xD1);     // blue details
const QColor kWarm(0xE8, 0xA3, 0x2C);       // folders, pencils
const QColor kStop(0xC8, 0x3A, 0x32);       // close, cancel

QPen Outline(qreal width = 2.0)
{
    return QPen(kInk, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
}

void Page(QPainter& p, QRectF r, bool lines)
{
    const qreal fold = 7;
    QPainterPath path;
    path.moveTo(r.left(), r.top());
    path.lineTo(r.right() - fold, r.top());
    path.lineTo(r.right(), r.top() + fold);
    path.lineTo(r.right(), r.bottom());
    path.lineTo(r.left(), r.bottom());
    path.closeSubpath();
    p.setPen(Outline());
    p.setBrush(kPaper);
    p.drawPath(path);
    p.drawPolyline(QPolygonF({QPointF(r.right() - fold, r.top()), QPointF(r.right() - fold, r.top() + fold),
                              QPointF(r.right(), r.top() + fold)}));
    if (lines) {
        p.setPen(QPen(kAccent, 1.5));
        for (qreal y = r.top() + 12; y < r.bottom() - 3; y += 5)
            p.drawLine(QPointF(r.left() + 4, y), QPointF(r.right() - 4, y));
    }
}

void Pencil(QPainter& p, QPointF tip, qreal length, qreal width)
{
    p.save();
    p.translate(tip);
    p.rotate(-45);
    p.setPen(Outline(1.5));
    p.setBrush(kWarm);
    p.drawRect(QRectF(width, -width / 2, length - width, width));
    QPolygonF point({QPointF(0, 0), QPointF(width, -width / 2), QPointF(width, width / 2)});
    p.setBrush(kPaper);
    p.drawPolygon(point);
    p.restore();
}

void DrawGlyph(QPainter& p, Glyph glyph)
{
    switch (glyph) {
    case Glyph::NewPage:
        Page(p, QRectF(11, 7, 18, 26), false);
        p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(27, 25), QPointF(35, 25));
        p.drawLine(QPointF(31, 21), QPointF(31, 29));
        break;
    case Glyph::Open: {
        p.setPen(Outline());
        p.setBrush(kWarm.darker(115));
        QPainterPath back;
        back.moveTo(7, 31);
        back.lineTo(7, 11);
        back.lineTo(15, 11);
        back.lineTo(18, 14);
        back.lineTo(30, 14);
        back.lineTo(30, 31);
        back.closeSubpath();
        p.drawPath(back);
        p.setBrush(kWarm);
        p.drawPolygon(QPolygonF({QPointF(7, 31), QPointF(12, 19), QPointF(35, 19), QPointF(30, 31)}));
        break;
    }
    case Glyph::Save:
        p.setPen(Outline());
        p.setBrush(kAccent);
        p.drawRoundedRect(QRectF(8, 8, 24, 24), 2, 2);
        p.setBrush(kPaper);
        p.drawRect(QRectF(12, 8, 16, 9));
        p.setBrush(kInk);
        p.drawRect(QRectF(13, 23, 14, 9));
        p.setBrush(kPaper);
        p.drawRect(QRectF(23, 10, 3, 5));
        break;
    case Glyph::PrintPreview:
        Page(p, QRectF(8, 6, 18, 24), true);
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(28, 28), QPointF(34, 34));
        p.setPen(Outline());
        p.setBrush(QColor(0xD8, 0xEC, 0xFF));
        p.drawEllipse(QPointF(24, 24), 6, 6);
        break;
    case Glyph::Print:
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(13, 7, 14, 10));
        p.setBrush(QColor(0xB8, 0xC4, 0xD0));
        p.drawRoundedRect(QRectF(7, 16, 26, 12), 3, 3);
        p.setBrush(kPaper);
        p.drawRect(QRectF(13, 24, 14, 9));
        p.setBrush(kAccent);
        p.setPen(Qt::NoPen);
        p.drawEllipse(QPointF(28, 20), 1.5, 1.5);
        break;
    case Glyph::LetterMode:
        Page(p, QRectF(10, 6, 20, 28), true);
        break;
    case Glyph::Mail:
        p.setPen(Outline());
        p.setBrush(kPaper);
        p.drawRect(QRectF(7, 11, 26, 18));
        p.drawPolyline(QPolygonF({QPointF(7, 11), QPointF(20, 22), QPointF(33, 11)}));
        break;
    case Glyph::DesktopMode:
        p.setPen(Outline());
        p.setBrush(QColor(0x8F, 0xC3, 0xF2));
        p.drawRoundedRect(QRectF(7, 8, 26, 18), 2, 2);
        p.drawLine(QPointF(20, 26), QPointF(20, 31));
        p.drawLine(QPointF(13, 32), QPointF(27, 32));
        Pencil(p, QPointF(16, 22), 14, 4);
        break;
    case Glyph::Help: {
        p.setPen(Outline());
        p.setBrush(kAccent);
        p.drawEllipse(QPointF(20, 20), 13, 13);
        QFont font(QStringLiteral("Sans Serif"));
        font.setPixelSize(20);
        font.setBold(true);
        p.setFont(font);
        p.setPen(kPaper);
        p.drawText(QRectF(7, 7, 26, 26), Qt::AlignCenter, QStringLiteral("?"));
        break;
    }
    case Glyph::Close:
        p.setPen(QPen(kStop, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(12, 12), QPointF(28, 28));
        p.drawLine(QPointF(28, 12), QPointF(12, 28));
        break;
    case Glyph::Scale:
        p.setPen(Outline(3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(11, 11, 18, 18));
        break;
    case Glyph::Minimize:
        p.setPen(QPen(kInk, 4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(11, 28), QPointF(29, 28));
        break;
    case Glyph::StartWrite:
        p.setPen(QPen(kAccent, 2, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(6, 33), QPointF(34, 33));
        Pencil(p, QPointF(10, 29), 26, 6);
        break;
    case Glyph::Cancel:
        p.setPen(Outline());
        p.setBrush(kStop);
        p.drawEllipse(QPointF(20, 20), 13, 13);
        p.setPen(QPen(kPaper, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(15, 15), QPointF(25, 25));
        p.drawLine(QPointF(25, 15), QPointF(15, 25));
        break;
    case Glyph::Inking: {
        QPainterPath wave;
        wave.moveTo(5, 32);
        wave.cubicTo(11, 22, 15, 38, 21, 29);
        p.setPen(QPen(kAccent, 2.5, Qt::SolidLine, Qt::RoundCap));
        p.setBrush(Qt::NoBrush);
        p.drawPath(wave);
        Pencil(p, QPointF(21, 29), 20, 6);
        break;
    }
    case Glyph::PencilWidth:
    case Glyph::BrushWidth:
    case Glyph::MarkerWidth: {
        // The tool on the left; the bar writes the width as a number on the right half.
        const qreal stroke = glyph == Glyph::PencilWidth ? 2 : glyph == Glyph::BrushWidth ? 4 : 6;
        p.setPen(QPen(glyph == Glyph::MarkerWidth ? QColor(0xE0, 0xC0, 0x20) : kInk, stroke, Qt::SolidLine,
                      Qt::RoundCap));
        p.drawLine(QPointF(4, 33), QPointF(18, 33));
        Pencil(p, QPointF(8, 29), 18, glyph == Glyph::PencilWidth ? 4 : 6);
        break;
    }
    }
}

// The face behind the glyph: a rounded, softly shaded key.
void DrawFace(QPainter& p, QRectF r, Look look)
{
    QColor top(0xFA, 0xFB, 0xFD), bottom(0xDD, 0xE3, 0xEA), edge(0xA9, 0xB4, 0xC0);
    if (look == Look::Pressed) {
        top = QColor(0xB9, 0xC3, 0xCE);
        bottom = QColor(0xD5, 0xDC, 0xE4);
        edge = QColor(0x6E, 0x7B, 0x8A);
    } else if (look == Look::Focused) {
        top = QColor(0xF2, 0xF8, 0xFF);
        bottom = QColor(0xC6, 0xE0, 0xFB);
        edge = QColor(0x3A, 0x8E, 0xE6);
    }
    QLinearGradient shade(r.topLeft(), r.bottomLeft());
    shade.setColorAt(0, top);
    shade.setColorAt(1, bottom);
    p.setPen(QPen(edge, look == Look::Focused ? 2 : 1));
    p.setBrush(shade);
    p.drawRoundedRect(r.adjusted(1, 1, -1, -1), 6, 6);
}

QImage Greyed(const QImage& image)
{
    QImage grey = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < grey.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(grey.scanLine(y));
        for (int x = 0; x < grey.width(); ++x) {
            const int level = 128 + qGray(line[x]) / 2;  // lighter and without colour
            line[x] = qRgba(level, level, level, qAlpha(line[x]));
        }
    }
    return grey;
}

}  // namespace

QPixmap Button(Glyph glyph, Look look, QSize size)
{
    QImage image(size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setRenderHint(QPainter::Antialiasing);
        DrawFace(p, QRectF(QPointF(0, 0), QSizeF(size)), look);
        const qreal side = qMin(size.width(), size.height());
        // Pressed glyphs sink by one pixel.
        const qreal sink = look == Look::Pressed ? 1 : 0;
        p.translate((size.width() - side) / 2 + sink, (size.height() - side) / 2 + sink);
        p.scale(side / kGrid, side / kGrid);
        DrawGlyph(p, glyph);
    }
    if (look == Look::Disabled)
        image = Greyed(image);
    return QPixmap::fromImage(image);
}

QSize BackgroundSize(int mode)
{
    return mode == 0 ? QSize(1300, 52) : QSize(629, 53);
}

QPixmap Background(int mode)
{
    const QSize size = BackgroundSize(mode);
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient shade(0, 0, 0, size.height());
    if (mode == 0) {
        shade.setColorAt(0, QColor(0xEE, 0xF2, 0xF7));
        shade.setColorAt(1, QColor(0xD3, 0xDC, 0xE6));
    } else {
        // Light enough for the black pen-width numbers drawn over it.
        shade.setColorAt(0, QColor(0xDF, 0xE9, 0xF3));
        shade.setColorAt(1, QColor(0xB4, 0xC6, 0xD9));
    }
    p.fillRect(pixmap.rect(), shade);
    p.setPen(QColor(0x8C, 0x9A, 0xAA));
    p.drawLine(0, size.height() - 1, size.width(), size.height() - 1);
    return pixmap;
}

}  // namespace CommandBarArtwork
