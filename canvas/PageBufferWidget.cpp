#include "PageBufferWidget.h"

#include <QPaintEvent>
#include <QPainter>

PageBufferWidget::PageBufferWidget(QWidget* parent) : QWidget(parent)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void PageBufferWidget::SetPage(const QImage& page)
{
    m_page = page;
    m_page.setDevicePixelRatio(devicePixelRatioF());
    resize(sizeHint());
    update();
}

QSize PageBufferWidget::sizeHint() const
{
    return (QSizeF(m_page.size()) / devicePixelRatioF()).toSize();
}

void PageBufferWidget::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.drawImage(QPointF(0, 0), m_page);
}
