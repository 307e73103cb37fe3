// inkleaf-tool on device files (.QVN) built here byte by byte: a 32-byte header, then 6-byte
// packets, the tip down while (byte0 >> 2) & 7 is not 0.

#include "ScriptedPrompts.h"
#include "ToolRun.h"

#include "canvas/HeadlessView.h"
#include "document/CScrivaDoc.h"
#include "document/DeviceFile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <cstdlib>

namespace {

constexpr WORD kAreaX = 4000;  // device units
constexpr WORD kAreaY = 4125;

QByteArray Header(WORD areaX = kAreaX, WORD areaY = kAreaY, int headerSize = 32)
{
    QByteArray h(32, '\0');
    h.replace(0, 6, "QORVEN");
    h[6] = char(-2);  // version, a signed byte
    h[9] = char(1);   // origin
    h[10] = char(headerSize);
    h[12] = char(0x21);  // model
    h[13] = char(0x07);  // odm
    const auto put = [&h](int at, WORD value) {
        h[at] = char(value & 0xFF);
        h[at + 1] = char(value >> 8);
    };
    put(14, areaX);
    put(16, areaY);
    put(18, 511);
    return h;
}

QByteArray Packet(WORD x, WORD y, WORD pressure, bool down)
{
    const BYTE flags = BYTE((down ? 3 | 1 << 2 : 0) | ((pressure >> 8) & 1) << 7);
    const char bytes[6] = {char(flags), char(x & 0xFF), char(x >> 8), char(y & 0xFF), char(y >> 8),
                           char(pressure & 0xFF)};
    return QByteArray(bytes, 6);
}

// count pen-down packets 100 units apart along the notepad's Y axis (across the page) at
// notepad height x, then a pen-up packet where the pen left the paper.
QByteArray Stroke(WORD x, WORD y, int count)
{
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += Packet(x, WORD(y + 100 * i), WORD(300 + i), true);
    return bytes + Packet(x, WORD(y + 100 * (count - 1)), 0, false);
}

// Three strokes of 5, 4 and 6 points on three lines of the page, with pen-up packets between.
QByteArray ThreeStrokes()
{
    return Header() + Packet(2000, 500, 0, false) + Stroke(3600, 400, 5) + Stroke(3000, 400, 4) +
           Packet(2500, 900, 0, false) + Stroke(2400, 400, 6);
}

class DeviceToolTest : public ::testing::Test {
protected:
    DeviceToolTest() : m_view(m_doc, CRect(0, 0, 1024, 768), Path("KSTPVX.ini")) {}

    QString Path(const QString& name) const { return m_dir.filePath(name); }
    ToolRun Tool(const QStringList& args) const { return RunTool(args, m_dir.path(), m_home.path()); }

    // The tool's JSON for a file; fails the test when info does.
    QJsonObject Info(const QString& name, bool listStrokes = false) const
    {
        QStringList args{"info", Path(name)};
        if (listStrokes)
            args << "--strokes";
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 0) << qPrintable(name + ": " + run.err);
        return QJsonDocument::fromJson(run.out).object();
    }
    // Runs the tool and expects it to succeed.
    void Ok(const QStringList& args) const
    {
        const ToolRun run = Tool(args);
        ASSERT_TRUE(run.finished && !run.crashed) << qPrintable(args.join(' '));
        ASSERT_EQ(run.status, 0) << qPrintable(args.join(' ') + ": " + run.err);
    }

    void Write(const QString& name, const QByteArray& bytes) const
    {
        QFile file(Path(name));
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write(bytes);
    }
    QByteArray Contents(const QString& name) const
    {
        QFile file(Path(name));
        return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
    }

    // A note of two straight strokes with the pressure and live flag of captured points.
    void WriteNote(const QString& name, bool live)
    {
        for (int s = 0; s < 2; ++s) {
            auto line = std::make_unique<CLine>();
            line->SetPenType(2, 1);
            for (int i = 0; i <= 8; ++i) {
                if (live)
                    line->AddPoint(100 + 60 * i, 300 + 200 * s + 7 * i, 160, 400, 1);
                else
                    line->AddPoint(100 + 60 * i, 300 + 200 * s + 7 * i, 160);
            }
            m_doc.m_lines.Add(std::move(line));
        }
        ASSERT_TRUE(m_doc.OnSaveDocument(Path(name)));
    }

