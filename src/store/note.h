// One note: its key, its file and its index entry.
//
// A note key is "sub-folder/stamp[batch]" and doubles as the note file's path
// below the data folder. A note file is
//   <k>keyword,</k><f>caret</f><c>0|1</c><n>body</n>
// and an index line is "key,caret,check,0,keyword". An IndexEntry holds that
// line framed by one comma at each end, so field n is the text between the
// n-th and the (n+1)-th comma of the record.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/platform.h"

namespace tav {

// A keyword holding this keeps its note out of every search of note bodies.
inline constexpr std::string_view kNoGrep = "nogrep";

// ---- note keys

// subFolder + "/" + stamp, plus the batch character when it is not 0.
std::string makeNoteKey(std::string_view subFolder, std::string_view stamp, char batch = 0);

// Key of the n-th (1-based) note of a batch filed within one second. Notes 1
// to 10 get the stamp and the digit '0'..'9'; beyond ten the stamp's last four
// digits carry the tens ((n - 1) / 10), so every n gives a distinct key of the
// same shape (18 digits and one digit) that is a valid file name.
std::string batchKey(std::string_view subFolder, std::string_view stamp, int n);

// The stamp with k added to its last four digits ("...0000" and 2 give
// "...0002"); past 9999, or when the stamp does not end in four digits, the
// stamp followed by "-" and k. k = 0 gives the stamp itself.
std::string bumpStamp(std::string_view stamp, int k);

// The key's sub-folder with its "/" ("default/"), or empty when the key has no "/".
std::string_view keyPrefix(std::string_view key);

// Is this one part of a key usable as a file or folder name that stays where it
// is put: not empty, not "." or "..", not a device name (CON, NUL, AUX, PRN,
// COM1-9, LPT1-9, also with an extension), not ending in a dot or space, and
// without "/", ":" or a "\" standing as a character of its own (the 0x5C trail
// byte of a double-byte character such as ソ is not one), nor "," or a control
// byte, which would break the key's index line.
bool isSafeNamePart(std::string_view part);

// Is name one a data folder uses for a file of its own: "index2.txt",
// "journal.dat", a journal set aside, "bodies.dat", a temporary file of a
// save (letters of any case, as Windows matches them)? A sub-folder of that
// name would stand where the file must go.
bool isDataFolderFileName(std::string_view name);

// The sub-folder new notes are filed in: name itself when it is a safe name
// part, no data folder file's name and no other program's (isForeignEntry),
// "default" otherwise (an empty, "memo." or "a:b" folder would make keys
// whose files could never be written; a ".stversions" one, notes that no
// rebuild lists).
std::string safeFolderName(std::string_view name);

// Is the key usable as a path below the data folder: exactly sub-folder "/"
// file name, both parts safe. Other keys stay in the index, but their files are
// never read, written or deleted, so a hostile index cannot reach outside.
bool isSafeNoteKey(std::string_view key);

// exeDir() + folder + separator + key (the "/" inside the key stays).
std::string notePath(std::string_view folder, std::string_view key);

// ---- note files

// The note file text for keyword, caret, check mark and body.
std::string composeNoteFile(std::string_view keyword, unsigned caret, bool checked,
                            std::string_view body);

// The body of a note file text. For a file in the written form the body starts
// after the header (so a keyword holding "<n>" does no harm), otherwise after
// the first "<n>"; it ends at the last "</n>" after that (so a body holding
// "</n>" survives), or at the end of the text. A text without "<n>" is all body.
std::string noteBodyOf(std::string_view fileText);

// The keyword of a note file text ("<k>" up to "</k>" before the body, its
// commas at either end trimmed); empty when the header has none.
std::string noteKeywordOf(std::string_view fileText);

// What tells two versions of a note apart: its keyword and body, not its
// caret or check mark (another PC's Tavolin writes its own caret).
std::uint64_t noteContentHash(std::string_view keyword, std::string_view body);
// The same for a note file text.
std::uint64_t fileContentHash(std::string_view fileText);

// ---- index entries

enum class EntryStatus : std::int32_t { Clean = 0, Deleted = 1, Dirty = 2 };

struct IndexEntry {
  // The index line framed by one comma at each end.
  std::string record = ",,";
  std::uint32_t checked = 0;
  // Caret given with the last store; 0 for an entry loaded from the index.
  std::uint32_t caret = 0;
  EntryStatus status = EntryStatus::Clean;
  // Cached body; read from the file on first use unless bodyLoaded.
  std::string body;
  bool bodyLoaded = false;
  // Check mark given with the last store; written into "<c>".
  bool checkedAtStore = false;
  // Position in the owning index's list (kept by KeywordIndex).
  std::size_t position = 0;
  // The note file's stamp when its body was read or last written here
  // (nothing: not known, or there was no file). A journal record carries it,
  // so that a replay never writes over a file changed since.
  std::optional<FileStamp> stamp;
  bool stampKnown = false;
  // noteContentHash of the file as read or written then: with stamp, what a
  // save tells another program's change by.
  std::uint64_t baseContent = 0;

