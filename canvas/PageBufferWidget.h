#pragma once
// Shows a page back buffer one to one. The buffer holds physical pixels, so on a HiDPI screen
// the widget is smaller in logical units and the ink stays crisp. Painting only copies the
// buffer; everything is rendered into it first.

#include <QImage>
#include <QWidget>

class PageBufferWidget : public QWidget {
    Q_OBJECT
public:
    explicit PageBufferWidget(QWidget* parent = nullptr);

    // Shows page (shallow copy) and resizes to it.
    void SetPage(const QImage& page);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_page;
};
