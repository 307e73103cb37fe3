// Print, the preview and mail in desktop mode on a real X server: windows of known colours and
// places made by another client, the screen frozen under the overlay, ink written over it with
// the mouse as the pen, and the sheet (read back from the PDF) and the mailed picture compared
// with what the screen showed.

#include "ScriptedPrompts.h"
#include "SheetPictures.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "canvas/CScreenOverlay.h"
#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "platform/X11ScreenGrab.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/frame/CMainFrame.h"
#include "shell/widgets/CHoverBitmapButton.h"
#include "tablet/TabletBinding.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QPainter>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

// X11 headers after Qt's.
#include <X11/Xlib.h>

namespace {

constexpr QRgb kSheetColour = 0x2050C0;
constexpr QRgb kFarColour = 0x30A030;

// Another client of the X server with windows a user would have open: each a plain colour.
class OtherClient {
public:
    OtherClient() : m_display(XOpenDisplay(nullptr)) {}
    ~OtherClient()
    {
        if (m_display)
            XCloseDisplay(m_display);
    }
    bool Connected() const { return m_display != nullptr; }
    void Open(const char* title, const QRect& rect, QRgb colour)
    {
        const Window root = DefaultRootWindow(m_display);
        XSetWindowAttributes attributes{};
        attributes.override_redirect = True;  // placed where asked, window manager or not
        attributes.background_pixel = colour;
        const Window window = XCreateWindow(m_display, root, rect.x(), rect.y(), unsigned(rect.width()),
                                            unsigned(rect.height()), 0, CopyFromParent, InputOutput, CopyFromParent,
                                            CWOverrideRedirect | CWBackPixel, &attributes);
        XStoreName(m_display, window, title);
        XMapWindow(m_display, window);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

// Runs answer once on the first modal dialog of type Dialog, from inside the dialog's own loop.
template <typename Dialog>
class OnDialog {
public:
    explicit OnDialog(std::function<void(Dialog*)> answer) : m_answer(std::move(answer))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || !dialog->isVisible() || m_done)
                return;
            m_done = true;
            X11Desk::Settle(300);
            m_answer(dialog);
        });
        m_timer.start(50);
    }
    bool Done() const { return m_done; }

private:
    std::function<void(Dialog*)> m_answer;
    QTimer m_timer;
    bool m_done = false;
};

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage ScreenShown()
{
    return X11ScreenGrab().Grab().image.convertToFormat(QImage::Format_RGB32);
}

int ColourDistance(QRgb a, QRgb b)
{
    return std::abs(qRed(a) - qRed(b)) + std::abs(qGreen(a) - qGreen(b)) + std::abs(qBlue(a) - qBlue(b));
}

