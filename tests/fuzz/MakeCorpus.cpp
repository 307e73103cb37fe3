// make-fuzz-corpus FOLDER: writes the fuzz targets' seed files into FOLDER/TARGET/, each made
// by the program's own writers (notes with strokes and pictures, device files, JPEG, settings,
// journals) or built as the readers expect them (BMP variants, messages, command lines). Small
// on purpose: a fuzzer mutates small seeds fastest.

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "document/JournalFormat.h"
#include "document/RecoveryJournal.h"
#include "pictures/ImageFiles.h"
#include "platform/Archive.h"
#include "platform/DrawingSurface.h"
#include "platform/Prompts.h"
#include "platform/Settings.h"

#include <QApplication>
#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdio>
#include <memory>

namespace {

QString g_out;

void Put(const QString& target, const QString& name, const QByteArray& bytes)
{
    QDir().mkpath(g_out + QLatin1Char('/') + target);
    QFile file(g_out + QLatin1Char('/') + target + QLatin1Char('/') + name);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size()) {
        std::fprintf(stderr, "make-fuzz-corpus: cannot write %s\n", qPrintable(file.fileName()));
        std::exit(1);
    }
}

QByteArray Contents(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QImage Pattern(int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x)
            image.setPixel(x, y, qRgb(40 * x % 256, 60 * y % 256, (x ^ y) * 30 % 256));
    return image;
}

std::unique_ptr<CLine> Stroke(int penType, int x, int y, int points)
{
    auto line = std::make_unique<CLine>();
    line->SetColor(RGB(0, 0, 128 + penType));
    line->SetPenType(WORD(penType), 1);
    for (int i = 0; i < points; ++i)
        line->AddPoint(x + 7 * i, y + (i * i) % 11, SHORT(300 + 40 * i));
    return line;
}

std::unique_ptr<CPictureItem> Picture(int width, int height, const RECT& place)
{
    auto picture = std::make_unique<CPictureItem>();
    picture->SetBitmap(Pattern(width, height), width, height);
    picture->SetRect(place);
    return picture;
}

QByteArray NoteBytes(CScrivaDoc& doc)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    doc.Serialize(ar);
    ar.Close();
    return bytes;
}

QByteArray PictureListBytes(CPictureList& list)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    CArchive ar(&buffer, CArchive::store);
    list.Serialize(ar);
    ar.Close();
    return bytes;
}

// Notes, their picture lists, device files of their strokes, and a journal of writing them.
void Notes(const QString& work)
{
    CScrivaDoc doc;
    HeadlessView view(doc, CRect(0, 0, 320, 240), work + QStringLiteral("/KSTPVX.ini"));
    doc.OnNewDocument();
    Put("note", "empty.Ilf", NoteBytes(doc));

    doc.m_lines.Add(Stroke(2, 20, 30, 6));
    Put("note", "one-stroke.Ilf", NoteBytes(doc));
    view.WriteDeviceFile(work + QStringLiteral("/one.QVN"));
    Put("device", "one-stroke.QVN", Contents(work + QStringLiteral("/one.QVN")));

    doc.m_lines.Add(Stroke(3, 60, 80, 4));
    doc.m_lines.Add(Stroke(4, 100, 40, 3));
    Put("note", "pen-types.Ilf", NoteBytes(doc));
    view.WriteDeviceFile(work + QStringLiteral("/three.QVN"));
    Put("device", "three-strokes.QVN", Contents(work + QStringLiteral("/three.QVN")));

    doc.m_pictures.Add(Picture(3, 2, RECT{10, 10, 40, 30}));
    doc.m_pictures.Add(Picture(1, 1, RECT{-5, 50, 20, 60}));
    Put("note", "strokes-and-pictures.Ilf", NoteBytes(doc));
    Put("picture", "two-pictures.rec", PictureListBytes(doc.m_pictures));

    CPictureList none;
    Put("picture", "no-pictures.rec", PictureListBytes(none));
    CPictureList one;
    one.Add(Picture(5, 3, RECT{0, 0, 5, 3}));
    Put("picture", "one-picture.rec", PictureListBytes(one));
    QByteArray imageData;
    imageData.append(char(5)).append(char(3));
    imageData.append(PictureListBytes(one).mid(4 + CPictureItem::kRecordHeadBytes));
    Put("picture", "image-data-5x3.rec", imageData);

    // A journal as the program writes it: a stroke, another, an undo, a picture.
    RecoveryJournal journal(work + QStringLiteral("/journal"), QStringLiteral("letter"));
    CScrivaDoc written;
    HeadlessView writtenView(written, CRect(0, 0, 320, 240), work + QStringLiteral("/KSTPVX.ini"));
    written.OnNewDocument();
    written.SetJournal(&journal);
    written.m_lines.Add(Stroke(2, 20, 30, 5));
    written.JournalStroke();
    written.m_lines.Add(Stroke(3, 40, 60, 3));
    written.JournalStroke();
    written.m_lines.Undo();
    written.JournalUndoneStroke();
    written.m_pictures.Add(Picture(2, 2, RECT{5, 5, 9, 9}));
    written.JournalNote();
    written.m_lines.Add(Stroke(4, 80, 20, 2));
    written.JournalStroke();
    // The target puts the signature in front itself.
    Put("journal", "written.journal", Contents(journal.Path()).mid(JournalFormat::kSignatureSize));
    written.SetJournal(nullptr);
}

