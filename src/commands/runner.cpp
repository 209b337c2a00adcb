#include "commands/runner.h"

#include <utility>

#include "commands/calendar.h"
#include "commands/insert.h"
#include "commands/transforms.h"
#include "platform/path.h"
#include "platform/platform.h"
#include "platform/system.h"
#include "settings/stamps.h"
#include "store/text.h"

namespace tav {

const char* const kStatusChooseCommand = "実行したいコマンドを選択して下さい";
const char* const kStatusFailed = "実行に失敗しました";
const char* const kStatusSucceeded = "実行に成功しました";

namespace {

// A substituted word or argument never grows beyond this: a value that holds
// its own name, redefined line after line, would otherwise double each time.
constexpr std::size_t kMaxExpandedText = 1u << 20;
// The launch log keeps at most this much of a line.
constexpr std::size_t kMaxLogLine = 511;

bool isLineBreak(char c) { return c == '\r' || c == '\n'; }

std::string trimSpaces(std::string_view s) { return trimSeparator(s, ' ', false); }

// Cuts at a character boundary, so no half of a double-byte character remains.
std::string shortenForLog(std::string text) {
  if (text.size() <= kMaxLogLine) return text;
  std::size_t n = kMaxLogLine;
  while (n > 0 && !isCharStart(text, n)) --n;
  text.resize(n);
  return text;
}

int openWithShell(CommandRun& run, const std::string& file,
                  const std::optional<std::string>& params) {
  int r = run.fx.shellOpen ? run.fx.shellOpen(file, params) : 0;
  std::string line = file;
  if (params && !params->empty()) line += " " + *params;
  if (run.fx.appendLog) run.fx.appendLog(shortenForLog(std::move(line)));
  return r;
}

EditState readEditor(CommandRun& run) {
  return run.fx.readEditor ? run.fx.readEditor() : EditState();
}

// Whole-note commands set the text back as SetWindowTextA does: caret at the start.
void replaceEditorText(CommandRun& run, std::string text) {
  if (!run.fx.writeEditor) return;
  EditState e;
  e.text = std::move(text);
  run.fx.writeEditor(e);
}

void forEachLine(std::string_view text, const std::function<bool(std::string_view)>& f) {
  std::size_t i = 0, n = text.size();
  while (i < n) {
    while (i < n && isLineBreak(text[i])) ++i;
    std::size_t start = i;
    while (i < n && !isLineBreak(text[i])) ++i;
    if (i > start && !f(text.substr(start, i - start))) return;
  }
}

std::string caretLine(std::string_view text, std::size_t caret) {
  if (caret > text.size()) caret = text.size();
  std::size_t start = caret;
  while (start > 0 && !isLineBreak(text[start - 1])) --start;
  std::size_t end = caret;
  while (end < text.size() && !isLineBreak(text[end])) ++end;
  return std::string(text.substr(start, end - start));
}

void finishRun(CommandRun& run) {
  if (run.stopped || run.output.empty() || !run.fx.writeEditor) return;
  run.fx.writeEditor(insertOutput(readEditor(run), run.output));
}

}  // namespace

CommandEffects platformEffects() {
  CommandEffects fx;
  fx.shellOpen = [](const std::string& f, const std::optional<std::string>& p) {
    return tav::shellOpen(f, p);
  };
  fx.appendLog = [](const std::string& line) { appendDailyLog(line); };
  fx.setClipboard = [](const std::string& text) { setClipboardText(text); };
  fx.files = platformFileOps();
  fx.volume = [](const std::string& path) { return volumeSpace(path); };
  return fx;
}

const char* statusTextFor(int result) {
  if (result == -1) return kStatusChooseCommand;
  return result < 32 ? kStatusFailed : kStatusSucceeded;
}

void preloadVariables(CommandRun& run) {
  EditState main = readEditor(run);
  std::size_t s = std::min(main.selStart, main.text.size());
  forEachLine(std::string_view(main.text).substr(0, s), [&](std::string_view line) {
    std::string t = trimSpaces(line);
    if (!t.empty() && t[0] == '?') runLine(run, line);
    return !run.stopped;
  });
}

int runLine(CommandRun& run, std::string_view line) {
  std::string t = trimSpaces(line);
  std::string word;
  std::optional<std::string> arg;
  if (!t.empty() && t[0] == '"') {
    std::size_t close = t.find('"', 1);
    if (close == std::string::npos) return -1;  // nothing runs, no retry
    word = t.substr(1, close - 1);
    arg = t.substr(close + 1);
  } else if (std::size_t sp = t.find(' '); sp != std::string::npos) {
    word = t.substr(0, sp);
    arg = t.substr(sp + 1);
  } else {
    word = t;
  }
  int r = executeCommand(run, std::move(word), std::move(arg));
  // An unquoted path with spaces first runs as word plus argument; when that
  // does not succeed, the whole line is tried as one word.
  if (!run.stopped && r <= 32 && (line.empty() || line[0] != '"') &&
      line.find(' ') != std::string_view::npos) {
    std::string quoted;
    quoted.reserve(line.size() + 2);
    quoted += '"';
    quoted.append(line);
    quoted += '"';
    r = runLine(run, quoted);
  }
  return r;
}

int executeCommand(CommandRun& run, std::string word, std::optional<std::string> arg) {
  if (arg) {
    // At most one line end (CR, LF or both) comes off the end; a lone line
    // break as the whole argument stays.
    if (arg->size() > 1 && isLineBreak(arg->back())) {
      arg->pop_back();
      if (!arg->empty() && isLineBreak(arg->back())) arg->pop_back();
    }
    *arg = trimSpaces(*arg);
  }
  if (!substituteVariables(run.vars, word, kMaxExpandedText)) return 0;
  if (arg) {
    // The word gets a second pass, so a value holding a name expands once more.
    if (!substituteVariables(run.vars, word, kMaxExpandedText)) return 0;
    if (!substituteVariables(run.vars, *arg, kMaxExpandedText)) return 0;
  }
  if (!word.empty() && word[0] == '?') return defineVariable(run.vars, word, arg);
  if (!word.empty() && word[0] == '!') return dispatchTextCommand(run, word, arg);
  return openWithShell(run, word, arg);
}

int dispatchTextCommand(CommandRun& run, const std::string& word,
                        const std::optional<std::string>& arg) {
  auto transform = [&](const std::function<std::optional<std::string>(const std::string&)>& f) {
    std::optional<std::string> out = f(readEditor(run).text);
    if (out) replaceEditorText(run, std::move(*out));
    return -1;
  };
  auto mapped = [&](TextMap how) {
    return transform([how](const std::string& t) { return convertWidthOrKana(t, how); });
  };
  bool hasText = arg && !arg->empty();

  if (word == "!clip") {
    if (arg && run.fx.setClipboard) run.fx.setClipboard(*arg);
  } else if (word == "!end") {
    if (run.fx.closeProgram && run.fx.closeProgram()) run.stopped = true;
  } else if (word == "!zen") {
    return mapped(TextMap::FullWidth);
  } else if (word == "!han") {
    return mapped(TextMap::HalfWidth);
  } else if (word == "!kata") {
    return mapped(TextMap::Katakana);
  } else if (word == "!kana") {
    return mapped(TextMap::Hiragana);
  } else if (word == "!sort" || word == "!desc") {
    bool desc = word == "!desc";
    return transform([desc](const std::string& t) { return std::optional(sortLines(t, desc)); });
  } else if (word == "!same") {
    return transform([](const std::string& t) { return std::optional(removeDuplicateLines(t)); });
  } else if (word == "!seq") {
    if (hasText) return numberFile(*arg, run.fx.files);
  } else if (word == "!path") {
    run.output += exeDir();
  } else if (word == "!cal") {
    if (!arg) run.output += makeCalendar(monthStamp());
    else if (arg->size() == 6) run.output += makeCalendar(*arg);
  } else if (word == "!go") {
    // Without a keyword there is nothing to jump to.
    if (hasText && run.fx.jumpToKeyword) run.fx.jumpToKeyword(*arg);
  } else if (word == "!size") {
    std::optional<std::string> line = diskSpaceLine(hasText ? *arg : "C", run.fx.volume);
    if (line) run.output += *line;
  }
  return -1;
}

int runCommands(const EditState& source, CommandEffects& fx) {
  CommandRun run(fx);
  int result = 0;
  std::string selection = selectedRange(source.text, source.selStart, source.selEnd);
  if (selection.find('?') != std::string::npos) preloadVariables(run);
  if (!run.stopped) {
    forEachLine(selection, [&](std::string_view line) {
      result = runLine(run, line);
      return !run.stopped;
    });
  }
  if (selection.empty() && !run.stopped) {
    std::string line = caretLine(source.text, source.selStart);
    if (!line.empty()) {
      if (line.find('?') != std::string::npos) preloadVariables(run);
      if (!run.stopped) result = runLine(run, line);
    }
  }
  if (run.stopped) return result;  // the windows are going away
  finishRun(run);
  if (fx.setStatus) fx.setStatus(statusTextFor(result));
  return result;
}

int runOneLine(std::string_view line, CommandEffects& fx) {
  CommandRun run(fx);
  int result = runLine(run, line);
  finishRun(run);
  return result;
}

}  // namespace tav
