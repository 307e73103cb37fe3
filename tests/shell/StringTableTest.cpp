#include "shell/tables/CommandTable.h"
#include "shell/tables/StringTable.h"

#include <QRegularExpression>
#include <QSet>

#include <gtest/gtest.h>

namespace {

const QStringList kLanguages = {"de", "en", "es", "fr", "it", "ja", "ko", "nl", "pl", "pt_PT", "zh_CN", "zh_TW"};

}  // namespace

TEST(StringTable, twelve_languages_are_compiled_in)
{
    EXPECT_EQ(StringTable::Languages(), kLanguages);
}

TEST(StringTable, every_language_has_every_english_identifier_once)
{
    const QList<UINT> english = StringTable::Identifiers("en");
    ASSERT_EQ(english.size(), 80);
    for (const QString& language : kLanguages) {
        const QList<UINT> ids = StringTable::Identifiers(language);
        EXPECT_EQ(ids, english) << language.toStdString();
        StringTable table;
        ASSERT_TRUE(table.Load(language));
        for (UINT id : english)
            EXPECT_FALSE(table.LoadString(id).isEmpty()) << language.toStdString() << " " << id;
    }
}

TEST(StringTable, english_texts_are_exact)
{
    StringTable table;
    ASSERT_TRUE(table.Load("en"));
    EXPECT_EQ(table.LoadString(IDR_MAINFRAME),
              "Inkleaf\n\nInkleaf\nInkleaf (*.Ilf)\n.Ilf\nIlf.Document\nInkleaf  Document");
    EXPECT_EQ(table.LoadString(IDC_PENCIL), "\nPencil");
    EXPECT_EQ(table.LoadString(ID_APP_EXIT), "Close\nClose");
    EXPECT_EQ(table.LoadString(IDS_LETTER_MODE_LOSES_DATA),
              "If you select Letter mode,all the data will be lost!  Continue?");
    EXPECT_EQ(table.LoadString(IDS_VERSION), "Version :");
    EXPECT_EQ(table.LoadString(ID_SEND_MAIL), "Send to Mail Recipient(Ctrl+M)");
    EXPECT_EQ(table.LoadString(ID_FILE_MRU_FILE1 + 7), "Open this document");
    EXPECT_EQ(table.LoadString(IDS_MINIMIZE), "Minimize");
    EXPECT_EQ(table.LoadString(IDS_RESTORE_UNSAVED), "Inkleaf closed unexpectedly. Restore the unsaved note?");
}

TEST(StringTable, translations_keep_the_tooltip_shape_and_the_names)
{
    StringTable english;
    ASSERT_TRUE(english.Load("en"));
    for (const QString& language : kLanguages) {
        StringTable table;
        ASSERT_TRUE(table.Load(language));
        for (UINT id : StringTable::Identifiers("en")) {
            const QString text = table.LoadString(id);
            EXPECT_EQ(text.startsWith('\n'), english.LoadString(id).startsWith('\n')) << language.toStdString() << id;
            EXPECT_EQ(text.count('\n'), english.LoadString(id).count('\n')) << language.toStdString() << id;
        }
        for (UINT id : {IDR_MAINFRAME, AFX_IDS_APP_TITLE, IDS_COMPANY})
            EXPECT_EQ(table.LoadString(id), english.LoadString(id)) << language.toStdString();
    }
    StringTable german;
    ASSERT_TRUE(german.Load("de"));
    EXPECT_NE(german.LoadString(IDC_ERASER), english.LoadString(IDC_ERASER));
}

TEST(StringTable, language_follows_the_locale_and_falls_back_to_english)
{
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::German, QLocale::Austria)), "de");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Chinese, QLocale::Taiwan)), "zh_TW");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Chinese, QLocale::TraditionalChineseScript, QLocale::HongKong)),
              "zh_TW");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Chinese, QLocale::China)), "zh_CN");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Portuguese, QLocale::Brazil)), "pt_PT");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Spanish, QLocale::Mexico)), "es");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::Swedish, QLocale::Sweden)), "en");
    EXPECT_EQ(StringTable::LanguageFor(QLocale(QLocale::English, QLocale::UnitedKingdom)), "en");

    StringTable table;
    EXPECT_FALSE(table.Load("xx"));
    ASSERT_TRUE(table.Load("ja"));
    EXPECT_TRUE(table.LoadString(99999).isEmpty());
}

