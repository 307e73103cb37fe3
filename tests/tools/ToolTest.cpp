// inkleaf-tool run as its own process, without a display, on notes written here through the
// document and a window-less view.

#include "ScriptedPrompts.h"
#include "SheetPictures.h"
#include "ToolRun.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"

#include <QDir>
#include <QFile>
#include <QImage>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtEndian>

#include <gtest/gtest.h>

#include <sys/stat.h>

#include <cstring>

namespace {

const CRect kScreen(0, 0, 1024, 768);
constexpr COLORREF kBack = 0xCCE2E5;
constexpr COLORREF kLine = 0xACC0C5;
constexpr COLORREF kInk = RGB(0, 0, 128);

// Builds notes in the document, saves them in a temporary folder and runs the tool there.
class ToolTest : public ::testing::Test {
protected:
    ToolTest() : m_view(m_doc, kScreen, Path("KSTPVX.ini")) {}

    QString Path(const QString& name) const { return m_dir.filePath(name); }

    ToolRun Tool(const QStringList& args) const { return RunTool(args, m_dir.path(), m_home.path()); }

    QJsonObject Info(const QString& note, bool listStrokes = false) const
    {
        const ToolRun run = Tool(listStrokes ? QStringList{"info", note, "--strokes"} : QStringList{"info", note});
        EXPECT_EQ(run.status, 0) << qPrintable(run.err);
        return QJsonDocument::fromJson(run.out).object();
    }

    void AddStroke(WORD penType, COLORREF color, SHORT width, POINT a, POINT b, int steps = 10)
    {
        auto line = std::make_unique<CLine>();
        line->SetColor(color);
        line->SetPenType(penType, penType == 4 ? 0 : 1);
        for (int i = 0; i <= steps; ++i)
            line->AddPoint(a.x + (b.x - a.x) * i / steps, a.y + (b.y - a.y) * i / steps, width);
        m_doc.m_lines.Add(std::move(line));
    }

    void AddPicture(int width, int height, const CRect& rect)
    {
        QImage bitmap(width, height, QImage::Format_RGB32);
        bitmap.fill(0xFF2080C0);
        auto picture = std::make_unique<CPictureItem>();
        picture->SetBitmap(bitmap, width, height);
        picture->SetRect(rect);
        m_doc.m_pictures.Add(std::move(picture));
    }

    // A pencil stroke, a marker stroke and a picture on a page of the default colours.
    void WriteSampleNote(const QString& name)
    {
        AddStroke(2, kInk, 160, {100, 200}, {400, 230});
        AddStroke(4, RGB(255, 255, 0), 8, {120, 400}, {600, 400}, 4);
        AddPicture(4, 3, CRect(500, 600, 540, 630));
        ASSERT_TRUE(m_doc.OnSaveDocument(Path(name)));
    }

    static QByteArray Contents(const QString& path)
    {
        QFile file(path);
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    static void Write(const QString& path, const QByteArray& bytes)
    {
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }

    // Page count and page size in points, as pdfinfo reads them ("612 x 792").
    static std::pair<int, QString> PdfPages(const QString& pdf)
    {
        QProcess pdfinfo;
        pdfinfo.start("pdfinfo", {pdf});
        pdfinfo.waitForFinished(20000);
        int pages = 0;
        QString size;
        for (const QString& line : QString::fromUtf8(pdfinfo.readAllStandardOutput()).split('\n')) {
            if (line.startsWith("Pages:"))
                pages = line.section(':', 1).trimmed().toInt();
            if (line.startsWith("Page size:"))
                size = line.section(':', 1).section("pts", 0, 0).trimmed();
        }
        return {pages, size};
    }

    // The page of a note as the program renders it.
    QImage Rendered(const QString& note)
    {
        CScrivaDoc opened;
        HeadlessView view(opened, kScreen, Path("KSTPVX.ini"));
        EXPECT_TRUE(opened.OnOpenDocument(note));
        return view.Page().Surface().Bitmap().copy();
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    HeadlessView m_view;
};

QJsonArray Rect(LONG l, LONG t, LONG r, LONG b)
{
    return {qint64(l), qint64(t), qint64(r), qint64(b)};
}

}  // namespace

void PrintTo(const QJsonArray& array, std::ostream* os)
{
    *os << QJsonDocument(array).toJson(QJsonDocument::Compact).constData();
}

TEST_F(ToolTest, info_reports_the_notes_own_page_settings_and_counts)
{
    WriteSampleNote("sample.Ilf");
    CanvasPage& page = m_view.Page();
    page.m_crBack = RGB(255, 255, 240);
    page.m_crLine = RGB(200, 0, 0);
    page.m_nLineHeight = 60;
    page.AddPageLength();
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("custom.Ilf")));

