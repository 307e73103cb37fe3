// Inking mode on a real X server, as a new user tries it: the inking frame's Start to write,
// strokes written with the mouse as the pen over another program's window, and Inking, which
// pastes the ink into that program. The program is a receiver of our own in a process of its
// own (x11_ink_receiver) that writes every picture it is given to a file.

#include "ScriptedPrompts.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "canvas/CScreenOverlay.h"
#include "inking/InkPictures.h"
#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/frame/CMainFrame.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "tablet/TabletBinding.h"

#include <QClipboard>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

const QRect kReceiverPlace(300, 200, 900, 600);
constexpr QRgb kMarkerYellow = qRgb(255, 255, 0);

// The strokes of lines that pass (all without a pen type), rendered onto white at the size of
// ink, as the pasted picture should show them.
QImage Rendered(const CLines& lines, const CRect& ink, std::optional<SHORT> penType = std::nullopt)
{
    DrawingSurface dc(DrawingSurface::CreateBitmap(ink.Width(), ink.Height()));
    dc.FillSolidRect(CRect(0, 0, ink.Width(), ink.Height()), RGB(255, 255, 255));
    dc.SetViewportOrg(-ink.left, -ink.top);
    for (int i = 0; i < lines.GetCount(); ++i)
        if (!penType || lines.GetAt(i)->GetPenType() == *penType)
            lines.GetAt(i)->Draw(&dc);
    return dc.Bitmap().convertToFormat(QImage::Format_RGB32);
}

// How many pixels of two pictures of one size differ.
int DifferentPixels(const QImage& a, const QImage& b)
{
    int count = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x)
            count += a.pixel(x, y) != b.pixel(x, y);
    return count;
}

class InkingX11Test : public ::testing::Test {
protected:
    InkingX11Test()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~InkingX11Test() override
    {
        m_frame.reset();
        if (m_receiver.state() != QProcess::NotRunning) {
            m_receiver.kill();
            m_receiver.waitForFinished(3000);
        }
        TabletBinding::Instance().SetMousePen(false);
    }
    // The receiver stands on the desktop; resourceName is its window class.
    void StartReceiver(const QString& resourceName)
    {
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert(QStringLiteral("RESOURCE_NAME"), resourceName);
        m_receiver.setProcessEnvironment(environment);
        m_receiver.start(QStringLiteral(INKLEAF_INK_RECEIVER),
                         {m_dir.path(), QString::number(kReceiverPlace.x()), QString::number(kReceiverPlace.y()),
                          QString::number(kReceiverPlace.width()), QString::number(kReceiverPlace.height()),
                          QStringLiteral("copied before")});
        ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_dir.filePath(QStringLiteral("ready"))); }, 10000));
    }
    // The inking frame, as an inking launch makes it.
    void StartInkingFrame()
    {
        m_frame = std::make_unique<CMainFrame>(m_doc, "INKING", [](UINT) { return false; });
        m_frame->UseViewOverlay();
        m_doc.OnNewDocument();
        m_frame->MakeInkingFrame();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
        m_frame->View()->SetPenColor(RGB(0, 0, 128));
    }
    static QPoint Centre(const QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }
    // The hand comes to the frame first: a window manager may have put the overlay over it.
    static bool ClickOnFrame(const QWidget* button)
    {
        X11Desk::MoveMouse(Centre(button) + QPoint(0, 3));
        X11Desk::Settle(300);
        return X11Desk::Click(Centre(button));
    }
    CScrivaView& View() { return *m_frame->View(); }
    CHoverBitmapButton* Button(UINT command) { return m_frame->CommandBar()->ButtonFor(command); }
    void StartToWrite()
    {
        ASSERT_TRUE(Button(ID_START_WRITE)->isVisible());
        ASSERT_TRUE(ClickOnFrame(Button(ID_START_WRITE)));
        ASSERT_TRUE(QTest::qWaitFor([&] { return View().IsWritingOver() && View().IsOverlayShown(); }, 5000));
        X11Desk::Settle(500);
        EXPECT_TRUE(Button(ID_INKING)->isVisible());
        EXPECT_TRUE(Button(ID_CANCEL_WRITE)->isVisible());
        EXPECT_FALSE(Button(ID_START_WRITE)->isVisible());
    }
    void Write(QPoint a, QPoint b)
    {
        ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(a, b, 20)));
    }
    QImage Received(int n)
    {
        const QString name = m_dir.filePath(QStringLiteral("picture-%1.png").arg(n));
        const QString missing = m_dir.filePath(QStringLiteral("picture-%1.missing").arg(n));
        if (!QTest::qWaitFor([&] { return QFile::exists(name) || QFile::exists(missing); }, 10000))
            return {};
        return QImage(name);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
    QProcess m_receiver;
};

}  // namespace

