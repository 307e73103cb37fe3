// The user manual built beside the program: help.pdf is there, is a PDF and has several pages.

#include <QFile>
#include <QRegularExpression>

#include <gtest/gtest.h>

namespace {

QByteArray ReadHelp()
{
    QFile file(QStringLiteral(INKLEAF_HELP_PDF));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

TEST(HelpTest, ManualIsBuiltBesideTheProgram)
{
    EXPECT_TRUE(QFile::exists(QStringLiteral(INKLEAF_HELP_PDF))) << INKLEAF_HELP_PDF;
}

TEST(HelpTest, ManualIsACompletePdf)
{
    const QByteArray pdf = ReadHelp();
    ASSERT_FALSE(pdf.isEmpty());
    EXPECT_TRUE(pdf.startsWith("%PDF-"));
    EXPECT_TRUE(pdf.trimmed().endsWith("%%EOF"));
}

TEST(HelpTest, ManualHasOnePageAtLeastPerChapter)
{
    // Every page object names its type; the page tree's own "/Type /Pages" does not count.
    const QString pdf = QString::fromLatin1(ReadHelp());
    const QRegularExpression page(QStringLiteral("/Type\\s*/Page(?![a-zA-Z])"));
    int pages = 0;
    for (auto it = page.globalMatch(pdf); it.hasNext(); it.next())
        ++pages;
    EXPECT_GE(pages, 9);
}

}  // namespace
