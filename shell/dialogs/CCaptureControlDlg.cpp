#include "CCaptureControlDlg.h"

#include "shell/widgets/CHoverBitmapButton.h"
#include "shell/tables/StringTable.h"

#include "platform/CommandIds.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

#include <algorithm>

namespace {

const QString kBackground = QStringLiteral("bitmap/352");

// A picture at its own size in logical pixels, rendered for the screen's pixel ratio.
QPixmap Picture(const QString& name, qreal ratio, QSize size = {})
{
    if (!size.isValid())
        size = Resources::ImageSize(name);
    if (size.isEmpty())
        return {};
    QPixmap pixmap = QPixmap::fromImage(Resources::LoadImage(name, size * ratio));
    pixmap.setDevicePixelRatio(ratio);
    return pixmap;
}

qreal ScreenRatio()
{
    const QScreen* screen = QGuiApplication::primaryScreen();
    return screen ? screen->devicePixelRatio() : 1.0;
}

}  // namespace

CCaptureControlDlg::CCaptureControlDlg(CaptureFunction capture, QWidget* parent, bool bundleLayout)
    : QDialog(parent, Qt::Dialog | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_capture(std::move(capture)), m_bBundleLayout(bundleLayout)
{
    setObjectName(QStringLiteral("CaptureControl"));
    setFixedSize(Resources::HasImage(kBackground) ? Resources::ImageSize(kBackground) : kSize);

    m_hidden = new QWidget(this);
    m_hidden->setObjectName(QStringLiteral("Hid"));
    m_hidden->setFocusPolicy(Qt::StrongFocus);
    m_hidden->setGeometry(0, 0, 1, 1);

    m_btnStart = MakeButton(IDC_START_CAPTURE, QStringLiteral("startcapture"), IDS_START_CAPTURE,
                            m_bBundleLayout ? kBundleStartPlace : kStartPlace);
    m_btnCancel = MakeButton(IDCANCEL_BUTTON, QStringLiteral("cancelcapture"), IDS_EXIT_CAPTURE,
                             m_bBundleLayout ? kBundleCancelPlace : kCancelPlace);
    // A bundle's background brings its own outline; the built-in one is a rounded panel.
    if (!m_bBundleLayout)
        setMask(PanelShape());

    m_captureTimer.setSingleShot(true);
    m_captureTimer.setInterval(kCaptureDelayMs);
    connect(&m_captureTimer, &QTimer::timeout, this, &CCaptureControlDlg::RunCapture);
}

CHoverBitmapButton* CCaptureControlDlg::MakeButton(UINT id, const QString& picture, UINT tooltip, QPoint place)
{
    const qreal ratio = ScreenRatio();
    const QString base = QStringLiteral("button/") + picture;
    auto* button = new CHoverBitmapButton(id, Picture(base + QStringLiteral("-normal"), ratio),
                                          Picture(base + QStringLiteral("-pressed"), ratio),
                                          Picture(base + QStringLiteral("-focused"), ratio), QPixmap(), this);
    button->setObjectName(id == IDC_START_CAPTURE ? QStringLiteral("StartCapture") : QStringLiteral("CancelCapture"));
    button->SetHiddenControl(m_hidden);
    button->SetToolTipText(LoadString(tooltip));
    button->move(place);
    connect(button, &CHoverBitmapButton::commandTriggered, this, [this](UINT command) {
        if (command == IDC_START_CAPTURE)
            OnStartCapture();
        else
            OnCancel();
    });
    return button;
}

QPoint CCaptureControlDlg::PlaceAbove(const QRect& anchor, QSize size)
{
    return QPoint(anchor.left() - kAnchorLeftOffset, anchor.top() - size.height());
}

QRegion CCaptureControlDlg::PanelShape()
{
    // A rectangle with kCornerEllipse-sized ellipses in its corners: the four corner ellipses
    // joined by the two rectangles between them.
    const int w = kSize.width(), h = kSize.height();
    const int ew = std::min(kCornerEllipse, w), eh = std::min(kCornerEllipse, h);
    QRegion shape(ew / 2, 0, w - ew, h);
    shape += QRegion(0, eh / 2, w, h - eh);
    for (const QPoint corner : {QPoint(0, 0), QPoint(w - ew, 0), QPoint(0, h - eh), QPoint(w - ew, h - eh)})
        shape += QRegion(corner.x(), corner.y(), ew, eh, QRegion::Ellipse);
    return shape;
}

void CCaptureControlDlg::ShowAbove(const QWidget* anchor)
{
    // The capture makes the panel an ordinary window; every showing puts it on top again.
    if (!(windowFlags() & Qt::WindowStaysOnTopHint))
        setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setEnabled(true);
    if (anchor)
        move(PlaceAbove(QRect(anchor->mapToGlobal(QPoint(0, 0)), anchor->size()), size()));
    show();
    raise();
    activateWindow();
}

void CCaptureControlDlg::OnStartCapture()
{
    if (IsCapturePending())
        return;
    // Out of the way first: the capture freezes the screen as it then looks.
    hide();
    m_captureTimer.start();
}

void CCaptureControlDlg::RunCapture()
{
    setEnabled(false);
    setWindowFlag(Qt::WindowStaysOnTopHint, false);
    if (m_capture)
        m_capture();
    done(Accepted);
}

void CCaptureControlDlg::OnCancel()
{
    reject();
}

void CCaptureControlDlg::reject()
{
    m_captureTimer.stop();
    m_bDragging = false;
    if (QWidget* owner = parentWidget())
        owner->window()->show();
    QDialog::reject();
}

void CCaptureControlDlg::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QPixmap background = Picture(kBackground, devicePixelRatio(), size());
    if (background.isNull())
        painter.fillRect(rect(), palette().window());
    else
        painter.drawPixmap(0, 0, background);
}

// The panel has no title bar: a press anywhere off the buttons drags it.
void CCaptureControlDlg::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton) {
        QDialog::mousePressEvent(event);
        return;
    }
    m_bDragging = true;
    m_dragOffset = event->globalPosition().toPoint() - pos();
    event->accept();
}

void CCaptureControlDlg::mouseMoveEvent(QMouseEvent* event)
{
    if (m_bDragging && (event->buttons() & Qt::LeftButton)) {
        move(event->globalPosition().toPoint() - m_dragOffset);
        event->accept();
        return;
    }
    QDialog::mouseMoveEvent(event);
}

void CCaptureControlDlg::mouseReleaseEvent(QMouseEvent* event)
{
    if (event->button() == Qt::LeftButton)
        m_bDragging = false;
    QDialog::mouseReleaseEvent(event);
}
