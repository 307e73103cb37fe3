// The settings file reader: every key the program reads, from a damaged file, then one key
// written and read again. The key written must read back as written, and a key of another
// section must read as it did before.

#include "FuzzSupport.h"

#include "platform/ProfileFile.h"
#include "platform/Settings.h"

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    FuzzFolder();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString file = FuzzFile(QStringLiteral("KSTPVX.ini"), reinterpret_cast<const char*>(data), size);
    for (const IntSetting& setting : {Settings::PenColor, Settings::BackColor, Settings::LineColor,
                                      Settings::DeviceFilterOn, Settings::AboutLogoForLayout, Settings::MousePen})
        ReadSetting(setting, file);
    for (int i = 0; i < Settings::kColorBlocks; ++i)
        ReadColorSetting(Settings::ColorBlock(i), file);
    ReadSetting(Settings::NewInterface, file);
    ReadSetting(Settings::TabletManagerName, file);
    const QString date = ReadSetting(Settings::RecordDate, file);
    if (date.size() >= Settings::RecordDate.bufferSize)
        Broken("a text setting is longer than its buffer");

    const int lineHeight = ReadSetting(Settings::LineHeight, file);
    if (!WriteSetting(Settings::PenColor, 0x123456, file))
        return 0;  // a file that cannot be read is never written over
    if (ReadSetting(Settings::PenColor, file) != 0x123456)
        Broken("a setting written does not read back");
    if (ReadSetting(Settings::LineHeight, file) != lineHeight)
        Broken("writing one setting changed another");
    return 0;
}
