// Printing, the preview and mail as a new user meets them on a real X server: the buttons of
// the command bar clicked with the mouse, the print dialog answered with the mouse, the PDF
// read back, and a stand-in xdg-email (tests/mail/xdg-email) on the PATH taking the mail.

#include "ScriptedPrompts.h"
#include "SheetPictures.h"
#include "TestApplication.h"
#include "X11Desk.h"

#include "platform/CommandIds.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/frame/CMainFrame.h"
#include "shell/widgets/CHoverBitmapButton.h"

#include <QAbstractButton>
#include <QDialogButtonBox>
#include <QFile>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

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

class PrintMailTest : public ::testing::Test {
protected:
    PrintMailTest()
    {
        TestApplication();
        OverrideSettingsFolder(m_dir.path());
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
        X11Desk::Settle(300);
    }
    ~PrintMailTest() override { m_frame.reset(); }

    // Clicks the command bar's button for command with the mouse.
    bool ClickButton(UINT command)
    {
        CHoverBitmapButton* button = m_frame->CommandBar()->ButtonFor(command);
        if (!button || !button->isVisible() || !button->isEnabled())
            return false;
        return X11Desk::Click(button->mapToGlobal(button->rect().center()));
    }
    static bool ClickRole(QWidget* dialog, QDialogButtonBox::ButtonRole role)
    {
        const auto* box = dialog->findChild<QDialogButtonBox*>();
        for (QAbstractButton* button : box ? box->buttons() : QList<QAbstractButton*>())
            if (box->buttonRole(button) == role)
                return X11Desk::Click(button->mapToGlobal(button->rect().center()));
        return false;
    }
    // Two more page heights and a square of colour on the middle one; saved beside the test's files.
    void WriteLongNote()
    {
        m_frame->OnCommand(IDC_ADD_LINE);
        m_frame->OnCommand(IDC_ADD_LINE);
        QImage square(8, 8, QImage::Format_RGB32);
        square.fill(0xFFC02020);
        auto picture = std::make_unique<CPictureItem>();
        picture->SetBitmap(square, 8, 8);
        const LONG unit = Unit();
        picture->SetRect(CRect(200, unit + unit / 4, 800, unit + unit * 3 / 4));
        m_doc.m_pictures.Add(std::move(picture));
        m_frame->View()->DrawRuledLines(true);
        ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("long.Ilf")));
    }
    // One new page's height: the page is as wide as the screen.
    LONG Unit() { return m_frame->View()->Page().PageWidth() * 4 / 3; }
    QImage Band(int k)
    {
        const LONG unit = Unit();
        return m_frame->View()->Page().Surface().Bitmap().copy(0, (k - 1) * unit, m_frame->View()->Page().PageWidth(), unit);
    }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

}  // namespace

TEST_F(PrintMailTest, the_preview_button_shows_every_sheet_with_the_bars_away_until_it_closes)
{
    ASSERT_TRUE(X11Desk::Available());
    WriteLongNote();
    int pages = 0;
    bool barsAway = false;
    OnDialog<QPrintPreviewDialog> look([&](QPrintPreviewDialog* dialog) {
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 5000);
        pages = preview ? preview->pageCount() : 0;
        barsAway = !m_frame->CommandBar()->isVisible() && !m_frame->PaletteBar()->isVisible();
        dialog->close();
    });
    ASSERT_TRUE(ClickButton(ID_FILE_PRINT_PREVIEW));
    ASSERT_TRUE(QTest::qWaitFor([&] { return look.Done() && !QApplication::activeModalWidget(); }, 10000));
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(barsAway);
    X11Desk::Settle(200);
    EXPECT_TRUE(m_frame->CommandBar()->isVisible());
    EXPECT_TRUE(m_frame->PaletteBar()->isVisible());
}

TEST_F(PrintMailTest, the_print_button_prints_to_a_pdf_file_beside_the_note_without_a_printer)
{
    ASSERT_TRUE(X11Desk::Available());
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "printers are installed: the dialog would offer one of them";
    WriteLongNote();
    OnDialog<QPrintDialog> print([](QPrintDialog* dialog) { ClickRole(dialog, QDialogButtonBox::AcceptRole); });
    ASSERT_TRUE(ClickButton(ID_FILE_PRINT));
    ASSERT_TRUE(QTest::qWaitFor([&] { return print.Done() && !QApplication::activeModalWidget(); }, 10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return QFile::exists(m_dir.filePath("long.pdf")); }, 5000));
    const std::vector<QImage> sheets = RasteriseSheets(m_dir.filePath("long.pdf"), m_dir.filePath("sheet"));
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_LT(SheetDifference(sheets[1], Band(2)), 4.0);
    EXPECT_GT(SheetDifference(sheets[1], Band(1)), 8.0);
}

TEST_F(PrintMailTest, the_mail_button_hands_the_page_to_the_mail_program)
{
    ASSERT_TRUE(X11Desk::Available());
    const QString bin = m_dir.filePath("bin");
    ASSERT_TRUE(QDir().mkpath(bin));
    ASSERT_TRUE(QFile::link(QStringLiteral(INKLEAF_FAKE_XDG_EMAIL), bin + "/xdg-email"));
    const QByteArray path = qgetenv("PATH");
    qputenv("PATH", QFile::encodeName(bin) + ":/usr/bin:/bin");
    qputenv("INKLEAF_MAIL_RECORD", QFile::encodeName(m_dir.filePath("arguments")));
    qputenv("INKLEAF_MAIL_COPY", QFile::encodeName(m_dir.filePath("received.jpg")));
    ASSERT_TRUE(ClickButton(ID_SEND_MAIL));
    qputenv("PATH", path);

    EXPECT_TRUE(m_prompts.Messages().empty());
    const QStringList arguments = QString::fromUtf8(Contents(m_dir.filePath("arguments"))).split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(arguments.size(), 4);
    EXPECT_EQ(arguments.mid(0, 3), QStringList({"--subject", "Inkleaf", "--attach"}));
    EXPECT_TRUE(arguments[3].endsWith("/Inkleaf.jpg"));
    EXPECT_EQ(QImage::fromData(Contents(m_dir.filePath("received.jpg")), "JPEG").size(), QSize(320, 320));
    ASSERT_TRUE(m_doc.ExportPageImage(m_dir.filePath("export.jpg")));
    EXPECT_EQ(Contents(m_dir.filePath("received.jpg")), Contents(m_dir.filePath("export.jpg")));
    EXPECT_EQ(Contents(m_dir.filePath("received.jpg.mode")).trimmed(), "700");
}
