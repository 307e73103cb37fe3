#include "Prompts.h"

#include <cstdio>

namespace {
ConsolePrompts g_console;
IPrompts* g_prompts = nullptr;
}  // namespace

int FirstButtonOf(UINT type)
{
    switch (type & MB_TYPEMASK) {
    case MB_YESNO:
    case MB_YESNOCANCEL:
        return IDYES;
    default:
        return IDOK;
    }
}

int ConsolePrompts::MessageBox(const QString& text, const QString& caption, UINT type)
{
    std::fprintf(stderr, "%s: %s\n", qUtf8Printable(caption), qUtf8Printable(text));
    return FirstButtonOf(type);
}

IPrompts& prompts()
{
    return g_prompts ? *g_prompts : g_console;
}

IPrompts* SetPrompts(IPrompts* services)
{
    IPrompts* previous = g_prompts;
    g_prompts = services;
    return previous;
}

WaitCursor::WaitCursor()
{
    prompts().SetWaitCursor(true);
}

WaitCursor::~WaitCursor()
{
    prompts().SetWaitCursor(false);
}
