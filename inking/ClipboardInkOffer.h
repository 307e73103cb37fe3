#pragma once
// The ink as the clipboard offers it: a PNG and a BMP picture, and HTML with the PNG inline for
// programs that paste only rich text. Nothing is encoded until a reader asks: each request
// goes to the render callback, which hands the bytes back through Provide.

#include <QImage>
#include <QMap>
#include <QMimeData>
#include <QStringList>

#include <functional>
#include <memory>

class ClipboardInkOffer : public QMimeData {
    Q_OBJECT
public:
    static const QString kPng;
    static const QString kBmp;
    static const QString kHtml;

    // render is called with the MIME type a reader wants, while that reader waits; renderAll
    // when the program ends while the clipboard still holds the offer.
    ClipboardInkOffer(std::function<void(const QString&)> render, std::function<void()> renderAll);
    // An offer that makes every format from picture itself, when asked.
    static std::unique_ptr<ClipboardInkOffer> OfPicture(const QImage& picture);
    // No more calls back: whoever answered them is going.
    void Withdraw();

    void Provide(const QString& format, const QByteArray& bytes);
    bool IsProvided(const QString& format) const { return m_made.contains(format); }
    // How many requests reached the render callback.
    int RequestCount() const { return m_requests; }

    QStringList formats() const override;
    bool hasFormat(const QString& format) const override;

protected:
    QVariant retrieveData(const QString& format, QMetaType type) const override;

private:
    void RenderAllOnExit();

    std::function<void(const QString&)> m_render;
    std::function<void()> m_renderAll;
    QMap<QString, QByteArray> m_made;
    mutable int m_requests = 0;
};