  // An entry as loaded from one index line (without its LF or CR).
  static IndexEntry fromLine(std::string_view line);

  // The index line: record without its framing commas.
  std::string recordText() const;
  // Inline: the keyword list reads it for every listed note on a key release.
  std::string_view lineView() const {
    if (record.size() < 2) return std::string_view();
    return std::string_view(record).substr(1, record.size() - 2);
  }
  // Field n (1-based) of the index line; empty when there is none.
  std::string_view field(int n) const;
  std::string_view key() const { return field(1); }
  // Everything after the fourth comma of the line.
  std::string_view keyword() const;

  // Replaces the record, the check mark, the body and the caret. CR and LF in
  // the keyword become spaces: they would split the index line.
  void rebuildRecord(std::string_view key, std::string_view keyword, std::string_view body,
                     unsigned caret, bool checked);
  // rebuildRecord with the entry's own key.
  void update(std::string_view keyword, std::string_view body, unsigned caret, bool checked);

  // Is the key field exactly key (never a substring test: a key is a prefix of
  // its batch variants and a keyword may contain a key)? False for an empty key.
  bool hasKey(std::string_view key) const;
  // Is the keyword byte for byte text (never for an empty text)?
  bool keywordEquals(std::string_view text) const;

  // What a save does with the note file.
  enum class SaveAction { Delete, Write, Leave };
  SaveAction saveAction() const;

  // The body, reading it from the note file below folder on first use; the
  // empty text for a Deleted entry; nullptr when the file cannot be read or the
  // key is not usable as a path.
  const std::string* loadBody(std::string_view folder);
  // Forgets a body read from the note file below folder once the file no
  // longer has the stamp it had then (another program changed it), so that
  // the next loadBody reads it again; true when it did. A body changed here
  // is kept, and so is one whose file is gone.
  bool dropStaleBody(std::string_view folder);
  // Forgets a body read from the file, so that the next loadBody reads it
  // again. With keepBase the stamp and text read first stay what a save
  // compares the file with: an editor may still show that text, and storing
  // it unchanged must not count as a change over the newer file.
  void forgetBody(bool keepBase) {
    body.clear();
    bodyLoaded = false;
    if (!keepBase) stampKnown = false;
  }
  std::string composeNoteFile() const;
  // noteContentHash of the entry's keyword and body.
  std::uint64_t contentHash() const { return noteContentHash(keyword(), body); }
  void setBody(std::string text);
  // Puts text and CR LF before a non-empty body; true when it did. Leaves the status.
  bool prependLine(std::string_view text, std::string_view folder);

  // Every word of the query (split at "," and " ") occurs in the keyword, both
  // folded to lower case; an empty query matches.
  bool keywordMatches(std::string_view query) const;
  // Every word of grep (split at ",") occurs in the body, case-folded. An empty
  // grep matches; a record holding "nogrep" or an unreadable body does not.
  bool bodyContainsAll(std::string_view grep, std::string_view folder);
  // The same for a body held elsewhere (a cache of the file's text).
  bool bodyContainsAll(std::string_view grep, std::optional<std::string_view> body) const;
};

}  // namespace tav
