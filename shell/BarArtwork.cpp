#include "BarArtwork.h"

#include "platform/CommandIds.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace BarArtwork {

namespace {

constexpr int kButton = 34;     // square buttons, pixels
constexpr QSize kThickness(24, 22);
const QColor kInk(0x30, 0x38, 0x48);
const QColor kAccent(0x2C, 0x7B, 0xE5);

enum class Look { Normal, Pressed, Focused, Disabled, Selected };

void Plate(QPainter& p, const QRectF& r, Look look)
{
    QLinearGradient fill(r.topLeft(), r.bottomLeft());
    switch (look) {
    case Look::Pressed:
        fill.setColorAt(0, QColor(0xB8, 0xC0, 0xCC));
        fill.setColorAt(1, QColor(0xCC, 0xD3, 0xDC));
        break;
    case Look::Selected:
        fill.setColorAt(0, QColor(0xC9, 0xE0, 0xFF));
        fill.setColorAt(1, QColor(0x9C, 0xC4, 0xF8));
        break;
    case Look::Disabled:
        fill.setColorAt(0, QColor(0xEA, 0xEA, 0xEA));
        fill.setColorAt(1, QColor(0xDD, 0xDD, 0xDD));
        break;
    default:
        fill.setColorAt(0, QColor(0xFB, 0xFC, 0xFD));
        fill.setColorAt(1, QColor(0xE2, 0xE7, 0xEE));
        break;
    }
    p.setBrush(fill);
    p.setPen(QPen(look == Look::Selected ? kAccent.darker(115) : QColor(0x9A, 0xA4, 0xB2), 1));
    p.drawRoundedRect(r.adjusted(0.5, 0.5, -0.5, -0.5), 5, 5);
    if (look == Look::Focused || look == Look::Selected) {
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(look == Look::Focused ? QColor(0xF0, 0xA0, 0x20) : kAccent, 2));
        p.drawRoundedRect(r.adjusted(1.5, 1.5, -1.5, -1.5), 4, 4);
    }
}

// A stick-shaped tool (pencil, brush, marker) lying from bottom left to top right.
void Stick(QPainter& p, QColor body, QColor tip, qreal width, qreal tipLength, bool round)
{
    p.save();
    p.translate(17, 17);
    p.rotate(-45);
    const qreal half = width / 2;
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(body);
    p.drawRect(QRectF(-4, -half, 15, width));  // the body towards the top right
    QPainterPath point;
    if (round) {
        point.moveTo(-4, -half);
        point.cubicTo(-4 - tipLength, -half, -4 - tipLength, half * 0.2, -4 - tipLength * 1.3, 0);
        point.cubicTo(-4 - tipLength, half * 0.4, -4 - tipLength, half, -4, half);
    } else {
        point.moveTo(-4, -half);
        point.lineTo(-4 - tipLength, 0);
        point.lineTo(-4, half);
    }
    point.closeSubpath();
    p.setBrush(tip);
    p.drawPath(point);
    p.restore();
}

void Arrow(QPainter& p, QPointF from, QPointF to, qreal head = 4.5)
{
    p.drawLine(from, to);
    const QLineF line(to, from);
    QLineF a = line;
    a.setLength(head);
    a.setAngle(line.angle() + 35);
    QLineF b = line;
    b.setLength(head);
    b.setAngle(line.angle() - 35);
    p.drawLine(a);
    p.drawLine(b);
}

void Page(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xFF, 0xFF, 0xF4));
    p.drawRect(r);
    p.setPen(QPen(QColor(0x9C, 0xB4, 0xC8), 1));
    for (qreal y = r.top() + 5; y < r.bottom() - 2; y += 4)
        p.drawLine(QPointF(r.left() + 2.5, y), QPointF(r.right() - 2.5, y));
}