TEST_F(InkingX11Test, handwriting_over_a_program_lands_in_it_as_the_picture_of_the_strokes)
{
    ASSERT_TRUE(X11Desk::Available());
    StartReceiver(QStringLiteral("inkreceiver"));
    StartInkingFrame();
    StartToWrite();

    Write({500, 400}, {700, 460});
    Write({520, 500}, {640, 380});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 2);
    const CRect ink = m_doc.m_lines.GetBounds();
    const QImage expected = Rendered(m_doc.m_lines, ink);
    QImage blank(expected.size(), QImage::Format_RGB32);
    blank.fill(Qt::white);
    ASSERT_GT(DifferentPixels(expected, blank), 300);  // two strokes of over 150 pixels each

    ASSERT_TRUE(ClickOnFrame(Button(ID_INKING)));
    const QImage received = Received(1);
    ASSERT_FALSE(received.isNull()) << "the receiver got no picture";
    ASSERT_EQ(received.size(), QSize(ink.Width(), ink.Height()));
    EXPECT_EQ(DifferentPixels(received.convertToFormat(QImage::Format_RGB32), expected), 0);
    EXPECT_EQ(received.pixel(0, 0), qRgb(255, 255, 255));

    // Handed over: the overlay and the strokes are gone, Start to write is back, and the
    // clipboard gets back what the user copied before, once the receiver has the ink.
    EXPECT_FALSE(View().IsOverlayShown());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_TRUE(Button(ID_START_WRITE)->isVisible());
    EXPECT_TRUE(QTest::qWaitFor([] { return QGuiApplication::clipboard()->text() == QLatin1String("copied before"); },
                                8000));
    EXPECT_FALSE(QFile::exists(m_dir.filePath(QStringLiteral("picture-2.png"))));
}

// What the clipboard held is kept across the hand-over; a program that holds it and hangs when
// asked for it costs one wait for the clipboard's timeout, not one per format it lists.
TEST_F(InkingX11Test, a_hung_clipboard_owner_delays_the_ink_by_one_timeout_only)
{
    ASSERT_TRUE(X11Desk::Available());
    StartReceiver(QStringLiteral("inkreceiver"));
    QProcess owner;
    owner.start(QStringLiteral(INKLEAF_CLIPBOARD_OWNER), {QStringLiteral("--hang")});
    ASSERT_TRUE(owner.waitForReadyRead(10000));
    ASSERT_EQ(owner.readAllStandardOutput().trimmed(), "ready");
    StartInkingFrame();
    StartToWrite();
    Write({500, 400}, {700, 460});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 1);

    QElapsedTimer handOver;
    handOver.start();
    ASSERT_TRUE(ClickOnFrame(Button(ID_INKING)));
    const QImage received = Received(1);
    const qint64 took = handOver.elapsed();
    owner.kill();
    owner.waitForFinished(3000);
    ASSERT_FALSE(received.isNull()) << "the receiver got no picture";
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    // Four formats at about 5 s each would be 20 s.
    EXPECT_LT(took, 10000);
}

