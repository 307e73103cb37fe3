#pragma once
// The user-interface services the program asks for: message boxes now, file dialogs and the
// colour chooser as the screens that need them arrive. The program installs the Qt dialogs;
// tests install a scripted implementation that records every call and answers from a queue;
// without either (a headless tool) messages go to standard error.

#include "WinTypes.h"

#include "ColorRef.h"

#include <QString>

#include <optional>

// Buttons and icons of a message box, combinable with |.
enum MessageBoxType : UINT {
    MB_OK = 0x0,
    MB_OKCANCEL = 0x1,
    MB_YESNOCANCEL = 0x3,
    MB_YESNO = 0x4,
    MB_ICONSTOP = 0x10,
    MB_ICONQUESTION = 0x20,
    MB_ICONEXCLAMATION = 0x30,
    MB_ICONINFORMATION = 0x40,
};
constexpr UINT MB_TYPEMASK = 0xF;
constexpr UINT MB_ICONMASK = 0xF0;

// Answers of a message box.
enum MessageBoxAnswer : int { IDOK = 1, IDCANCEL = 2, IDYES = 6, IDNO = 7 };

// The button a message box of this type answers when nobody can choose.
int FirstButtonOf(UINT type);

// An open or save dialog. The filter lists "Name|patterns|Name|patterns||", patterns separated
// by ';'. A name chosen without an extension gets the one of the chosen filter, else
// defaultExtension.
struct FileDialogRequest {
    bool save = false;
    QString filter;
    QString defaultExtension;  // without the dot
    QString initialName;       // file name, or full path, shown first
    bool overwritePrompt = false;
};

class IPrompts {
public:
    virtual ~IPrompts() = default;
    // Shows text with caption and waits for the answer.
    virtual int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) = 0;
    // The full path chosen, or an empty string when the user cancelled.
    virtual QString GetFileName(const FileDialogRequest& request) = 0;
    // The colour chosen, starting from initial; nothing when the user cancelled.
    virtual std::optional<COLORREF> ChooseColor(COLORREF initial) = 0;
    // Shows or takes back the wait cursor around long work.
    virtual void SetWaitCursor(bool waiting) = 0;
};

// Shows the wait cursor while it lives.
class WaitCursor {
public:
    WaitCursor();
    ~WaitCursor();
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Writes messages to standard error and answers the first button; dialogs answer "cancelled".
class ConsolePrompts : public IPrompts {
public:
    int MessageBox(const QString& text, const QString& caption, UINT type = MB_OK) override;
    QString GetFileName(const FileDialogRequest&) override { return QString(); }
    std::optional<COLORREF> ChooseColor(COLORREF) override { return std::nullopt; }
    void SetWaitCursor(bool) override {}
};

// The services in force.
IPrompts& prompts();
// Installs services (not owned); nullptr goes back to the console. Returns the previous ones.
IPrompts* SetPrompts(IPrompts* services);