    const QJsonObject info = Info(Path("custom.Ilf"));
    EXPECT_EQ(info["format"].toString(), "note");
    EXPECT_EQ(info["background"].toInteger(), qint64(RGB(255, 255, 240)));
    EXPECT_EQ(info["lineColor"].toInteger(), qint64(RGB(200, 0, 0)));
    EXPECT_EQ(info["lineHeight"].toInteger(), 60);
    EXPECT_EQ(info["page"].toArray(), Rect(0, 0, 1024, 2730));
    EXPECT_EQ(info["strokes"].toInteger(), 2);
    EXPECT_EQ(info["points"].toInteger(), 11 + 5);
    EXPECT_EQ(info["pictures"].toInteger(), 1);
    EXPECT_FALSE(info.contains("strokeList"));
    EXPECT_FALSE(info.contains("pictureList"));

    const QJsonObject plain = Info(Path("sample.Ilf"));
    EXPECT_EQ(plain["background"].toInteger(), qint64(kBack));
    EXPECT_EQ(plain["lineHeight"].toInteger(), 90);
    EXPECT_EQ(plain["page"].toArray(), Rect(0, 0, 1024, 1365));
}

TEST_F(ToolTest, info_strokes_lists_every_stroke_point_and_picture)
{
    WriteSampleNote("sample.Ilf");
    const QJsonObject info = Info(Path("sample.Ilf"), true);
    const QJsonArray strokes = info["strokeList"].toArray();
    ASSERT_EQ(strokes.size(), 2);

    const QJsonObject pencil = strokes[0].toObject();
    EXPECT_EQ(pencil["penType"].toInt(), 2);
    EXPECT_EQ(pencil["color"].toInteger(), qint64(kInk));
    EXPECT_EQ(pencil["maskPen"].toInt(), 0);
    EXPECT_EQ(pencil["inkRendered"].toInt(), 1);
    EXPECT_EQ(pencil["bounds"].toArray(), Rect(100, 200, 400, 230));
    const QJsonArray points = pencil["points"].toArray();
    ASSERT_EQ(points.size(), 11);
    EXPECT_EQ(points[0].toArray(), (QJsonArray{100, 200, 160}));
    EXPECT_EQ(points[5].toArray(), (QJsonArray{250, 215, 160}));
    EXPECT_EQ(points[10].toArray(), (QJsonArray{400, 230, 160}));

    const QJsonObject marker = strokes[1].toObject();
    EXPECT_EQ(marker["penType"].toInt(), 4);
    EXPECT_EQ(marker["color"].toInteger(), qint64(RGB(255, 255, 0)));
    EXPECT_EQ(marker["maskPen"].toInt(), 1);
    EXPECT_EQ(marker["inkRendered"].toInt(), 0);
    EXPECT_EQ(marker["bounds"].toArray(), Rect(117, 397, 603, 403));  // grown by (8 - 1) / 2
    EXPECT_EQ(marker["points"].toArray().size(), 5);

    const QJsonArray pictures = info["pictureList"].toArray();
    ASSERT_EQ(pictures.size(), 1);
    EXPECT_EQ(pictures[0]["width"].toInt(), 4);
    EXPECT_EQ(pictures[0]["height"].toInt(), 3);
    EXPECT_EQ(pictures[0]["rect"].toArray(), Rect(500, 600, 540, 630));
}