TEST_F(InkingX11Test, an_office_program_gets_pencil_ink_then_marker_ink_see_through)
{
    ASSERT_TRUE(X11Desk::Available());
    ASSERT_TRUE(WriteSetting(Settings::OfficePrograms, QStringLiteral("someoffice, InkReceiver-Office")));
    StartReceiver(QStringLiteral("inkreceiver-office"));
    StartInkingFrame();
    StartToWrite();

    Write({500, 400}, {700, 460});
    View().OnMarker();
    View().SetPenColor(RGB(255, 255, 0));
    Write({450, 600}, {800, 600});
    Write({450, 640}, {800, 660});
    ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
    const CRect pencil = m_doc.m_lines.GetInkBounds();
    const CRect marker = m_doc.m_lines.GetMarkerBounds();
    const QImage pencilExpected = Rendered(m_doc.m_lines, pencil, CScrivaView::kPencil);
    const QImage markerOnWhite = Rendered(m_doc.m_lines, marker, CScrivaView::kMarker);

    ASSERT_TRUE(ClickOnFrame(Button(ID_INKING)));
    const QImage first = Received(1);
    const QImage second = Received(2);
    ASSERT_FALSE(first.isNull());
    ASSERT_FALSE(second.isNull());
    ASSERT_EQ(first.size(), QSize(pencil.Width(), pencil.Height()));
    EXPECT_EQ(DifferentPixels(first.convertToFormat(QImage::Format_RGB32), pencilExpected), 0);
    // The marker's picture: see-through where nothing is marked, the marker's yellow at half
    // alpha where it is.
    ASSERT_EQ(second.size(), QSize(marker.Width(), marker.Height()));
    const QImage markerPicture = second.convertToFormat(QImage::Format_ARGB32);
    int marked = 0;
    for (int y = 0; y < markerPicture.height(); ++y)
        for (int x = 0; x < markerPicture.width(); ++x) {
            const QRgb got = markerPicture.pixel(x, y);
            if (markerOnWhite.pixel(x, y) == qRgb(255, 255, 255)) {
                ASSERT_EQ(qAlpha(got), 0) << x << "," << y;
            } else {
                ASSERT_EQ(markerOnWhite.pixel(x, y), kMarkerYellow) << x << "," << y;
                ASSERT_EQ(got, qRgba(255, 255, 0, 128)) << x << "," << y;
                ++marked;
            }
        }
    EXPECT_GT(marked, 2 * 350);  // two lines of the marker, each 350 pixels long
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
}

TEST_F(InkingX11Test, ink_over_the_bare_desktop_stays_escape_keeps_it_and_cancel_throws_it_away)
{
    ASSERT_TRUE(X11Desk::Available());
    StartInkingFrame();
    StartToWrite();
    Write({500, 400}, {700, 460});
    ASSERT_TRUE(ClickOnFrame(Button(ID_INKING)));
    ASSERT_TRUE(QTest::qWaitFor([&] { return View().IsOverlayShown(); }, 5000));
    EXPECT_TRUE(View().IsWritingOver());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(m_frame->CommandBar()->HintTip().IsActive());
    EXPECT_TRUE(m_frame->CommandBar()->HintTip().Text().startsWith(QLatin1String("No program took the ink")));

    // Escape puts the frozen screen away; the writing stays for Inking or Cancel.
    ASSERT_TRUE(X11Desk::Run(QStringLiteral("xdotool"), {QStringLiteral("mousemove"), QStringLiteral("600"),
                                                          QStringLiteral("600"), QStringLiteral("key"),
                                                          QStringLiteral("Escape")}));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !View().IsOverlayShown(); }, 3000));
    EXPECT_TRUE(View().IsWritingOver());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 1);
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_TRUE(Button(ID_CANCEL_WRITE)->isVisible());

    ASSERT_TRUE(ClickOnFrame(Button(ID_CANCEL_WRITE)));
    EXPECT_FALSE(View().IsOverlayShown());
    EXPECT_FALSE(View().IsWritingOver());
    EXPECT_EQ(m_doc.m_lines.GetCount(), 0);
    EXPECT_TRUE(Button(ID_START_WRITE)->isVisible());
}
