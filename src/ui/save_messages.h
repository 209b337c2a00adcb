// What the user is told about writes that failed, and about what a start
// found: the status bar texts and the question at close.
#pragma once

#include <string>

#include "store/journal.h"
#include "store/keyword_index.h"

namespace tav {

// The status bar after a save that could not write everything, naming the
// notes by keyword (the first three, then how many more) and the index file;
// "" when nothing failed.
std::string saveFailureText(const KeywordIndex::SaveFailures& f);

// The status bar after a save that found notes changed by other programs
// too (both versions kept) or deleted here but changed there (kept); ""
// when it found none.
std::string saveReportText(const KeywordIndex::SaveReport& r);

// The question at close after a failed save: Yes tries again, No closes
// anyway (the journal keeps every change for the next start), Cancel goes
// back to the program. journalWhole: every change is in the journal (else No
// loses what it could not write, and the text says so).
std::string closeQuestionText(const KeywordIndex::SaveFailures& f, bool journalWhole);

// The status bar after a start: what the journal and the index load found;
// "" when there is nothing to say.
std::string startStatusText(const Journal& j, KeywordIndex::LoadKind load);

// The status bar while the journal cannot be written (a full disk).
extern const char* const kJournalFailingText;

}  // namespace tav
