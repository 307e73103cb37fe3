#pragma once
// PNG files of pages, written quickly on every core. A page is flat colours: white paper, ruled
// lines, ink of one colour with soft edges. Its rows go unfiltered to zlib at its fastest level,
// whose string matching finds both kinds of repeat there, a colour's three bytes over and over
// along a row and a row like the one above; that is cheaper and smaller than libpng's search
// over the five row filters. The rows are compressed in horizontal strips, each on its own
// thread into raw deflate blocks ending in a full flush, and the strips are joined into one
// zlib stream with their Adler-32 checksums combined, so the file is one ordinary PNG that
// every reader opens. How the image is cut into strips depends only on its size, so the same
// image gives the same bytes on every machine.
//
// Images with alpha are written as 8-bit RGBA, all others as 8-bit RGB; either decodes to the
// pixels given. The resolution, the text and the colour space of the image go into the file
// as Qt's own PNG writer puts them there.

#include <QImage>
#include <QString>

class QIODevice;

class PngWriter {
public:
    // The PNG row filter types of the same numbers.
    enum class RowFilter { None = 0, Sub = 1, Up = 2 };
    // How zlib looks for repeats: runs of one byte value only (Z_RLE), or earlier strings too
    // (Z_DEFAULT_STRATEGY).
    enum class Matching { Runs, Strings };

    explicit PngWriter(const QImage& image);

    // The defaults are the fastest and smallest for pages; the benchmarks compare the others.
    void SetRowFilter(RowFilter filter) { m_filter = filter; }
    void SetMatching(Matching matching) { m_matching = matching; }
    void SetLevel(int level) { m_level = level; }  // zlib's, 1 (fastest) to 9

    // Writes the whole file to device. False when the image is null or too large for PNG, or
    // device refused the bytes; ErrorString says which.
    bool Write(QIODevice& device);
    QString ErrorString() const { return m_error; }

    // Rows of each strip compressed on its own thread: about a megabyte of filtered rows,
    // at least one row. bytesPerPixel is 3 for RGB, 4 for RGBA.
    static int StripRows(int width, int bytesPerPixel);

    // Writes image to path as a PNG file, replacing path only when the new file is complete.
    // Returns why it could not be written, or an empty string.
    static QString WriteFile(const QImage& image, const QString& path);

private:
    bool Fail(const QString& why);

    QImage m_image;  // Format_RGB32, or Format_ARGB32 when the image has alpha
    RowFilter m_filter = RowFilter::None;
    Matching m_matching = Matching::Strings;
    int m_level = 1;
    QString m_error;
};
