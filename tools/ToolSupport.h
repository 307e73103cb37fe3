#pragma once
// What every command of inkleaf-tool shares: exit statuses, its own messages on standard error,
// the document's messages counted, and what kind of file a name stands for.

#include "platform/Prompts.h"

#include <QString>

constexpr int kDone = 0;
constexpr int kFailed = 1;  // a file could not be read or written
constexpr int kUsage = 2;

// "inkleaf-tool: text" on standard error.
void Complain(const QString& text);

// The program's messages on standard error, counted, so the tool adds its own line only when
// the program failed without saying why.
class CountingPrompts : public ConsolePrompts {
public:
    int MessageBox(const QString& text, const QString& caption, UINT type) override
    {
        ++m_count;
        return ConsolePrompts::MessageBox(text, caption, type);
    }
    int Count() const { return m_count; }

private:
    int m_count = 0;
};

// What the program makes of a file name: a note when it holds ".Ilf" (in any case), else a
// device file when it holds ".QVN".
enum class FileKind { Other, Note, Device };
FileKind InputKindOf(const QString& path);
// Saving writes a device file when the path's first ".QVN" ends it, else a note when the name
// holds ".Ilf".
FileKind OutputKindOf(const QString& path);

// False, with a message, for something that exists but is neither a file nor a folder: reading
// a pipe or a device could wait or run for ever.
bool IsSafeToRead(const QString& path);