void Pictures(const QString& work, const QString& source)
{
    DrawingSurface dc;
    const QString jpeg = work + QStringLiteral("/page.jpg");
    CreateAttachment(&dc, Pattern(16, 8), jpeg, 1, RGB(255, 255, 255), RGB(0, 0, 0));
    Put("jpeg", "written-16x8.jpg", Contents(jpeg));
    CreateAttachment(&dc, Pattern(1, 1), jpeg, 1, RGB(255, 255, 255), RGB(0, 0, 0));
    Put("jpeg", "written-1x1.jpg", Contents(jpeg));
    Put("jpeg", "corrupt.jpg", Contents(source + QStringLiteral("/tests/pictures/data/corrupt.jpg")));

    for (const char* name : {"core_2x2.bmp", "rle8_4x2.bmp", "v5_565_3x1.bmp"})
        Put("bmp", name, Contents(source + QStringLiteral("/tests/pictures/data/") + QLatin1String(name)));
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    Pattern(5, 3).save(&buffer, "BMP");
    Put("bmp", "rgb32_5x3.bmp", buffer.data());
    QImage indexed = Pattern(6, 2).convertToFormat(QImage::Format_Indexed8);
    QBuffer indexedBuffer;
    indexedBuffer.open(QIODevice::WriteOnly);
    indexed.save(&indexedBuffer, "BMP");
    Put("bmp", "indexed_6x2.bmp", indexedBuffer.data());
}

void SettingsFiles(const QString& work)
{
    const QString file = work + QStringLiteral("/settings.ini");
    WriteSetting(Settings::PenColor, 0x800000, file);
    WriteSetting(Settings::LineHeight, 90, file);
    WriteSetting(Settings::ColorBlock(3), 255, file);
    WriteSetting(Settings::NewInterface, QStringLiteral("1"), file);
    WriteSetting(Settings::RecordDate, QStringLiteral("03062006-4"), file);
    WriteSetting(Settings::MousePen, 1, file);
    Put("settings", "written.ini", Contents(file));
    Put("settings", "by-hand.ini", "; comment\r\n[color]\r\n pencolor = -12 \r\nPENCOLOR=5\r\n[LineHeight]\nLINEHEIGHT=0x10\n[UI\nNew=1\n");
}

void Messages()
{
    Put("message", "every-request", "\x10HELLO\nVISIBLE\nMINIMIZE\nRESTORE\nTOPMOST\nADD-PAGE-LENGTH\n"
                                    "CLOSE-OVERLAY OVERLAY\nCLOSE-OVERLAY\nOPEN /home/a%20b/note.Ilf\nOPEN x\nBOGUS\n");
    Put("message", "long-open", "\x03OPEN /" + QByteArray(300, 'a') + "\nHELLO\n");
    Put("message", "too-long", "\x3f" + QByteArray(300, 'V') + "\nHELLO\n");
}

void ToolArguments()
{
    const auto args = [](std::initializer_list<const char*> words) {
        QByteArray bytes;
        for (const char* word : words)
            bytes.append(word).append('\0');
        bytes.chop(1);
        return bytes;
    };
    Put("tool_args", "info", args({"info", "note.Ilf", "--strokes"}));
    Put("tool_args", "export-pdf", args({"export", "a.Ilf", "b.pdf", "--paper", "Letter", "--scale", "2"}));
    Put("tool_args", "export-batch", args({"export", "--out-dir", "out", "--to", "png", "a.Ilf", "b.Ilf"}));
    Put("tool_args", "convert-batch", args({"convert", "--out-dir", "d", "--to", "qvn", "x.Ilf", "y.QVN"}));
    Put("tool_args", "split", args({"split", "in.QVN", "3", "a.QVN", "b.QVN", "--screen", "800x600"}));
    Put("tool_args", "merge", args({"merge", "base.Ilf", "out.Ilf", "a.QVN", "b.QVN"}));
    Put("tool_args", "thumbnail", args({"thumbnail", "--size", "128", "in.Ilf", "out.png"}));
    Put("tool_args", "help", args({"convert", "--help"}));
}

}  // namespace

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 3) {
        std::fprintf(stderr, "usage: make-fuzz-corpus SOURCE-FOLDER OUT-FOLDER\n");
        return 2;
    }
    g_out = QString::fromLocal8Bit(argv[2]);
    QTemporaryDir work;
    OverrideSettingsFolder(work.path());
    ConsolePrompts console;
    SetPrompts(&console);
    Notes(work.path());
    Pictures(work.path(), QString::fromLocal8Bit(argv[1]));
    SettingsFiles(work.path());
    Messages();
    ToolArguments();
    return 0;
}