TEST(StringTable, shortcuts_name_their_keys_as_the_language_does)
{
    // Ctrl and Del as Qt's own translations name them; where a language keeps "Ctrl", so do we.
    const QHash<QString, QPair<QString, QString>> keys = {
        {"de", {"Strg", "Entf"}},   {"en", {"Ctrl", "Del"}},   {"es", {"Control", "Suprimir"}},
        {"fr", {"Ctrl", "Suppr"}},  {"it", {"Ctrl", "Canc"}},  {"ja", {"Ctrl", "Del"}},
        {"ko", {"Ctrl", "Del"}},    {"nl", {"Ctrl", "Del"}},   {"pl", {"Ctrl", "Del"}},
        {"pt_PT", {"Ctrl", "Del"}}, {"zh_CN", {"Ctrl", "Del"}}, {"zh_TW", {"Ctrl", "刪除鍵 (Del)"}}};
    static const QRegularExpression shortcut(QStringLiteral("\\(([^()+]+)\\+[A-Z]\\)"));
    for (const QString& language : kLanguages) {
        ASSERT_TRUE(keys.contains(language));
        StringTable table;
        ASSERT_TRUE(table.Load(language));
        int shortcuts = 0;
        for (UINT id : StringTable::Identifiers(language)) {
            for (const QRegularExpressionMatch& match : shortcut.globalMatch(table.LoadString(id))) {
                EXPECT_EQ(match.captured(1), keys[language].first) << language.toStdString() << " " << id;
                ++shortcuts;
            }
        }
        EXPECT_EQ(shortcuts, 6) << language.toStdString();
        EXPECT_EQ(table.LoadString(IDS_KEY_DELETE), keys[language].second) << language.toStdString();
    }
    StringTable german;
    ASSERT_TRUE(german.Load("de"));
    EXPECT_EQ(german.LoadString(ID_FILE_NEW), "Neu (Strg+N)");
}

TEST(StringTable, tooltip_is_the_text_after_the_line_break)
{
    EXPECT_EQ(TooltipOf("\nZoom In"), "Zoom In");
    EXPECT_EQ(TooltipOf("Close\nClose"), "Close");
    EXPECT_EQ(TooltipOf("Minimize"), "Minimize");
}

TEST(CommandTable, accelerators_reach_their_commands)
{
    QHash<char, UINT> table;
    for (const Accelerator& a : AcceleratorTable())
        table.insert(a.key, a.command);
    EXPECT_EQ(table.size(), 9);
    EXPECT_EQ(table.value('Z'), IDC_UNDO);
    EXPECT_EQ(table.value('Y'), IDC_REDO);
    EXPECT_EQ(table.value('O'), ID_FILE_OPEN);
    EXPECT_EQ(table.value('M'), ID_SEND_MAIL);
    EXPECT_EQ(table.value('C'), ID_EDIT_COPY);
}

TEST(CommandTable, open_goes_to_the_document_and_the_placeholders_to_the_view)
{
    ASSERT_NE(FindCommand(ID_FILE_OPEN), nullptr);
    EXPECT_EQ(FindCommand(ID_FILE_OPEN)->handler, CommandTarget::Document);
    EXPECT_EQ(FindCommand(ID_FILE_NEW)->handler, CommandTarget::Application);
    EXPECT_EQ(FindCommand(IDC_TEST)->handler, CommandTarget::View);
    EXPECT_EQ(FindCommand(IDC_HIDDEN)->handler, CommandTarget::View);
    EXPECT_EQ(FindCommand(ID_LETTER_MODE)->handler, CommandTarget::Frame);
    EXPECT_EQ(FindCommand(12345), nullptr);
}

TEST(CommandTable, picture_menu_lists_the_stacking_commands_in_order)
{
    const MenuItem& menu = PictureMenu();
    EXPECT_STREQ(menu.text, "Picture");
    std::vector<UINT> commands;
    for (const MenuItem& item : menu.items)
        commands.push_back(item.command);
    EXPECT_EQ(commands, (std::vector<UINT>{ID_PICTURE_TO_FRONT, ID_PICTURE_TO_BACK, ID_PICTURE_FORWARD,
                                           ID_PICTURE_BACKWARD, ID_PICTURE_DELETE}));
    ASSERT_EQ(MainMenu().size(), 3u);
    EXPECT_STREQ(MainMenu()[0].text, "&File");
    EXPECT_EQ(MainMenu()[0].items.back().command, ID_APP_EXIT);
}
