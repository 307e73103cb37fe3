#include "StringSource.h"

namespace {
IStringSource* g_strings = nullptr;
}  // namespace

IStringSource* SetStringSource(IStringSource* source)
{
    IStringSource* previous = g_strings;
    g_strings = source;
    return previous;
}

QString LocalizedString(UINT id, const QString& english)
{
    const QString text = g_strings ? g_strings->LoadString(id) : QString();
    return text.isEmpty() ? english : text;
}
