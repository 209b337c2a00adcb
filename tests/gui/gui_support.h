// What every in-process GUI test needs: the real main window in a fresh
// temporary ExeDir, seeded notes, message pumping, keys and control texts.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testsupport.h"

namespace tavgui {

// Dispatches what is queued for this thread, a few rounds.
void pump();
// Lets timers run: dispatches what comes for ms milliseconds.
void pumpFor(DWORD ms);

// Text of a status bar part.
std::string statusText(int part);

// Key down and key up; the release goes where the focus is by then, as it
// does for real keys.
void key(HWND w, WPARAM vk);

// Focuses the keyword box, puts keyword in it and presses Enter: a note
// opens, a list shows or a new note starts.
void openKeyword(const std::string& keyword);

// Key down, the character the keyboard gives, key up: as typing does.
void type(HWND w, const std::string& text);

// Real keyboard input (SendInput): each key pressed and released in turn, as
// the user's keys arrive at the focused control of the foreground window.
void realKeys(HWND top, const std::vector<WORD>& vks);

// The visible modal dialog or message box of this thread, or null.
HWND visibleDialog();

// A child window's rectangle in its parent's client coordinates.
RECT childRect(HWND parent, HWND child);

// Real keyboard input of one chord: the modifiers pressed in order, the key
// pressed and released, the modifiers released.
void realChord(HWND top, const std::vector<WORD>& modifiers, WORD vk);

// Queues real key presses and returns at once: for a pop-up menu's own loop,
// which must read them itself (pumping here would hand them to the controls).
void sendKeys(const std::vector<WORD>& vks);

// "column 0|column 1" of every row of the keyword list.
std::vector<std::string> listRows();

// Holds a modifier on this thread's keyboard state for the guard's lifetime,
// so that GetKeyState sees it as it sees real input.
class Held {
 public:
  explicit Held(int vk) : vk_(vk) { set(0x80); }
  ~Held() { set(0); }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;

 private:
  void set(BYTE v);
  int vk_;
};

// A test with the real main window.
class MainWindowTest : public ::testing::Test {
 public:
  // A note on disk before the window starts.
  struct Seed {
    std::string key, keyword;
    unsigned caret;
    bool checked;
    std::string body;
  };

  // Writes the seeds' files and "index2.txt", then creates the main window.
  void start(const std::vector<Seed>& seeds = {});
  // n notes keyword0, keyword1, ... with the same body, spread over the
  // sub-folders folder0, folder1, ... (one folder "default" when folders is 0).
  static std::vector<Seed> numbered(int n, const std::string& keyword, const std::string& body,
                                    const std::string& folder = "", int folders = 0);

 protected:
  explicit MainWindowTest(const std::string& folderSuffix) : dir_(folderSuffix) {}
  void TearDown() override;

  // Closes the window as the user does (the index is saved).
  void close();
  std::string file(const std::string& name) { return tavtest::readFileBytes(dir_.path(name)); }

  tavtest::TempExeDir dir_;
  HWND main_ = nullptr;

 private:
  bool registeredHere_ = false;
};

}  // namespace tavgui