void CurvedArrow(QPainter& p, bool forward)
{
    p.save();
    if (forward) {  // mirrored undo
        p.translate(34, 0);
        p.scale(-1, 1);
    }
    p.setPen(QPen(kAccent.darker(130), 2.6, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    QPainterPath path;
    path.moveTo(25, 25);
    path.cubicTo(27, 14, 18, 9, 10, 13);
    p.drawPath(path);
    p.setBrush(kAccent.darker(130));
    p.setPen(Qt::NoPen);
    QPolygonF head;
    head << QPointF(6, 15) << QPointF(13, 8) << QPointF(14, 18);
    p.drawPolygon(head);
    p.restore();
}

void Magnifier(QPainter& p, bool plus)
{
    p.setPen(QPen(kInk, 2.2, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(QColor(0xE8, 0xF4, 0xFF));
    p.drawEllipse(QPointF(14, 14), 7.5, 7.5);
    p.setPen(QPen(QColor(0x6B, 0x4A, 0x2A), 3.6, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(19.5, 19.5), QPointF(26, 26));
    p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(10.5, 14), QPointF(17.5, 14));
    if (plus)
        p.drawLine(QPointF(14, 10.5), QPointF(14, 17.5));
}

void Picture(QPainter& p, QRectF r)
{
    p.setPen(QPen(kInk, 1.2));
    p.setBrush(QColor(0xD7, 0xEC, 0xFF));
    p.drawRect(r);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF5, 0xC2, 0x20));
    p.drawEllipse(QPointF(r.right() - 5, r.top() + 5), 2.5, 2.5);
    p.setBrush(QColor(0x3C, 0x9A, 0x4A));
    QPolygonF hills;
    hills << QPointF(r.left() + 1, r.bottom() - 1) << QPointF(r.left() + r.width() * 0.35, r.top() + r.height() * 0.4)
          << QPointF(r.left() + r.width() * 0.6, r.bottom() - r.height() * 0.35)
          << QPointF(r.left() + r.width() * 0.75, r.top() + r.height() * 0.55) << QPointF(r.right() - 1, r.bottom() - 1);
    p.drawPolygon(hills);
}

void Thickness(QPainter& p, qreal width, QColor colour)
{
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap));
    QPainterPath wave;
    wave.moveTo(5, 14);
    wave.cubicTo(9, 5, 14, 17, 19, 8);
    p.setBrush(Qt::NoBrush);
    p.drawPath(wave);
}

