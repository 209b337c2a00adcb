// The note editor: showing, starting and storing the open note.
#pragma once

#include <windows.h>

#include <string>

namespace tav {

LRESULT CALLBACK noteEditorProc(HWND w, UINT msg, WPARAM wp, LPARAM lp);
void showNote(const std::string& keyword, const std::string& key, const std::string& body,
              unsigned caret, bool checked);
void startNewNote(const std::string& keyword, const std::string& key, const std::string& body,
                  bool checkIt);
void saveNote();
// saveNote without closing the note windows: the editor's note only.
void storeEditorNote();
void clearEditor();

}  // namespace tav
