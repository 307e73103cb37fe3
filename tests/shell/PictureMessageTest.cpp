// The view's messages about pictures come from the string table of the user's language.

#include "ScriptedPrompts.h"
#include "TestApplication.h"

#include "platform/CommandIds.h"
#include "platform/ScreenMetrics.h"
#include "platform/Settings.h"
#include "shell/frame/CMainFrame.h"
#include "shell/tables/StringTable.h"

#include <QFile>
#include <QTemporaryDir>

#include <gtest/gtest.h>

TEST(PictureMessages, an_unusable_image_is_reported_in_every_language)
{
    TestApplication();
    ScreenMetrics::SetFixedScreen(QSize(1024, 768));
    QTemporaryDir dir;
    OverrideSettingsFolder(dir.path());
    const QString path = dir.filePath("notes.jpg");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("just some words");
    file.close();

    ScriptedPrompts prompts;
    CScrivaDoc doc;
    const QString language = StringTable::Instance().Language();
    {
        CMainFrame frame(doc, "LETTER", [](UINT) { return false; });
        for (const QString& name : StringTable::Languages()) {
            ASSERT_TRUE(StringTable::Instance().Load(name));
            prompts.QueueFileName(path);
            frame.OnCommand(IDC_INSERT_IMAGE);
            StringTable table;
            table.Load(name);
            ASSERT_FALSE(prompts.Messages().empty());
            EXPECT_EQ(prompts.Messages().back().text, table.LoadString(IDS_IMAGE_TYPE_UNSUPPORTED)) << name.toStdString();
            if (name == QLatin1String("de")) {
                EXPECT_EQ(prompts.Messages().back().text, QString::fromUtf8("Dieser Dateityp wird nicht unterstützt!"));
            }
        }
        EXPECT_EQ(prompts.Messages().size(), size_t(StringTable::Languages().size()));
        EXPECT_EQ(doc.m_pictures.GetCount(), 0);
    }
    StringTable::Instance().Load(language);
    ScreenMetrics::SetFixedScreen(std::nullopt);
}