class DesktopPrintMailTest : public ::testing::Test {
protected:
    DesktopPrintMailTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        TabletBinding::Instance().SetMousePen(true);
        TabletBinding::Instance().LoadTabletInterface(true);
    }
    ~DesktopPrintMailTest() override
    {
        m_frame.reset();
        TabletBinding::Instance().SetMousePen(false);
    }
    void SetUp() override
    {
        ASSERT_TRUE(X11Desk::Available());
        ASSERT_TRUE(m_client.Connected());
        m_client.Open("Sheet", m_sheet, kSheetColour);
        m_client.Open("Far away", QRect(1400, 100, 300, 200), kFarColour);
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_frame->UseViewOverlay();
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
        ASSERT_TRUE(X11Desk::Click(Centre(m_frame->CommandBar()->ButtonFor(ID_DESKTOP_MODE))));
        ASSERT_TRUE(QTest::qWaitFor([&] { return m_frame->Mode() == FrameMode::Desktop && View().IsOverlayShown(); }, 3000));
        X11Desk::Settle(500);
        ASSERT_EQ(ColourDistance(View().DesktopSnapshot().Bitmap().pixel(m_sheet.center()), kSheetColour), 0);
    }
    static QPoint Centre(const QWidget* widget) { return widget->mapToGlobal(widget->rect().center()); }
    // Coming from the overlay, the frame is raised on the way to its button.
    bool ClickCommand(UINT command)
    {
        const QWidget* button = m_frame->CommandBar()->ButtonFor(command);
        if (!button || !button->isVisible() || !button->isEnabled())
            return false;
        X11Desk::MoveMouse(Centre(button) + QPoint(0, 3));
        X11Desk::Settle(300);
        return X11Desk::Click(Centre(button));
    }
    CScrivaView& View() { return *m_frame->View(); }
    // Three strokes from the sheet's inside out past its right edge, over the bare desktop.
    void WriteOverTheSheet()
    {
        for (int i = 0; i < 6; ++i)
            X11Desk::MoveMouse(QPoint(1500 + 10 * i, 800 + 5 * i));
        for (int y : {350, 356, 362})
            ASSERT_TRUE(X11Desk::Drag(X11Desk::Line(QPoint(500, y), QPoint(1000, y + 40), 25)));
        ASSERT_EQ(m_doc.m_lines.GetCount(), 3);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    OtherClient m_client;
    const QRect m_sheet{300, 200, 500, 400};
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(DesktopPrintMailTest, the_frozen_screen_prints_with_its_ink_at_the_sheets_width_below_a_gap)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "printers are installed: the dialog would offer one of them";
    WriteOverTheSheet();
    const QImage shown = ScreenShown();  // the frozen screen with the ink, as the user sees it

    // The preview: one sheet, as large as the screen and above the overlay, the bars away.
    int pages = 0;
    bool barsAway = false;
    bool overTheScreen = false;
    OnDialog<QPrintPreviewDialog> look([&](QPrintPreviewDialog* dialog) {
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 5000);
        pages = preview ? preview->pageCount() : 0;
        barsAway = !m_frame->isVisible() || (!m_frame->CommandBar()->isVisible() && !m_frame->PaletteBar()->isVisible());
        X11Desk::Settle(300);
        overTheScreen = dialog->frameGeometry().width() >= 1900 && ScreenShown().pixel(m_sheet.center()) != shown.pixel(m_sheet.center());
        dialog->close();
    });
    ASSERT_TRUE(ClickCommand(ID_FILE_PRINT_PREVIEW));
    ASSERT_TRUE(QTest::qWaitFor([&] { return look.Done() && !QApplication::activeModalWidget(); }, 10000));
    EXPECT_EQ(pages, 1);
    EXPECT_TRUE(barsAway);
    EXPECT_TRUE(overTheScreen);
    // Afterwards the small frame and the ink on the frozen screen are back, and the pen writes.
    X11Desk::Settle(500);
    EXPECT_TRUE(m_frame->isVisible() && m_frame->CommandBar()->isVisible());
    EXPECT_LT(m_frame->width(), 1000);
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_TRUE(ScreenShown().copy(QRect(0, 0, 1200, 700)) == shown.copy(QRect(0, 0, 1200, 700)));
    EXPECT_NE(View().TabletContext(), 0u);

    // Print to a PDF file beside the note.
    ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("desk.Ilf")));
    OnDialog<QPrintDialog> print([](QPrintDialog* dialog) {
        const auto* box = dialog->findChild<QDialogButtonBox*>();
        for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>())
            if (box->buttonRole(button) == QDialogButtonBox::AcceptRole)
                X11Desk::Click(button->mapToGlobal(button->rect().center()));
    });
    ASSERT_TRUE(ClickCommand(ID_FILE_PRINT));
    ASSERT_TRUE(QTest::qWaitFor([&] { return print.Done() && !QApplication::activeModalWidget(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_dir.filePath("desk.pdf")); }, 5000));
    constexpr int kDpi = 150;
    const std::vector<QImage> sheets = RasteriseSheets(m_dir.filePath("desk.pdf"), m_dir.filePath("sheet"), kDpi);
    ASSERT_EQ(sheets.size(), 1u);
    const QImage& sheet = sheets[0];
    const QRect area = InkedArea(sheet);
    // The screen over the drawable width (the same margin left and right), in its proportions,
    // 200 printer dots (1200 to the inch) below the drawable area's top.
    EXPECT_NEAR(area.left(), sheet.width() - 1 - area.right(), 2);
    EXPECT_NEAR(double(area.height()) / area.width(), 1080.0 / 1920.0, 0.01);
    EXPECT_NEAR(area.top() - area.left(), 200.0 * kDpi / 1200, 3);
    // The sheet is the screen as shown, but for the small frame, which is not part of it.
    QImage expected = shown;
    {
        const QRect frame = m_frame->frameGeometry();
        QPainter(&expected).drawImage(frame.topLeft(), View().DesktopSnapshot().Bitmap().copy(frame));
    }
    EXPECT_LT(SheetDifference(sheet, expected), 3.0);
    // Where the strokes cross the sheet window, the sheet shows the ink; below them none.
    const double scale = double(area.width()) / 1920;
    const auto inkPixels = [&](const QRect& onScreen) {
        const QRect onSheet(area.left() + int(onScreen.x() * scale), area.top() + int(onScreen.y() * scale),
                            int(onScreen.width() * scale), int(onScreen.height() * scale));
        int count = 0;
        for (int y = onSheet.top(); y <= onSheet.bottom(); ++y)
            for (int x = onSheet.left(); x <= onSheet.right(); ++x)
                count += ColourDistance(sheet.pixel(x, y), kSheetColour) > 80;
        return count;
    };
    EXPECT_GT(inkPixels(QRect(510, 345, 280, 60)), 150);
    EXPECT_EQ(inkPixels(QRect(510, 445, 280, 60)), 0);
    EXPECT_TRUE(m_prompts.Messages().empty());
}

