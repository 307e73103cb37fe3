#include "RecoveryOffer.h"

#include "CScrivaDoc.h"
#include "LeftJournal.h"

#include "platform/CommandIds.h"
#include "platform/Prompts.h"
#include "platform/StringSource.h"

bool OfferRecovery(CScrivaDoc& doc, const QString& folder, const QString& kind)
{
    for (LeftJournal& journal : LeftJournal::Find(folder, kind)) {
        const std::optional<JournalState> state = journal.Read();
        if (!state || !state->hasNote) {
            journal.MoveAside(QStringLiteral(".damaged"));
            continue;
        }
        const QString question = LocalizedString(
            IDS_RESTORE_UNSAVED, QStringLiteral("Inkleaf closed unexpectedly. Restore the unsaved note?"));
        if (prompts().MessageBox(question, QStringLiteral("Inkleaf"), MB_YESNO | MB_ICONQUESTION) != IDYES) {
            journal.MoveAside(QStringLiteral(".declined"));
            continue;
        }
        if (!doc.RestoreNote(state->Note(), state->pathName, state->currentPath)) {
            journal.MoveAside(QStringLiteral(".damaged"));
            continue;
        }
        journal.Remove();
        return true;
    }
    return false;
}
