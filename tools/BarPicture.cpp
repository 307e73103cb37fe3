#include "BarPicture.h"

#include "shell/widgets/CHoverBitmapButton.h"

#include <QPainter>
#include <QPixmap>
#include <QWidget>

#include <algorithm>

namespace {

// A few pixels of the bar's background stay right of its rightmost part.
constexpr int kTail = 12;

std::vector<CHoverBitmapButton*> ShownButtons(QWidget* widget)
{
    std::vector<CHoverBitmapButton*> shown;
    for (CHoverBitmapButton* button : widget->findChildren<CHoverBitmapButton*>())
        if (button->isVisibleTo(widget))
            shown.push_back(button);
    // Reading order: by column, and down a column of stacked buttons.
    const auto at = [widget](const QWidget* w) { return w->mapTo(widget, QPoint(0, 0)); };
    std::sort(shown.begin(), shown.end(), [&at](const QWidget* a, const QWidget* b) {
        const QPoint pa = at(a), pb = at(b);
        return pa.x() != pb.x() ? pa.x() < pb.x() : pa.y() < pb.y();
    });
    return shown;
}

// The right edge of the rightmost part the widget shows, widget pixels.
int Reach(QWidget* widget)
{
    int right = 0;
    for (QWidget* child : widget->findChildren<QWidget*>())
        if (child->isVisibleTo(widget) && !child->size().isEmpty())
            right = std::max(right, child->mapTo(widget, QPoint(child->width(), 0)).x());
    return right;
}

void DrawBadge(QPainter& p, const QRect& disc, int number)
{
    p.setPen(QPen(Qt::white, 1.5));
    p.setBrush(QColor(0xB0, 0x1E, 0x23));
    p.drawEllipse(QRectF(disc).adjusted(0.75, 0.75, -0.75, -0.75));
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setPixelSize(number < 10 ? 10 : 9);
    font.setBold(true);
    p.setFont(font);
    p.drawText(disc, Qt::AlignCenter, QString::number(number));
}

}  // namespace

BarPicture BarPicture::Draw(QWidget* widget)
{
    BarPicture picture;
    const int margin = kMargin;
    const int width = std::min(widget->width(), Reach(widget) + kTail);
    const QPixmap bar = widget->grab(QRect(0, 0, width, widget->height()));
    const qreal ratio = bar.devicePixelRatio();

    const QSize logical(width + 2 * margin, widget->height() + 2 * margin);
    picture.image = QImage((QSizeF(logical) * ratio).toSize(), QImage::Format_ARGB32_Premultiplied);
    picture.image.setDevicePixelRatio(ratio);
    picture.image.fill(Qt::white);
    QPainter p(&picture.image);
    p.setRenderHint(QPainter::Antialiasing);
    p.drawPixmap(margin, margin, bar);

    int number = 0;
    for (CHoverBitmapButton* button : ShownButtons(widget)) {
        Entry entry;
        entry.number = ++number;
        entry.command = button->GetDlgCtrlID();
        entry.name = button->toolTip();
        entry.place = QRect(button->mapTo(widget, QPoint(0, 0)) + QPoint(margin, margin), button->size());
        // The disc sits on the button's top-left corner, mostly outside it, so the glyph stays
        // clear; its middle is inside the button, whose number it is even where buttons touch.
        entry.badge = QRect(entry.place.topLeft() - QPoint(4, kBadge / 2), QSize(kBadge, kBadge));
        DrawBadge(p, entry.badge, entry.number);
        picture.legend.push_back(entry);
    }
    return picture;
}

QSize BarPicture::LogicalSize() const
{
    return (QSizeF(image.size()) / image.devicePixelRatio()).toSize();
}
