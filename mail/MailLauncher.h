#pragma once
// Hands a new message to the user's mail program through xdg-email (xdg-utils), found on the
// PATH when a mail is sent: the subject and one attachment; the user picks the recipients and
// sends it there. Its exit statuses become the results a mail call gives:
//
//   exit 0                          SUCCESS_SUCCESS      the message is with the mail program
//   ended by a signal               MAPI_USER_ABORT      the user broke it off
//   1 to 5, any other status        MAPI_E_FAILURE       bad arguments (1), no attachment (2),
//                                                        no mail program found (3), the mail
//                                                        program failed (4), unreadable file (5)
//   could not be started            MAPI_E_FAILURE
//
// A launcher still running after kHandOverMs has handed the message to a mail program that
// keeps it open: it is left running, and the send counts as done.

#include "platform/WinTypes.h"

#include <QString>

constexpr DWORD SUCCESS_SUCCESS = 0;
constexpr DWORD MAPI_USER_ABORT = 1;
constexpr DWORD MAPI_E_FAILURE = 2;
constexpr DWORD MAPI_E_LOGIN_FAILURE = 3;

class MailLauncher {
public:
    static constexpr const char* kProgram = "xdg-email";
    static constexpr int kHandOverMs = 20000;

    // The launcher's full path, or empty when the PATH has none.
    static QString Find();
    // Starts program with the subject and the attachment and waits for it, taking no user
    // input meanwhile; returns the mail call's result.
    static DWORD Send(const QString& program, const QString& subject, const QString& attachment);
};