TEST_F(ToolTest, render_writes_the_page_the_program_shows_after_opening_the_note)
{
    WriteSampleNote("sample.Ilf");
    const ToolRun run = Tool({"render", Path("sample.Ilf"), Path("page.png")});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QImage image = QImage(Path("page.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(1024, 1365));
    auto pixel = [&](int x, int y) { return QRgbToColorRef(image.pixel(x, y)); };
    EXPECT_EQ(pixel(0, 89), kLine);
    EXPECT_EQ(pixel(1023, 90), kLine);
    EXPECT_EQ(pixel(700, 88), kBack);
    EXPECT_EQ(pixel(700, 91), kBack);
    EXPECT_EQ(pixel(700, 179), kLine);
    const COLORREF ink = pixel(250, 215);  // the middle of the pencil stroke
    EXPECT_TRUE(GetRValue(ink) < 8 && GetGValue(ink) < 8 && GetBValue(ink) > 112) << std::hex << ink;
    EXPECT_EQ(pixel(520, 615), 0xC08020u);  // the picture, 0xFF2080C0 as COLORREF
    EXPECT_EQ(pixel(300, 400), kBack & RGB(255, 255, 0));  // the marker is ANDed onto the page

    CScrivaDoc opened;
    HeadlessView view(opened, kScreen, Path("KSTPVX.ini"));
    ASSERT_TRUE(opened.OnOpenDocument(Path("sample.Ilf")));
    EXPECT_EQ(image, view.Page().Surface().Bitmap());

    const ToolRun jpeg = Tool({"render", Path("sample.Ilf"), Path("page.jpg")});
    ASSERT_EQ(jpeg.status, 0) << qPrintable(jpeg.err);
    EXPECT_EQ(QImage(Path("page.jpg"), "jpeg").size(), QSize(1024, 1365));

    // Nothing of the user's settings or home folder is touched.
    EXPECT_TRUE(QDir(m_home.path()).isEmpty(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden));
}

TEST_F(ToolTest, export_writes_the_same_jpeg_as_saving_the_opened_note_as_jpg)
{
    WriteSampleNote("sample.Ilf");
    CScrivaDoc opened;
    HeadlessView view(opened, kScreen, Path("KSTPVX.ini"));
    ASSERT_TRUE(opened.OnOpenDocument(Path("sample.Ilf")));
    m_prompts.QueueFileName(Path("saved.jpg"));
    opened.OnFileSave();
    const QByteArray saved = Contents(Path("saved.jpg"));
    ASSERT_FALSE(saved.isEmpty());

    const ToolRun run = Tool({"export", Path("sample.Ilf"), Path("tool.jpg")});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    EXPECT_EQ(Contents(Path("tool.jpg")), saved);
    EXPECT_EQ(QImage(Path("tool.jpg")).size(), QSize(623, 650));  // the content plus 20
}

TEST_F(ToolTest, convert_stores_a_well_formed_note_byte_for_byte)
{
    WriteSampleNote("sample.Ilf");
    m_view.Page().m_crBack = RGB(1, 2, 3);
    m_view.Page().AddPageLength();
    ASSERT_TRUE(m_doc.OnSaveDocument(Path("long.Ilf")));
    for (const QString name : {"sample.Ilf", "long.Ilf"}) {
        const ToolRun run = Tool({"convert", Path(name), Path("copy.ilf")});
        ASSERT_EQ(run.status, 0) << qPrintable(run.err);
        EXPECT_EQ(Contents(Path("copy.ilf")), Contents(Path(name))) << qPrintable(name);
    }
}

TEST_F(ToolTest, unreadable_notes_exit_1_with_a_message_and_write_nothing)
{
    WriteSampleNote("good.Ilf");
    const QByteArray good = Contents(Path("good.Ilf"));
    QByteArray lying = good;
    const LONG count = qToLittleEndian<LONG>(2000000000);
    std::memcpy(lying.data() + 28, &count, 4);  // the stroke count
    QByteArray hugePage = good;
    std::memcpy(hugePage.data() + 24, &count, 4);  // the page's bottom
    QByteArray random(5000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 13) % 251);
    const QList<std::pair<const char*, QByteArray>> files = {
        {"truncated.Ilf", good.left(good.size() - 3)}, {"head.Ilf", good.left(20)}, {"empty.Ilf", {}},
        {"lying.Ilf", lying}, {"huge.Ilf", hugePage}, {"random.Ilf", random}, {"picture.png", good},
        {"device.QVN", good}};
    for (const auto& [name, bytes] : files)
        Write(Path(name), bytes);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.Ilf"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.Ilf")).constData(), 0600), 0);

    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"truncated.Ilf", "Unexpected file format."}, {"head.Ilf", "Unexpected file format."},
        {"empty.Ilf", "Unexpected file format."},     {"lying.Ilf", "Unexpected file format."},
        {"huge.Ilf", "Unexpected file format."},      {"random.Ilf", "Unexpected file format."},
        {"folder.Ilf", "Failed to open document."},   {"gone.Ilf", "Failed to open document."},
        {"pipe.Ilf", "not a regular file"},           {"picture.png", "not a note"},
        {"device.QVN", ".QVN"},
    };
    const QList<QStringList> commands = {
        {"info"}, {"render", "out.png"}, {"export", "out.jpg"}, {"convert", "out.Ilf"}};
    for (const auto& bad : cases) {
        for (const QStringList& command : commands) {
            QStringList args{command[0], Path(bad.name)};
            args.append(command.mid(1));
            const ToolRun run = Tool(args);
            const QString what = QStringLiteral("%1 %2").arg(command[0], bad.name);
            EXPECT_TRUE(run.finished && !run.crashed) << qPrintable(what);
            EXPECT_EQ(run.status, 1) << qPrintable(what);
            EXPECT_TRUE(run.err.contains(bad.message)) << qPrintable(what + ": " + run.err);
            EXPECT_TRUE(run.out.isEmpty()) << qPrintable(what);
        }
    }
    for (const char* output : {"out.png", "out.jpg", "out.Ilf"})
        EXPECT_FALSE(QFile::exists(Path(output))) << output;
}