void Glyph(QPainter& p, UINT command)
{
    p.setRenderHint(QPainter::Antialiasing);
    switch (command) {
    case IDC_PENCIL: Stick(p, QColor(0xF6, 0xC3, 0x3B), QColor(0xF2, 0xD9, 0xB0), 7, 6, false);
        p.setPen(Qt::NoPen);  // the lead
        p.setBrush(kInk);
        p.drawEllipse(QPointF(8.9, 25.1), 1.4, 1.4);
        break;
    case IDC_BRUSH: Stick(p, QColor(0xB0, 0x6A, 0x34), QColor(0x20, 0x20, 0x28), 5, 8, true); break;
    case IDC_MARKER: {
        p.setPen(QPen(QColor(0xFF, 0xE0, 0x30, 0xB0), 5, Qt::SolidLine, Qt::FlatCap));
        p.drawLine(QPointF(4, 29), QPointF(16, 29));
        Stick(p, QColor(0x3A, 0x8E, 0xD8), QColor(0xFF, 0xD8, 0x20), 10, 5, false);
        break;
    }
    case IDC_ERASER: {
        p.save();
        p.translate(17, 18);
        p.rotate(-35);
        p.setPen(QPen(kInk, 1.2));
        p.setBrush(QColor(0xF4, 0x8F, 0xA8));
        p.drawRoundedRect(QRectF(-2, -6, 13, 12), 2, 2);
        p.setBrush(QColor(0xF4, 0xF4, 0xF4));
        p.drawRoundedRect(QRectF(-11, -6, 9, 12), 2, 2);
        p.restore();
        break;
    }
    case IDC_MOVE_PICTURE: {
        p.setPen(QPen(kInk, 2, Qt::SolidLine, Qt::RoundCap));
        Arrow(p, QPointF(17, 17), QPointF(17, 6));
        Arrow(p, QPointF(17, 17), QPointF(17, 28));
        Arrow(p, QPointF(17, 17), QPointF(6, 17));
        Arrow(p, QPointF(17, 17), QPointF(28, 17));
        break;
    }
    case IDC_UNDO: CurvedArrow(p, false); break;
    case IDC_REDO: CurvedArrow(p, true); break;
    case IDC_ZOOM_IN: Magnifier(p, true); break;
    case IDC_ZOOM_OUT: Magnifier(p, false); break;
    case IDC_CAPTURE_SCREEN: {
        p.setPen(QPen(kInk, 1.4));
        p.setBrush(QColor(0x4A, 0x6F, 0x9C));
        p.drawRoundedRect(QRectF(6, 7, 22, 15), 1.5, 1.5);
        p.drawLine(QPointF(17, 22), QPointF(17, 26));
        p.drawLine(QPointF(12, 27), QPointF(22, 27));
        p.setPen(QPen(QColor(0xFF, 0xFF, 0xFF), 1.2, Qt::DashLine));
        p.setBrush(Qt::NoBrush);
        p.drawRect(QRectF(10, 10, 11, 8));
        break;
    }
    case IDC_INSERT_IMAGE:
        Picture(p, QRectF(5, 8, 20, 16));
        p.setPen(QPen(QColor(0x1F, 0x9D, 0x3A), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(27, 20), QPointF(27, 29));
        p.drawLine(QPointF(22.5, 24.5), QPointF(31.5, 24.5));
        break;
    case IDC_ADD_LINE:
        Page(p, QRectF(7, 5, 16, 22));
        p.setPen(QPen(QColor(0x1F, 0x9D, 0x3A), 2.4, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(26, 21), QPointF(26, 30));
        p.drawLine(QPointF(21.5, 25.5), QPointF(30.5, 25.5));
        break;
    case IDC_PREV_PAGE:
    case IDC_NEXT_PAGE: {
        const bool next = command == IDC_NEXT_PAGE;
        Page(p, QRectF(next ? 5 : 13, 6, 16, 22));
        p.setPen(QPen(kAccent.darker(120), 2.6, Qt::SolidLine, Qt::RoundCap));
        if (next)
            Arrow(p, QPointF(18, 17), QPointF(30, 17));
        else
            Arrow(p, QPointF(16, 17), QPointF(4, 17));
        break;
    }
    case IDC_SPLIT:
        Page(p, QRectF(6, 4, 18, 11));
        Page(p, QRectF(10, 19, 18, 11));
        p.setPen(QPen(QColor(0xD0, 0x40, 0x30), 1.6, Qt::DashLine));
        p.drawLine(QPointF(3, 17), QPointF(31, 17));
        break;
    case IDC_MERGE:
        Page(p, QRectF(5, 5, 14, 20));
        Page(p, QRectF(15, 9, 14, 20));
        break;
    case IDC_LINE_COLOR: {
        Page(p, QRectF(6, 5, 22, 24));
        const QColor colours[] = {QColor(0xE0, 0x40, 0x40), QColor(0x30, 0x90, 0xE0), QColor(0x30, 0xA0, 0x50)};
        for (int i = 0; i < 3; ++i) {
            p.setPen(QPen(colours[i], 2));
            p.drawLine(QPointF(9, 12 + i * 6), QPointF(25, 12 + i * 6));
        }
        break;
    }
    case IDC_PENCIL_THICKNESS: Thickness(p, 1.5, kInk); break;
    case IDC_BRUSH_THICKNESS: Thickness(p, 3, kInk); break;
    case IDC_MARKER_THICKNESS: Thickness(p, 5, QColor(0xE8, 0xB8, 0x10)); break;
    case ID_APP_EXIT:
        p.setPen(QPen(QColor(0xC0, 0x30, 0x30), 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 10), QPointF(24, 24));
        p.drawLine(QPointF(24, 10), QPointF(10, 24));
        break;
    case IDC_MINIMIZE:
        p.setPen(QPen(kInk, 3, Qt::SolidLine, Qt::RoundCap));
        p.drawLine(QPointF(10, 24), QPointF(24, 24));
        break;
    default: break;
    }
}

QPixmap Render(UINT command, Look look)
{
    const QSize size = ButtonSize(command);
    QPixmap pixmap(size);
    pixmap.fill(Qt::transparent);
    QPainter p(&pixmap);
    p.setRenderHint(QPainter::Antialiasing);
    Plate(p, QRectF(QPointF(0, 0), QSizeF(size)), look);
    p.save();
    if (look == Look::Pressed)
        p.translate(1, 1);
    if (size.width() != kButton)  // the small buttons draw the same glyphs, centred
        p.translate((size.width() - 24) / 2.0, (size.height() - 22) / 2.0);
    Glyph(p, command);
    p.restore();
    p.end();
    if (look == Look::Disabled) {
        QImage image = pixmap.toImage().convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < image.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < image.width(); ++x) {
                const int grey = 150 + qGray(line[x]) * 90 / 255;  // washed out
                line[x] = qRgba(grey, grey, grey, qAlpha(line[x]));
            }
        }
        pixmap = QPixmap::fromImage(image);
    }
    return pixmap;
}

}  // namespace

QSize ButtonSize(UINT command)
{
    switch (command) {
    case IDC_PENCIL_THICKNESS:
    case IDC_BRUSH_THICKNESS:
    case IDC_MARKER_THICKNESS: return kThickness;
    default: return QSize(kButton, kButton);
    }
}

ButtonImages ButtonArt(UINT command, bool selected)
{
    if (selected) {
        const QPixmap lit = Render(command, Look::Selected);
        return {lit, lit, lit, lit};
    }
    return {Render(command, Look::Normal), Render(command, Look::Pressed), Render(command, Look::Focused),
            Render(command, Look::Disabled)};
}

QPixmap Background(QSize size)
{
    QPixmap pixmap(size);
    QPainter p(&pixmap);
    QLinearGradient fill(0, 0, 0, size.height());
    fill.setColorAt(0, QColor(0xE9, 0xEE, 0xF4));
    fill.setColorAt(1, QColor(0xCF, 0xD8, 0xE3));
    p.fillRect(pixmap.rect(), fill);
    p.setPen(QColor(0xFF, 0xFF, 0xFF));
    p.drawLine(0, 1, size.width(), 1);
    p.setPen(QColor(0x9A, 0xA6, 0xB5));
    p.drawLine(0, 0, size.width(), 0);
    return pixmap;
}

}  // namespace BarArtwork
