// Printing as a user meets it: Print to a PDF file through the print dialog on a machine
// without printers, read back with pdftoppm and held against the page the window shows, and
// the preview with the bars out of the way.

#include "QtPrinting.h"
#include "ScriptedPrompts.h"
#include "SheetPictures.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/bars/CCommandBar.h"
#include "shell/bars/CPaletteBar.h"
#include "shell/frame/CMainFrame.h"
#include "shell/tables/StringTable.h"

#include <QDir>
#include <QPrintDialog>
#include <QPrintPreviewDialog>
#include <QPrintPreviewWidget>
#include <QPrinterInfo>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>

namespace {

// Runs answer on the first modal dialog of type Dialog that the program opens.
template <typename Dialog>
class DialogAnswer {
public:
    explicit DialogAnswer(std::function<void(Dialog*)> answer) : m_answer(std::move(answer))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget()); dialog && !m_done) {
                m_done = true;
                m_answer(dialog);
            }
        });
        m_timer.start(20);
    }
    bool Done() const { return m_done; }

private:
    std::function<void(Dialog*)> m_answer;
    QTimer m_timer;
    bool m_done = false;
};

class PrintTest : public ::testing::Test {
protected:
    PrintTest()
    {
        TestApplication();
        ScreenMetrics::SetFixedScreen(QSize(1024, 768));
        OverrideSettingsFolder(m_dir.path());
        StringTable::Instance().Load(QStringLiteral("en"));
        m_frame = std::make_unique<CMainFrame>(m_doc, "LETTER", [](UINT) { return false; });
        m_doc.OnNewDocument();
        m_frame->ShowMaximized();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_frame.get()));
    }
    ~PrintTest() override
    {
        m_frame.reset();
        ScreenMetrics::SetFixedScreen(std::nullopt);
    }

    CMainFrame& Frame() { return *m_frame; }
    CScrivaView& View() { return *m_frame->View(); }

    // A solid square of colour placed on the page.
    void AddSquare(QRgb colour, const CRect& place)
    {
        QImage bitmap(8, 8, QImage::Format_RGB32);
        bitmap.fill(colour);
        auto picture = std::make_unique<CPictureItem>();
        picture->SetBitmap(bitmap, 8, 8);
        picture->SetRect(place);
        m_doc.m_pictures.Add(std::move(picture));
    }

    // Three pages high, a different square on each band; saved, so that printing without a
    // printer offers a PDF file beside the note.
    void WriteThreeBandNote()
    {
        Frame().OnCommand(IDC_ADD_LINE);
        Frame().OnCommand(IDC_ADD_LINE);
        AddSquare(0xFFFF0000, CRect(50, 100, 550, 600));      // band 1, top left
        AddSquare(0xFF00A000, CRect(450, 1365 + 700, 950, 1365 + 1200));  // band 2, lower right
        AddSquare(0xFF0000FF, CRect(300, 2730 + 400, 700, 2730 + 800));   // band 3, middle
        View().DrawRuledLines(true);
        ASSERT_TRUE(m_doc.OnSaveDocument(m_dir.filePath("letter.Ilf")));
    }

    // The page buffer's band k (from 1), one new page high.
    QImage Band(int k) { return View().Page().Surface().Bitmap().copy(0, (k - 1) * 1365, 1024, 1365); }

    QTemporaryDir m_dir;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    std::unique_ptr<CMainFrame> m_frame;
};