TEST_F(ToolTest, outputs_that_cannot_be_written_exit_1_with_a_message)
{
    WriteSampleNote("sample.Ilf");
    for (const char* folder : {"taken.png", "taken.jpg", "taken.Ilf"})
        ASSERT_TRUE(QDir(m_dir.path()).mkdir(folder));
    const QList<QStringList> writes = {
        {"render", "taken.png"}, {"render", "missing/page.png"}, {"render", "missing/page.jpg"},
        {"export", "taken.jpg"}, {"export", "missing/page.jpg"}, {"convert", "taken.Ilf"},
        {"convert", "missing/copy.Ilf"}};
    for (const QStringList& write : writes) {
        const ToolRun run = Tool({write[0], Path("sample.Ilf"), Path(write[1])});
        EXPECT_TRUE(run.finished && !run.crashed) << qPrintable(write.join(' '));
        EXPECT_EQ(run.status, 1) << qPrintable(write.join(' '));
        EXPECT_FALSE(run.err.isEmpty()) << qPrintable(write.join(' '));
    }
    EXPECT_FALSE(QDir(Path("missing")).exists());
}

TEST_F(ToolTest, usage_errors_exit_2_with_the_usage_text)
{
    WriteSampleNote("sample.Ilf");
    const QString note = Path("sample.Ilf");
    const QList<QStringList> wrong = {
        {}, {"frobnicate", note}, {"info"}, {"info", note, note}, {"info", note, "--bogus"}, {"render", note},
        {"render", note, "page.bmp"}, {"render", note, "page.png", "--strokes"}, {"export", note, "page.bmp"},
        {"export", note, "page.jpg", "--scale", "2"}, {"export", note, "page.png", "--paper", "A4"},
        {"export", note, "page.pdf", "--scale", "3"}, {"export", note, "page.pdf", "--paper", "A3"},
        {"export", "--out-dir", ".", "--to", "gif", note}, {"export", note, "page.pdf", "--to", "png"},
        {"convert", note, "copy.txt"}, {"convert", note, "copy.QVN.txt"},
        {"render", note, "page.png", "--screen"}, {"render", note, "page.png", "--screen", "800"},
        {"render", note, "page.png", "--screen", "0x600"}, {"render", note, "page.png", "--screen=-800x600"},
        {"render", note, "page.png", "--screen", "20000x600"},  // a page too large to hold
    };
    for (const QStringList& args : wrong) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.err.contains("usage: inkleaf-tool")) << qPrintable(args.join(' '));
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"page.*", "copy.*"}).isEmpty());

    const ToolRun help = Tool({"--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_TRUE(help.out.contains("usage: inkleaf-tool"));
}

TEST_F(ToolTest, screen_size_is_accepted_and_a_note_keeps_its_own_page)
{
    WriteSampleNote("sample.Ilf");
    const ToolRun wide = Tool({"render", "--screen", "800x600", Path("sample.Ilf"), Path("a.png")});
    const ToolRun joined = Tool({"export", Path("sample.Ilf"), Path("a.jpg"), "--screen=1600x1200"});
    ASSERT_EQ(wide.status, 0) << qPrintable(wide.err);
    ASSERT_EQ(joined.status, 0) << qPrintable(joined.err);
    ASSERT_EQ(Tool({"render", Path("sample.Ilf"), Path("b.png")}).status, 0);
    ASSERT_EQ(Tool({"export", Path("sample.Ilf"), Path("b.jpg")}).status, 0);
    EXPECT_EQ(QImage(Path("a.png")).size(), QSize(1024, 1365));
    EXPECT_EQ(QImage(Path("a.png")), QImage(Path("b.png")));
    EXPECT_EQ(Contents(Path("a.jpg")), Contents(Path("b.jpg")));
}

namespace {

// Sets an environment variable of this process, and so of the tool, while it lives.
class ScopedLocale {
public:
    explicit ScopedLocale(const char* locale) : m_old(qgetenv("LC_ALL")) { qputenv("LC_ALL", locale); }
    ~ScopedLocale() { qputenv("LC_ALL", m_old); }

private:
    QByteArray m_old;
};

}  // namespace

TEST_F(ToolTest, export_pdf_prints_a_sheet_per_page_height_on_the_paper_asked_for)
{
    m_view.Page().AddPageLength();
    m_view.Page().AddPageLength();
    WriteSampleNote("long.Ilf");
    const ToolRun letter = Tool({"export", Path("long.Ilf"), Path("letter.pdf"), "--paper", "Letter"});
    ASSERT_EQ(letter.status, 0) << qPrintable(letter.err);
    EXPECT_EQ(PdfPages(Path("letter.pdf")), std::make_pair(3, QString("612 x 792")));
    ASSERT_EQ(Tool({"export", Path("long.Ilf"), Path("a4.pdf"), "--paper=a4"}).status, 0);
    EXPECT_EQ(PdfPages(Path("a4.pdf")), std::make_pair(3, QString("595 x 842")));

    // Each sheet is its band of the page the program renders, stretched over the sheet.
    const QImage page = Rendered(Path("long.Ilf"));
    const std::vector<QImage> sheets = RasteriseSheets(Path("letter.pdf"), Path("sheet"));
    ASSERT_EQ(sheets.size(), 3u);
    for (int k = 0; k < 3; ++k)
        EXPECT_LT(SheetDifference(sheets[k], page.copy(0, k * 1365, 1024, 1365)), 4.0) << "sheet " << k + 1;
    EXPECT_GT(SheetDifference(sheets[0], page.copy(0, 1365, 1024, 1365)), SheetDifference(sheets[0], page.copy(0, 0, 1024, 1365)));

    // Without --paper, the paper of the locale.
    {
        ScopedLocale us("en_US.UTF-8");
        ASSERT_EQ(Tool({"export", Path("long.Ilf"), Path("us.pdf")}).status, 0);
    }
    {
        ScopedLocale german("de_DE.UTF-8");
        ASSERT_EQ(Tool({"export", Path("long.Ilf"), Path("de.pdf")}).status, 0);
    }
    EXPECT_EQ(PdfPages(Path("us.pdf")).second, "612 x 792");
    EXPECT_EQ(PdfPages(Path("de.pdf")).second, "595 x 842");
}

TEST_F(ToolTest, export_scale_draws_the_page_again_at_the_zoom)
{
    // Four columns of a picture squeezed into two page pixels: the page has room for two of
    // them, the page drawn at zoom 2 for all four.
    QImage columns(4, 4, QImage::Format_RGB32);
    for (int x = 0; x < 4; ++x)
        for (int y = 0; y < 4; ++y)
            columns.setPixel(x, y, QList<QRgb>{0xFFFF0000, 0xFF00FF00, 0xFF0000FF, 0xFFFFFFFF}[x]);
    auto picture = std::make_unique<CPictureItem>();
    picture->SetBitmap(columns, 4, 4);
    picture->SetRect(CRect(700, 300, 702, 302));
    m_doc.m_pictures.Add(std::move(picture));
    WriteSampleNote("sample.Ilf");

    ASSERT_EQ(Tool({"export", Path("sample.Ilf"), Path("one.png")}).status, 0);
    const ToolRun run = Tool({"export", Path("sample.Ilf"), Path("two.png"), "--scale", "2"});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QImage one = QImage(Path("one.png")).convertToFormat(QImage::Format_RGB32);
    const QImage two = QImage(Path("two.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(one.size(), QSize(722, 650));  // the picture's right edge, and the content, plus 20
    ASSERT_EQ(two.size(), QSize(1444, 1300));
    auto pixel = [&](int x, int y) { return QRgbToColorRef(two.pixel(x, y)); };
    // The ruled line of rows 89 and 90 is four rows thick.
    EXPECT_EQ(pixel(1400, 177), kBack);
    EXPECT_EQ(pixel(1400, 178), kLine);
    EXPECT_EQ(pixel(1400, 181), kLine);
    EXPECT_EQ(pixel(1400, 182), kBack);
    // Every column of the picture shows.
    EXPECT_EQ(pixel(1400, 601), RGB(255, 0, 0));
    EXPECT_EQ(pixel(1401, 601), RGB(0, 255, 0));
    EXPECT_EQ(pixel(1402, 601), RGB(0, 0, 255));
    EXPECT_EQ(pixel(1403, 601), RGB(255, 255, 255));
    EXPECT_EQ(QRgbToColorRef(one.pixel(700, 300)), RGB(255, 0, 0));
    EXPECT_EQ(QRgbToColorRef(one.pixel(701, 300)), RGB(0, 0, 255));
    // The pencil stroke is there, dark blue, where the page has it.
    const COLORREF ink = pixel(500, 430);
    EXPECT_TRUE(GetRValue(ink) < 8 && GetGValue(ink) < 8 && GetBValue(ink) > 112) << std::hex << ink;

    const ToolRun pdf = Tool({"export", Path("sample.Ilf"), Path("four.pdf"), "--scale", "4", "--paper", "A4"});
    ASSERT_EQ(pdf.status, 0) << qPrintable(pdf.err);
    EXPECT_EQ(PdfPages(Path("four.pdf")).first, 1);
}

TEST_F(ToolTest, export_out_dir_writes_every_note_and_goes_on_after_a_failed_one)
{
    WriteSampleNote("first.Ilf");
    WriteSampleNote("second.Ilf");
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
    const ToolRun run = Tool({"export", "--out-dir", Path("out"), Path("first.Ilf"), Path("missing.Ilf"), Path("second.Ilf")});
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(PdfPages(Path("out/first.pdf")).first, 1);
    EXPECT_EQ(PdfPages(Path("out/second.pdf")).first, 1);
    const ToolRun png = Tool({"export", "--out-dir", Path("out"), "--to", "png", Path("first.Ilf")});
    ASSERT_EQ(png.status, 0) << qPrintable(png.err);
    EXPECT_EQ(QImage(Path("out/first.png")).size(), QSize(623, 650));
}

TEST_F(ToolTest, thumbnail_fits_the_page_with_its_lines_ink_and_pictures_in_the_asked_square)
{
    WriteSampleNote("sample.Ilf");
    const ToolRun run = Tool({"thumbnail", "--size", "128", Path("sample.Ilf"), Path("thumb.png")});
    ASSERT_EQ(run.status, 0) << qPrintable(run.err);
    const QImage image = QImage(Path("thumb.png")).convertToFormat(QImage::Format_RGB32);
    ASSERT_EQ(image.size(), QSize(96, 128));  // the 1024 x 1365 page, its longer side 128
    auto pixel = [&](int x, int y) { return QRgbToColorRef(image.pixel(x, y)); };
    EXPECT_EQ(pixel(70, 4), kBack);  // between the first two ruled lines
    // The ruled lines at 90, 180, ... page pixels are still seen: each darkens its row.
    int ruled = 0;
    for (int y = 0; y < 128; ++y)
        ruled += GetGValue(pixel(70, y)) < GetGValue(kBack) - 4;
    EXPECT_GE(ruled, 12);
    const COLORREF ink = pixel(23, 20);  // the pencil stroke, page (250, 215)
    EXPECT_TRUE(GetRValue(ink) < 0x90 && GetBValue(ink) > GetRValue(ink) + 40) << std::hex << ink;
    EXPECT_EQ(pixel(49, 57), 0xC08020u);  // the picture, page (520, 610)

    const ToolRun wide = Tool({"thumbnail", "--size=32", Path("sample.Ilf"), Path("small.png")});
    ASSERT_EQ(wide.status, 0) << qPrintable(wide.err);
    EXPECT_EQ(QImage(Path("small.png")).size(), QSize(24, 32));
}

TEST_F(ToolTest, thumbnail_of_a_bad_file_exits_at_once_and_writes_nothing)
{
    WriteSampleNote("good.Ilf");
    const QByteArray good = Contents(Path("good.Ilf"));
    QByteArray bigPage = good;
    const LONG bottom = qToLittleEndian<LONG>(60000);
    std::memcpy(bigPage.data() + 24, &bottom, 4);  // a 1024 x 60000 page: allowed, but slow to draw
    const QList<std::pair<const char*, QByteArray>> files = {
        {"truncated.Ilf", good.left(good.size() - 3)}, {"head.Ilf", good.left(20)}, {"empty.Ilf", {}},
        {"big.Ilf", bigPage}, {"picture.png", good}};
    for (const auto& [name, bytes] : files)
        Write(Path(name), bytes);
    ASSERT_EQ(::mkfifo(QFile::encodeName(Path("pipe.Ilf")).constData(), 0600), 0);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.Ilf"));
    const struct {
        const char* name;
        const char* message;
    } cases[] = {
        {"truncated.Ilf", "Unexpected file format."}, {"head.Ilf", "ends before its page"},
        {"empty.Ilf", "ends before its page"},        {"big.Ilf", "too large for a thumbnail"},
        {"picture.png", "neither a note"},            {"pipe.Ilf", "not a regular file"},
        {"folder.Ilf", "not a regular file"},         {"gone.Ilf", "no such file"},
    };
    for (const auto& bad : cases) {
        const ToolRun run = Tool({"thumbnail", "--size", "128", Path(bad.name), Path("thumb.png")});
        EXPECT_TRUE(run.finished && !run.crashed) << bad.name;
        EXPECT_EQ(run.status, 1) << bad.name;
        EXPECT_TRUE(run.err.contains(bad.message)) << bad.name << ": " << qPrintable(run.err);
        EXPECT_FALSE(QFile::exists(Path("thumb.png"))) << bad.name;
    }
    for (const QStringList& args : QList<QStringList>{{"thumbnail", Path("good.Ilf"), Path("thumb.png")},
                                                      {"thumbnail", "--size", "0", Path("good.Ilf"), Path("thumb.png")},
                                                      {"thumbnail", "--size", "4096", Path("good.Ilf"), Path("thumb.png")},
                                                      {"thumbnail", "--size", "big", Path("good.Ilf"), Path("thumb.png")},
                                                      {"thumbnail", "--size", "64", Path("good.Ilf"), Path("thumb.jpg")}}) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 2) << qPrintable(args.join(' '));
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"thumb.*"}).isEmpty());
}

TEST_F(ToolTest, help_of_one_command_gives_its_usage_and_the_exit_status)
{
    const ToolRun all = Tool({"--help"});
    ASSERT_EQ(all.status, 0);
    for (const char* command : {"info", "render", "export", "convert", "split", "merge", "thumbnail"}) {
        const ToolRun one = Tool({command, "--help"});
        EXPECT_EQ(one.status, 0) << command;
        EXPECT_TRUE(one.out.contains(QByteArray("  ") + command + ' ')) << command;
        EXPECT_TRUE(one.out.contains("Exit status: 0 done")) << command;
        EXPECT_LT(one.out.size(), all.out.size()) << command;
        EXPECT_TRUE(all.out.contains(one.out.mid(one.out.indexOf('\n') + 1, 60))) << command;
    }
    const ToolRun thumbnail = Tool({"thumbnail", "-h"});
    EXPECT_TRUE(thumbnail.out.contains("thumbnail --size N IN OUT.png"));
    EXPECT_FALSE(thumbnail.out.contains("merge BASE"));
}
