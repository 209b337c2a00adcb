// Fake effects for the command runner: records what was asked.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "commands/runner.h"

namespace cmdtest {

struct FakeEffects {
  tav::EditState editor;  // the main note editor
  std::string status;
  int editorWrites = 0;
  std::vector<std::pair<std::string, std::optional<std::string>>> opened;
  std::vector<std::string> knownPrograms = {"notepad", "C:\\Program Files\\x.exe"};
  int shellSuccess = 42;
  std::vector<std::string> log;
  std::vector<std::string> clipboard;
  int closeRequests = 0;
  bool closeStopsProgram = true;
  std::vector<std::string> jumps;
  std::map<std::string, std::string> files;  // path -> contents
  std::optional<tav::VolumeSpace> volume;
  std::vector<std::string> volumeQueries;

  tav::CommandEffects effects() {
    tav::CommandEffects fx;
    fx.readEditor = [this] { return editor; };
    fx.writeEditor = [this](const tav::EditState& e) {
      editor = e;
      ++editorWrites;
    };
    fx.setStatus = [this](const std::string& s) { status = s; };
    fx.closeProgram = [this] {
      ++closeRequests;
      return closeStopsProgram;
    };
    fx.jumpToKeyword = [this](const std::string& k) { jumps.push_back(k); };
    fx.shellOpen = [this](const std::string& f, const std::optional<std::string>& p) {
      opened.emplace_back(f, p);
      for (const std::string& k : knownPrograms)
        if (k == f) return shellSuccess;
      return 2;  // file not found
    };
    fx.appendLog = [this](const std::string& line) { log.push_back(line); };
    fx.setClipboard = [this](const std::string& t) { clipboard.push_back(t); };
    fx.files.anyMatch = [this](const std::string& p) { return files.count(p) > 0; };
    fx.files.moveFile = [this](const std::string& a, const std::string& b) {
      if (!files.count(a) || files.count(b)) return false;
      files[b] = files[a];
      files.erase(a);
      return true;
    };
    fx.files.writeWholeFile = [this](const std::string& p, std::string_view t) {
      files[p] = std::string(t);
      return true;
    };
    fx.volume = [this](const std::string& path) {
      volumeQueries.push_back(path);
      return volume;
    };
    return fx;
  }

  // Runs with the main editor as the source: the selection covers `selected`
  // (first occurrence) or, when empty, the caret stands at `caret`.
  int runSelection(const std::string& text, const std::string& selected) {
    editor.text = text;
    editor.selStart = text.find(selected);
    editor.selEnd = editor.selStart + selected.size();
    tav::CommandEffects fx = effects();
    return tav::runCommands(editor, fx);
  }
  int runAtCaret(const std::string& text, std::size_t caret) {
    editor.text = text;
    editor.selStart = editor.selEnd = caret;
    tav::CommandEffects fx = effects();
    return tav::runCommands(editor, fx);
  }
};

}  // namespace cmdtest