    QTemporaryDir m_dir;
    QTemporaryDir m_home;
    ScriptedPrompts m_prompts;
    CScrivaDoc m_doc;
    HeadlessView m_view;
};

QList<int> PointCounts(const QJsonObject& info)
{
    QList<int> counts;
    for (const QJsonValue& stroke : info["strokeList"].toArray())
        counts.append(int(stroke["points"].toArray().size()));
    return counts;
}

}  // namespace

TEST_F(DeviceToolTest, info_reads_the_header_and_counts_whole_packets)
{
    Write("three.QVN", ThreeStrokes() + QByteArray("\x04\x10\x00\x20", 4));  // a 4-byte fragment
    const QJsonObject info = Info("three.QVN");
    EXPECT_EQ(info["format"].toString(), "device");
    EXPECT_EQ(info["identifier"].toString(), "QORVEN");
    EXPECT_EQ(info["version"].toInt(), -2);
    EXPECT_EQ(info["origin"].toInt(), 1);
    EXPECT_EQ(info["headerSize"].toInt(), 32);
    EXPECT_EQ(info["model"].toInt(), 0x21);
    EXPECT_EQ(info["odm"].toInt(), 7);
    EXPECT_EQ(info["activeX"].toInt(), 4000);
    EXPECT_EQ(info["activeY"].toInt(), 4125);
    EXPECT_EQ(info["maxPressure"].toInt(), 511);
    EXPECT_EQ(info["packets"].toInt(), 2 + 6 + 5 + 7);
    EXPECT_EQ(info["penDownPackets"].toInt(), 5 + 4 + 6);

    // Many reads' worth of packets, with button states 1..7 all counting as down.
    QByteArray many = Header();
    for (int i = 0; i < 40000; ++i) {
        QByteArray packet = Packet(WORD(1000 + i % 7), 800, 200, false);
        packet[0] = char(BYTE(packet[0]) | ((i % 8) << 2));
        many += packet;
    }
    Write("many.QVN", many + QByteArray(5, '\x1c'));
    const QJsonObject big = Info("many.QVN");
    EXPECT_EQ(big["packets"].toInt(), 40000);
    EXPECT_EQ(big["penDownPackets"].toInt(), 35000);
}

TEST_F(DeviceToolTest, convert_replays_each_pen_down_run_as_one_stroke)
{
    Write("three.QVN", ThreeStrokes());
    Ok({"convert", Path("three.QVN"), Path("three.Ilf")});
    const QJsonObject note = Info("three.Ilf", true);
    EXPECT_EQ(note["strokes"].toInt(), 3);
    EXPECT_EQ(note["points"].toInt(), 15);
    EXPECT_EQ(PointCounts(note), (QList<int>{5, 4, 6}));
    EXPECT_EQ(note["page"].toArray(), (QJsonArray{0, 0, 1024, 1365}));
    // Up the notepad is up the page; along its Y axis is rightwards.
    const QJsonArray first = note["strokeList"][0]["points"].toArray();
    const QJsonArray second = note["strokeList"][1]["points"].toArray();
    EXPECT_LT(first[0][0].toInt(), first[4][0].toInt());
    EXPECT_EQ(first[0][1].toInt(), first[4][1].toInt());
    EXPECT_LT(first[0][1].toInt(), second[0][1].toInt());
    EXPECT_EQ(first[0][0].toInt(), second[0][0].toInt());

    // A larger screen gives a larger page, and the same strokes.
    Ok({"convert", "--screen", "1600x1200", Path("three.QVN"), Path("wide.Ilf")});
    const QJsonObject wide = Info("wide.Ilf", true);
    EXPECT_EQ(wide["page"].toArray()[2].toInt(), 1600);
    EXPECT_EQ(PointCounts(wide), (QList<int>{5, 4, 6}));
}

