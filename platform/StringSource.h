#pragma once
// User-visible strings by identifier, for code below the shell that has something to tell
// the user. The shell's string tables, one per language, install themselves here when they
// are first loaded; until then (the headless tool, tests below the shell) the caller's
// English text stands in.

#include "WinTypes.h"

#include <QString>

class IStringSource {
public:
    virtual ~IStringSource() = default;
    // The text in the user's language, or an empty string when no table has it.
    virtual QString LoadString(UINT id) const = 0;
};

// Installs the strings in force (not owned); nullptr removes them. Returns the previous ones.
IStringSource* SetStringSource(IStringSource* source);

// The text of id in the user's language; english when no strings are installed or none has id.
QString LocalizedString(UINT id, const QString& english);