TEST_F(DesktopPrintMailTest, mail_sends_the_frozen_screen_under_the_ink_and_the_window_it_lies_on)
{
    const QString bin = m_dir.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::link(QStringLiteral(INKLEAF_FAKE_XDG_EMAIL), bin + "/xdg-email"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":/usr/bin:/bin");
    qputenv("INKLEAF_MAIL_RECORD", QFile::encodeName(m_dir.filePath("arguments")));
    qputenv("INKLEAF_MAIL_COPY", QFile::encodeName(m_dir.filePath("received.jpg")));
    qputenv("INKLEAF_MAIL_WAIT", "1");

    // Nothing written: the user is told, and no mail program starts.
    ASSERT_TRUE(ClickCommand(ID_SEND_MAIL));
    ASSERT_EQ(m_prompts.Messages().size(), 1u);
    EXPECT_EQ(m_prompts.Messages()[0].text, "Mail must be sent with written script");
    EXPECT_FALSE(QFile::exists(m_dir.filePath("arguments")));
    X11Desk::Settle(300);
    EXPECT_TRUE(View().IsOverlayShown());

    WriteOverTheSheet();
    const QImage shown = ScreenShown();
    // While the mail program has the screen, the frame is minimised and the overlay away.
    bool asideWhileSending = false;
    bool everShown = false;
    QTimer watch;
    QObject::connect(&watch, &QTimer::timeout, [&] {
        if (!m_doc.IsSendingMail())
            return;
        asideWhileSending = m_frame->isMinimized() && !View().IsOverlayShown();
        everShown = everShown || View().IsOverlayShown();
    });
    watch.start(20);
    ASSERT_TRUE(ClickCommand(ID_SEND_MAIL));
    ASSERT_TRUE(QTest::qWaitFor([&] { return !m_doc.IsSendingMail(); }, 10000));
    watch.stop();
    qputenv("PATH", path);
    EXPECT_TRUE(asideWhileSending);
    EXPECT_FALSE(everShown);
    EXPECT_EQ(m_prompts.Messages().size(), 1u);

    // The window under the ink and the ink's reach past it; not the window far away.
    const QImage received = QImage::fromData(Contents(m_dir.filePath("received.jpg")), "JPEG")
                                .convertToFormat(QImage::Format_RGB32);
    ASSERT_FALSE(received.isNull());
    EXPECT_EQ(received.height(), 400);  // the sheet's top and bottom: 200 to 600
    EXPECT_GE(received.width(), 700);   // from the sheet's left (300) to the ink's end past 1000
    EXPECT_LE(received.width(), 715);
    EXPECT_LT(MeanDifference(received, shown.copy(QRect(QPoint(300, 200), received.size()))), 4.0);
    EXPECT_LT(ColourDistance(received.pixel(20, 380), kSheetColour), 24);
    const QRgb onInk = shown.pixel(750, 370);
    ASSERT_GT(ColourDistance(onInk, kSheetColour), 100);  // the second stroke passes there
    EXPECT_LT(ColourDistance(received.pixel(450, 170), onInk), 40);

    // Afterwards desktop mode goes on as it was: the frame in its corner, the ink on the
    // frozen screen, the pen writing.
    X11Desk::Settle(500);
    EXPECT_FALSE(m_frame->isMinimized());
    EXPECT_TRUE(m_frame->isVisible());
    EXPECT_TRUE(View().IsOverlayShown());
    EXPECT_TRUE(ScreenShown().copy(QRect(0, 0, 1200, 700)) == shown.copy(QRect(0, 0, 1200, 700)));
    EXPECT_NE(View().TabletContext(), 0u);
}
