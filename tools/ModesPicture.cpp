#include "ModesPicture.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPainterPath>

namespace {

constexpr qreal kScale = 0.5;  // each screen at half size
constexpr int kGap = 30;       // pixels between the screens and around them
constexpr int kLabel = 48;     // pixels of the names under the screens

const QColor kInkBlue(0, 0, 128);  // the pen colour of a new page
const QColor kBand(200, 200, 200);  // the view's grey beside the page
const QColor kInkRed(214, 30, 36);

QSize LogicalSize(const QImage& image)
{
    return (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
}

// A line of handwriting: loops along a baseline, length pixels from start.
void Scribble(QPainter& p, QPointF start, qreal length, const QColor& colour, qreal width)
{
    QPainterPath path(start);
    const qreal step = 26;
    for (qreal x = 0; x + step <= length; x += step) {
        const QPointF at = start + QPointF(x, 0);
        path.cubicTo(at + QPointF(step * 0.2, -34), at + QPointF(step * 0.9, -30), at + QPointF(step * 0.45, 0));
        path.cubicTo(at + QPointF(step * 0.5, 6), at + QPointF(step * 0.8, 4), at + QPointF(step, 0));
    }
    p.setPen(QPen(colour, width, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    p.setBrush(Qt::NoBrush);
    p.drawPath(path);
}

// Another program's window: a title bar and a white sheet of grey text lines.
void Window(QPainter& p, const QRect& r, const QColor& title)
{
    p.setPen(QPen(QColor(40, 40, 40), 2));
    p.setBrush(Qt::white);
    p.drawRect(r);
    p.fillRect(QRect(r.left() + 1, r.top() + 1, r.width() - 1, 34), title);
    p.setPen(QPen(QColor(200, 204, 210), 8, Qt::SolidLine, Qt::RoundCap));
    for (int y = r.top() + 70; y < r.bottom() - 30; y += 34)
        p.drawLine(r.left() + 30, y, r.right() - (y % 3 ? 60 : 160), y);
}

void Desktop(QPainter& p)
{
    QLinearGradient sky(0, 0, 0, ModesPicture::kScreen.height());
    sky.setColorAt(0, QColor(0x4A, 0x6F, 0x94));
    sky.setColorAt(1, QColor(0x1E, 0x32, 0x48));
    p.fillRect(QRect(QPoint(0, 0), ModesPicture::kScreen), sky);
}

// The small frame of desktop and inking modes: both bars, in the work area's bottom-right corner.
void SmallFrame(QPainter& p, const QImage& commandBar, const QImage& paletteBar)
{
    const QSize top = LogicalSize(commandBar), bottom = LogicalSize(paletteBar);
    const QPoint at(ModesPicture::kScreen.width() - top.width(),
                    ModesPicture::kScreen.height() - top.height() - bottom.height());
    p.drawImage(QRect(at, top), commandBar);
    p.drawImage(QRect(at + QPoint(0, top.height()), bottom), paletteBar);
}

void LetterScreen(QPainter& p, const ModesPicture& bars)
{
    const QSize top = LogicalSize(bars.letterCommandBar), bottom = LogicalSize(bars.letterPaletteBar);
    p.drawImage(QRect(QPoint(0, 0), QSize(ModesPicture::kScreen.width(), top.height())), bars.letterCommandBar);
    // At half zoom the page is half as wide as the screen, centred between grey bands.
    const int width = ModesPicture::kScreen.width();
    const QRect view(0, top.height(), width, ModesPicture::kScreen.height() - top.height() - bottom.height());
    p.fillRect(view, kBand);
    if (!bars.page.isNull()) {
        const QSize page(width / 2, bars.page.height() * width / 2 / bars.page.width());
        p.save();
        p.setClipRect(view);
        p.drawImage(QRect(QPoint(width / 4, view.top()), page), bars.page);
        p.restore();
    }
    p.drawImage(QRect(QPoint(0, ModesPicture::kScreen.height() - bottom.height()),
                      QSize(ModesPicture::kScreen.width(), bottom.height())),
                bars.letterPaletteBar);
    const int middle = ModesPicture::kScreen.width() / 2;
    Scribble(p, QPointF(middle - 300, top.height() + 120), 420, kInkBlue, 3);
    Scribble(p, QPointF(middle - 300, top.height() + 205), 300, kInkBlue, 3);
}

void DesktopScreen(QPainter& p, const ModesPicture& bars)
{
    Desktop(p);
    Window(p, QRect(80, 70, 640, 460), QColor(0x5C, 0x7C, 0x9C));
    Window(p, QRect(520, 220, 560, 380), QColor(0x7C, 0x5C, 0x9C));
    // Ink on the frozen picture: a ring round a part of one window and a note beside it.
    p.setPen(QPen(kInkRed, 6, Qt::SolidLine, Qt::RoundCap));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(QRect(560, 300, 420, 150));
    Scribble(p, QPointF(180, 600), 300, kInkRed, 6);
    SmallFrame(p, bars.desktopCommandBar, bars.desktopPaletteBar);
}

void InkingScreen(QPainter& p, const ModesPicture& bars)
{
    Desktop(p);
    Window(p, QRect(120, 60, 1000, 600), QColor(0x3C, 0x6E, 0x5A));
    // Handwriting over the other program, to be pasted into it.
    Scribble(p, QPointF(220, 380), 520, kInkBlue, 5);
    Scribble(p, QPointF(220, 470), 360, kInkBlue, 5);
    SmallFrame(p, bars.inkingCommandBar, bars.inkingPaletteBar);
}

}  // namespace

QImage ModesPicture::Draw() const
{
    const QSize screen = (QSizeF(kScreen) * kScale).toSize();
    QImage picture(3 * screen.width() + 4 * kGap, screen.height() + 2 * kGap + kLabel, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    p.setRenderHint(QPainter::SmoothPixmapTransform);

    using Screen = void (*)(QPainter&, const ModesPicture&);
    const struct {
        Screen draw;
        const char* name;
    } modes[] = {{LetterScreen, "Letter mode"}, {DesktopScreen, "Desktop mode"}, {InkingScreen, "Inking mode"}};
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(26);
    font.setBold(true);
    for (int i = 0; i < 3; ++i) {
        const QRect frame(QPoint(kGap + i * (screen.width() + kGap), kGap), screen);
        p.save();
        p.setClipRect(frame);
        p.translate(frame.topLeft());
        p.scale(kScale, kScale);
        modes[i].draw(p, *this);
        p.restore();
        p.setPen(QPen(QColor(0x30, 0x30, 0x30), 3));
        p.setBrush(Qt::NoBrush);
        p.drawRect(frame.adjusted(-1, -1, 1, 1));
        p.setFont(font);
        p.setPen(QColor(0x1F, 0x3F, 0x66));
        p.drawText(QRect(frame.left(), frame.bottom() + 8, frame.width(), kLabel), Qt::AlignHCenter | Qt::AlignTop,
                   QLatin1String(modes[i].name));
    }
    return picture;
}