TEST_F(DeviceToolTest, live_strokes_go_out_and_back_within_two_pixels)
{
    // Device file -> note, and device file -> split -> merge -> note: the split writes the
    // replayed strokes back as device files, which replay to the same strokes.
    Write("three.QVN", ThreeStrokes());
    Ok({"convert", Path("three.QVN"), Path("direct.Ilf")});
    Ok({"split", Path("three.QVN"), "2", Path("a.QVN"), Path("b.QVN")});
    Ok({"merge", Path("a.QVN"), Path("again.Ilf"), Path("b.QVN")});
    const QJsonArray direct = Info("direct.Ilf", true)["strokeList"].toArray();
    const QJsonArray again = Info("again.Ilf", true)["strokeList"].toArray();
    ASSERT_EQ(again.size(), direct.size());
    for (qsizetype s = 0; s < direct.size(); ++s) {
        const QJsonArray p = direct[s]["points"].toArray();
        const QJsonArray q = again[s]["points"].toArray();
        ASSERT_EQ(q.size(), p.size()) << "stroke " << s;
        for (qsizetype i = 0; i < p.size(); ++i) {
            EXPECT_LE(std::abs(p[i][0].toInt() - q[i][0].toInt()), 2) << "stroke " << s << " point " << i;
            EXPECT_LE(std::abs(p[i][1].toInt() - q[i][1].toInt()), 2) << "stroke " << s << " point " << i;
        }
    }
}

TEST_F(DeviceToolTest, a_note_is_written_with_the_pen_down_and_comes_back_as_the_same_strokes)
{
    WriteNote("live.Ilf", true);
    ASSERT_TRUE(m_view.WriteDeviceFile(Path("expected.QVN")));
    ResetDeviceState();
    // A note file keeps no pressure and no live flag; its points still go out as writing.
    Ok({"convert", Path("live.Ilf"), Path("tool.QVN")});
    const QJsonObject info = Info("tool.QVN");
    EXPECT_EQ(info["packets"].toInt(), 2 * 9 + 2);
    EXPECT_EQ(info["penDownPackets"].toInt(), 2 * 9);
    Ok({"convert", Path("tool.QVN"), Path("back.Ilf")});
    const QJsonArray back = Info("back.Ilf", true)["strokeList"].toArray();
    ASSERT_EQ(back.size(), 2);
    EXPECT_EQ(back[0]["points"].toArray().size(), 9);
    EXPECT_EQ(info["activeX"].toInt(), 1024 + 60);  // the screen's extents, for a file never imported
    EXPECT_EQ(info["activeY"].toInt(), 768 + 60);

    CScrivaDoc loaded;
    HeadlessView view(loaded, CRect(0, 0, 1024, 768), Path("KSTPVX.ini"));
    ASSERT_TRUE(loaded.OnOpenDocument(Path("live.Ilf")));
    ASSERT_TRUE(view.WriteDeviceFile(Path("loaded.QVN")));
    EXPECT_EQ(Contents("tool.QVN"), Contents("loaded.QVN"));

    // Every packet lands within two page pixels of its point.
    const QByteArray bytes = Contents("tool.QVN");
    const double w = 1024 * 0.5 - 30, h = 1365 * 0.5 - 30;
    int at = 32;
    for (int s = 0; s < m_doc.m_lines.GetCount(); ++s) {
        for (const StrokePoint& point : m_doc.m_lines.GetAt(s)->Points()) {
            const DevicePacket packet = DecodePacket(bytes.constData() + at);
            at += 6;
            const ScreenPoint screen = DeviceToScreen(packet, w, h, 0, 0, 1084, 828);
            EXPECT_LE(std::abs(2 * screen.x - point.x), 2) << s;
            EXPECT_LE(std::abs(2 * screen.y - point.y), 2) << s;
        }
        at += 6;  // the pen-up packet
    }
}

TEST_F(DeviceToolTest, split_writes_the_strokes_on_each_side_of_the_cut)
{
    Write("three.QVN", ThreeStrokes());
    Ok({"split", Path("three.QVN"), "1", Path("a.QVN"), Path("b.QVN")});
    const QJsonObject a = Info("a.QVN"), b = Info("b.QVN");
    EXPECT_EQ(a["packets"].toInt(), 5 + 1);
    EXPECT_EQ(a["penDownPackets"].toInt(), 5);
    EXPECT_EQ(b["packets"].toInt(), 4 + 1 + 6 + 1);
    EXPECT_EQ(b["penDownPackets"].toInt(), 10);
    EXPECT_EQ(a["activeX"].toInt(), 4000);  // the imported file's area is kept
    EXPECT_EQ(b["activeY"].toInt(), 4125);

    WriteNote("note.Ilf", false);
    Ok({"split", Path("note.Ilf"), "1", Path("n1.QVN"), Path("n2.QVN")});
    EXPECT_EQ(Info("n1.QVN")["packets"].toInt(), 9 + 1);
    EXPECT_EQ(Info("n2.QVN")["packets"].toInt(), 9 + 1);

    for (const char* cut : {"0", "3", "-1", "99"}) {
        const ToolRun run = Tool({"split", Path("three.QVN"), cut, Path("c.QVN"), Path("d.QVN")});
        EXPECT_EQ(run.status, 1) << cut;
        EXPECT_TRUE(run.err.contains("Out of Range")) << qPrintable(run.err);
    }
    EXPECT_FALSE(QFile::exists(Path("c.QVN")));
    EXPECT_FALSE(QFile::exists(Path("d.QVN")));
}

