#include "ClipboardInkOffer.h"

#include "InkPictures.h"

#include <QCoreApplication>

const QString ClipboardInkOffer::kPng = QStringLiteral("image/png");
const QString ClipboardInkOffer::kBmp = QStringLiteral("image/bmp");
const QString ClipboardInkOffer::kHtml = QStringLiteral("text/html");

ClipboardInkOffer::ClipboardInkOffer(std::function<void(const QString&)> render, std::function<void()> renderAll)
    : m_render(std::move(render)), m_renderAll(std::move(renderAll))
{
    if (QCoreApplication* app = QCoreApplication::instance())
        connect(app, &QCoreApplication::aboutToQuit, this, &ClipboardInkOffer::RenderAllOnExit);
}

std::unique_ptr<ClipboardInkOffer> ClipboardInkOffer::OfPicture(const QImage& picture)
{
    auto offer = std::make_unique<ClipboardInkOffer>(nullptr, nullptr);
    ClipboardInkOffer* self = offer.get();
    offer->m_render = [self, picture](const QString& format) { self->Provide(format, InkPictures::Encode(picture, format)); };
    return offer;
}

void ClipboardInkOffer::Withdraw()
{
    m_render = nullptr;
    m_renderAll = nullptr;
}

// A clipboard manager may keep the data once we are gone: it gets every format made.
void ClipboardInkOffer::RenderAllOnExit()
{
    if (m_renderAll)
        m_renderAll();
}

void ClipboardInkOffer::Provide(const QString& format, const QByteArray& bytes)
{
    m_made.insert(format, bytes);
}

QStringList ClipboardInkOffer::formats() const
{
    return {kPng, kBmp, kHtml};
}

bool ClipboardInkOffer::hasFormat(const QString& format) const
{
    return formats().contains(format);
}

// Qt calls this only when a reader wants the data: the moment to make it. Made once, it is
// answered from what was made.
QVariant ClipboardInkOffer::retrieveData(const QString& format, QMetaType) const
{
    if (!hasFormat(format))
        return {};
    if (!m_made.contains(format) && m_render) {
        ++m_requests;
        m_render(format);
    }
    return m_made.value(format);
}