TEST_F(PrintTest, print_to_a_pdf_file_puts_each_band_of_the_page_on_a_sheet_of_its_own)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "printers are installed: the dialog would offer one of them";
    WriteThreeBandNote();
    ASSERT_EQ(View().OnPreparePrinting(), 3);
    DialogAnswer<QPrintDialog> accept([](QPrintDialog* dialog) { dialog->accept(); });
    ASSERT_TRUE(Frame().OnCommand(ID_FILE_PRINT));
    ASSERT_TRUE(accept.Done());
    EXPECT_TRUE(m_prompts.Messages().empty());

    const std::vector<QImage> sheets = RasteriseSheets(m_dir.filePath("letter.pdf"), m_dir.filePath("sheet"));
    ASSERT_EQ(sheets.size(), 3u);
    for (int k = 1; k <= 3; ++k) {
        SCOPED_TRACE(k);
        const QImage& sheet = sheets[k - 1];
        // The band fills the drawable area: nearly the whole sheet, a thin margin round it.
        const QRect area = InkedArea(sheet);
        EXPECT_GT(area.width(), sheet.width() * 9 / 10);
        EXPECT_GT(area.height(), sheet.height() * 9 / 10);
        for (int band = 1; band <= 3; ++band) {
            const double difference = SheetDifference(sheet, Band(band));
            if (band == k)
                EXPECT_LT(difference, 4.0) << "sheet " << k << " against its band";
            else
                EXPECT_GT(difference, 8.0) << "sheet " << k << " against band " << band;
        }
    }
}

TEST_F(PrintTest, a_cancelled_print_dialog_prints_nothing)
{
    if (!QPrinterInfo::availablePrinterNames().isEmpty())
        GTEST_SKIP() << "printers are installed";
    WriteThreeBandNote();
    DialogAnswer<QPrintDialog> cancel([](QPrintDialog* dialog) { dialog->reject(); });
    Frame().OnCommand(ID_FILE_PRINT);
    ASSERT_TRUE(cancel.Done());
    EXPECT_FALSE(QFile::exists(m_dir.filePath("letter.pdf")));
}

TEST_F(PrintTest, preview_shows_every_sheet_with_the_bars_hidden_and_brings_them_back)
{
    WriteThreeBandNote();
    ASSERT_TRUE(Frame().CommandBar()->isVisible());
    ASSERT_TRUE(Frame().PaletteBar()->isVisible());
    int pages = 0;
    bool barsHidden = false;
    DialogAnswer<QPrintPreviewDialog> look([&](QPrintPreviewDialog* dialog) {
        auto* preview = dialog->findChild<QPrintPreviewWidget*>();
        QTest::qWaitFor([preview] { return preview && preview->pageCount() > 0; }, 5000);
        pages = preview ? preview->pageCount() : 0;
        barsHidden = !Frame().CommandBar()->isVisible() && !Frame().PaletteBar()->isVisible();
        dialog->reject();
    });
    ASSERT_TRUE(Frame().OnCommand(ID_FILE_PRINT_PREVIEW));
    ASSERT_TRUE(look.Done());
    EXPECT_EQ(pages, 3);
    EXPECT_TRUE(barsHidden);
    EXPECT_TRUE(Frame().CommandBar()->isVisible());
    EXPECT_TRUE(Frame().PaletteBar()->isVisible());
}

TEST_F(PrintTest, save_as_a_pdf_name_writes_the_printed_sheets)
{
    WriteThreeBandNote();
    m_doc.SetModifiedFlag(true);
    m_prompts.QueueFileName(m_dir.filePath("saved.pdf"));
    Frame().OnCommand(ID_FILE_SAVE);
    EXPECT_TRUE(m_prompts.Messages().empty());
    const std::vector<QImage> sheets = RasteriseSheets(m_dir.filePath("saved.pdf"), m_dir.filePath("saved"));
    ASSERT_EQ(sheets.size(), 3u);
    EXPECT_LT(SheetDifference(sheets[1], Band(2)), 4.0);
    EXPECT_GT(SheetDifference(sheets[1], Band(1)), 8.0);
    // A PDF is not the note: the note is still to be saved.
    EXPECT_TRUE(m_doc.IsModified());
}

TEST_F(PrintTest, a_fresh_page_prints_on_one_sheet)
{
    EXPECT_EQ(View().OnPreparePrinting(), 1);
    Frame().OnCommand(IDC_ADD_LINE);
    EXPECT_EQ(View().OnPreparePrinting(), 2);
}

}  // namespace
