#pragma once
// At start-up: the notes that instances of this kind left unsaved when they ended
// unexpectedly are offered back, one journal at a time, newest first.

#include <QString>

class CScrivaDoc;

// Asks about each journal of kind left in folder until the user restores one. Yes rebuilds
// that note in doc as unsaved changes (doc's own journal keeps it from then on) and removes
// the old journal; No moves it aside, renamed "<name>.declined", where it stays. A journal
// that holds no readable note is moved aside as "<name>.damaged" without a question.
// Returns whether a note was restored.
bool OfferRecovery(CScrivaDoc& doc, const QString& folder, const QString& kind);