TEST_F(DeviceToolTest, merge_replays_device_files_on_top_of_the_base)
{
    Write("three.QVN", ThreeStrokes());
    Write("one.QVN", Header() + Stroke(1000, 2000, 7));
    WriteNote("note.Ilf", false);
    Ok({"merge", Path("note.Ilf"), Path("merged.Ilf"), Path("three.QVN"), Path("one.QVN")});
    const QJsonObject merged = Info("merged.Ilf", true);
    EXPECT_EQ(merged["strokes"].toInt(), 2 + 3 + 1);
    EXPECT_EQ(PointCounts(merged), (QList<int>{9, 9, 5, 4, 6, 7}));

    Ok({"merge", Path("one.QVN"), Path("both.Ilf"), Path("three.QVN")});
    EXPECT_EQ(PointCounts(Info("both.Ilf", true)), (QList<int>{7, 5, 4, 6}));
}

TEST_F(DeviceToolTest, bad_device_files_exit_1_with_a_message_and_write_nothing)
{
    QByteArray random(3000, '\0');
    for (int i = 0; i < random.size(); ++i)
        random[i] = char((i * 7919 + 17) % 253);
    ASSERT_NE(random[10], char(32));
    const QByteArray body = Stroke(3000, 400, 4);
    const QList<std::pair<QString, QByteArray>> files = {
        {"random.QVN", random},         {"empty.QVN", {}},
        {"ten.QVN", Header().left(10)}, {"short.QVN", Header().left(31)},
        {"zeroX.QVN", Header(0, kAreaY) + body}, {"zeroY.QVN", Header(kAreaX, 0) + body},
        {"header.QVN", Header(kAreaX, kAreaY, 0) + body}, {"recording.bin", Header() + body},
    };
    for (const auto& [name, bytes] : files)
        Write(name, bytes);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("folder.QVN"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("out"));
    WriteNote("base.Ilf", false);

    QStringList names{"folder.QVN", "gone.QVN"};
    for (const auto& file : files)
        names.append(file.first);
    for (const QString& name : names) {
        const QString in = Path(name);
        const QList<QStringList> commands = {
            {"info", in}, {"convert", in, Path("out.Ilf")}, {"split", in, "1", Path("a.QVN"), Path("b.QVN")},
            {"merge", Path("base.Ilf"), Path("out.Ilf"), in}, {"convert", "--out-dir", Path("out"), in}};
        for (const QStringList& args : commands) {
            const ToolRun run = Tool(args);
            const QString what = args.join(' ');
            EXPECT_TRUE(run.finished && !run.crashed) << qPrintable(what);
            EXPECT_EQ(run.status, 1) << qPrintable(what);
            EXPECT_TRUE(run.err.contains(name)) << qPrintable(what + ": " + run.err);
            EXPECT_TRUE(run.out.isEmpty()) << qPrintable(what);
        }
    }
    EXPECT_TRUE(QDir(Path("out")).isEmpty());
    for (const char* output : {"out.Ilf", "a.QVN", "b.QVN"})
        EXPECT_FALSE(QFile::exists(Path(output))) << output;
}

