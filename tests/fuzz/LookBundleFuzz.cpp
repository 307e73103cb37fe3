// The look bundle check: a damaged bundle must be refused before Qt reads it, since Qt trusts
// a registered resource file's offsets. Whatever is taken is read whole: every folder listed
// and every file read (and unpacked), as looking pictures up in it does.

#include "FuzzSupport.h"

#include "platform/Resources.h"

#include <QDirIterator>

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    StartQt();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString path = FuzzFile(QStringLiteral("IlfRes.rcc"), reinterpret_cast<const char*>(data), size);
    if (!Resources::LoadResourceLibrary(path))
        return 0;
    QDirIterator entries(QStringLiteral(":/IlfRes"), QDir::AllEntries | QDir::Hidden | QDir::System,
                         QDirIterator::Subdirectories);
    while (entries.hasNext()) {
        const QString entry = entries.next();
        QFile file(entry);
        if (file.open(QIODevice::ReadOnly))
            file.readAll();
    }
    Resources::Locate(QStringLiteral("art/bitmap/272.svg"));
    Resources::FreeResourceLibrary();
    return 0;
}