TEST_F(DeviceToolTest, out_dir_converts_every_input_and_goes_on_after_a_failure)
{
    Write("three.QVN", ThreeStrokes());
    Write("one.QVN", Header() + Stroke(1000, 2000, 7));
    Write("bad.QVN", Header(0, 0));
    WriteNote("note.Ilf", false);
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("notes"));
    ASSERT_TRUE(QDir(m_dir.path()).mkdir("devices"));

    Ok({"convert", "--out-dir", Path("notes"), Path("three.QVN"), Path("one.QVN"), Path("note.Ilf")});
    EXPECT_EQ(QDir(Path("notes")).entryList(QDir::Files, QDir::Name),
              (QStringList{"note.Ilf", "one.Ilf", "three.Ilf"}));
    EXPECT_EQ(Info("notes/three.Ilf")["points"].toInt(), 15);
    EXPECT_EQ(Info("notes/one.Ilf")["points"].toInt(), 7);
    EXPECT_EQ(Contents("notes/note.Ilf"), Contents("note.Ilf"));

    Ok({"convert", "--to", "qvn", "--out-dir=" + Path("devices"), Path("note.Ilf"), Path("three.QVN")});
    EXPECT_EQ(Info("devices/note.QVN")["packets"].toInt(), 2 * 9 + 2);
    EXPECT_EQ(Info("devices/three.QVN")["penDownPackets"].toInt(), 15);

    const ToolRun partly = Tool({"convert", "--out-dir", Path("devices"), Path("bad.QVN"), Path("one.QVN")});
    EXPECT_EQ(partly.status, 1);
    EXPECT_TRUE(partly.err.contains("bad.QVN")) << qPrintable(partly.err);
    EXPECT_TRUE(QFile::exists(Path("devices/one.Ilf")));
    EXPECT_FALSE(QFile::exists(Path("devices/bad.Ilf")));

    const ToolRun missing = Tool({"convert", "--out-dir", Path("nowhere"), Path("one.QVN")});
    EXPECT_EQ(missing.status, 1);
    EXPECT_FALSE(QDir(Path("nowhere")).exists());
}

TEST_F(DeviceToolTest, wrong_device_command_lines_are_usage_errors)
{
    Write("three.QVN", ThreeStrokes());
    const QString in = Path("three.QVN");
    const QList<QStringList> wrong = {
        {"split", in, "x", "a.QVN", "b.QVN"}, {"split", in, "1", "a.Ilf", "b.QVN"}, {"split", in, "1", "a.QVN"},
        {"split", in, "1", "a.QVN", "b.qvn.txt"}, {"merge", in, "out.Ilf"}, {"merge", in, "out.QVN", in},
        {"convert", "--out-dir"}, {"convert", "--out-dir", "d"}, {"convert", "--to", "qvn", in, "c.Ilf"},
        {"convert", "--out-dir", "d", "--to", "bmp", in}, {"info", "--out-dir", "d", in},
        {"convert", "--out-dir", "d", in, Path("sub/three.QVN")}};
    for (const QStringList& args : wrong) {
        const ToolRun run = Tool(args);
        EXPECT_EQ(run.status, 2) << qPrintable(args.join(' '));
        EXPECT_TRUE(run.err.contains("usage: inkleaf-tool")) << qPrintable(args.join(' '));
    }
    EXPECT_TRUE(QDir(m_dir.path()).entryList({"a.*", "b.*", "c.*", "out.*", "d"}).isEmpty());
}

TEST_F(DeviceToolTest, thumbnail_replays_the_device_file_onto_the_page)
{
    Write("three.QVN", ThreeStrokes());
    Write("blank.QVN", Header());
    Ok({"thumbnail", "--size", "256", Path("three.QVN"), Path("three.png")});
    Ok({"thumbnail", "--size", "256", Path("blank.QVN"), Path("blank.png")});
    // Ink is the only thing darker than the ruled lines on a page of the default colours.
    const auto inkPixels = [this](const QString& name) {
        const QImage image = QImage(Path(name)).convertToFormat(QImage::Format_RGB32);
        EXPECT_EQ(image.size(), QSize(192, 256)) << qPrintable(name);
        int dark = 0;
        for (int y = 0; y < image.height(); ++y)
            for (int x = 0; x < image.width(); ++x)
                dark += qGray(image.pixel(x, y)) < 150;
        return dark;
    };
    EXPECT_EQ(inkPixels("blank.png"), 0);
    EXPECT_GT(inkPixels("three.png"), 20);

    Write("short.QVN", Header().left(20));
    const ToolRun bad = Tool({"thumbnail", "--size", "256", Path("short.QVN"), Path("short.png")});
    EXPECT_TRUE(bad.finished && !bad.crashed);
    EXPECT_EQ(bad.status, 1);
    EXPECT_FALSE(QFile::exists(Path("short.png")));

    // Over a megabyte of packets would keep a file manager waiting: refused before any replay.
    Write("long.QVN", Header() + QByteArray(1 << 20, '\0'));
    const ToolRun huge = Tool({"thumbnail", "--size", "256", Path("long.QVN"), Path("long.png")});
    EXPECT_EQ(huge.status, 1);
    EXPECT_TRUE(huge.err.contains("too large for a thumbnail")) << qPrintable(huge.err);
    EXPECT_FALSE(QFile::exists(Path("long.png")));
}
