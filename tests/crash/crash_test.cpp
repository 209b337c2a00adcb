// Crash tests: a scripted session of creates, edits, deletes, moves, batch
// changes and saves runs in a child process that stops dead right after its
// k-th file operation (a write, flush, rename, delete or journal append half),
// for every k. After each stop the folder is checked as the next start finds
// it: every note file whole, the index whole; then it is loaded with its
// journal, and every change made before the stop must be there.
//
//   crash_tests                      the tests (gtest)
//   crash_tests child DIR K          run the session in DIR, stop after op K
#include <gtest/gtest.h>

#include <memory>

#include <cstdlib>
#include <map>
#include <string>
#include <vector>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/wait.h>
#include <unistd.h>
#endif

#include "platform/platform.h"
#include "store/journal.h"
#include "store/keyword_index.h"
#include "store/rebuild.h"
#include "testsupport.h"

namespace {

constexpr int kCrashed = 77;

// ---- the session, and what the notes must be after each of its steps

struct Note {
  std::string keyword, body;
  bool checked = false;
  bool operator==(const Note& o) const {
    return keyword == o.keyword && body == o.body && checked == o.checked;
  }
};
using Model = std::map<std::string, Note>;

struct Step {
  enum Kind { Store, Snapshot, CheckAll, Move, Prepend, Save, Flush } kind;
  std::string key, keyword, body;
  bool checked = false;
  std::string newKey;
};

std::vector<Step> session() {
  return {
      {Step::Store, "a/1", "会議", "議題\r\nソフト", false, ""},
      {Step::Store, "a/2", "表計算", "表\r\n能力", true, ""},
      {Step::Store, "b/3", "memo", "three", false, ""},
      {Step::Flush, "", "", "", false, ""},
      {Step::Store, "a/1", "会議", "議題\r\nソフト\r\n予算", false, ""},
      {Step::Save, "", "", "", false, ""},
      // The editor's text on a pause, then the store when it loses the focus.
      {Step::Snapshot, "a/2", "表計算", "表\r\n能力\r\n追加", true, ""},
      {Step::Store, "a/2", "表計算", "表\r\n能力\r\n追加", true, ""},
      {Step::Store, "b/3", "memo", "", false, ""},
      {Step::CheckAll, "", "", "", false, ""},
      {Step::Move, "a/1", "", "", false, "b/4"},
      {Step::Prepend, "a/2", "", "★", false, ""},
      {Step::Store, "a/5", "new", "five", false, ""},
      {Step::Save, "", "", "", false, ""},
      {Step::Store, "a/5", "new", "five, edited", false, ""},
      {Step::Store, "a/2", "表計算,改", "表\r\n能力\r\n追加", false, ""},
      {Step::Save, "", "", "", false, ""},
  };
}

void applyToModel(Model& m, const Step& s) {
  switch (s.kind) {
    case Step::Store:
    case Step::Snapshot:
      if (s.body.empty()) m.erase(s.key);
      else m[s.key] = {s.keyword, s.body, s.checked};
      break;
    case Step::CheckAll:
      for (auto& kv : m) kv.second.checked = true;
      break;
    case Step::Move:
      m[s.newKey] = m[s.key];
      m.erase(s.key);
      break;
    case Step::Prepend:
      for (auto& kv : m)
        if (kv.first != s.key) kv.second.body = s.body + "\r\n" + kv.second.body;
      break;
    default: break;
  }
}

void runStep(tav::KeywordIndex& idx, tav::Journal& j, const Step& s) {
  switch (s.kind) {
    case Step::Store: idx.storeNote(s.body, s.keyword, s.key, 0, s.checked); break;
    case Step::Snapshot: j.stored(s.body, s.keyword, s.key, 0, s.checked); break;
    case Step::CheckAll: {
      tav::JournalBatch batch(&j);
      for (std::size_t i = 0; i < idx.size(); ++i) idx.setChecked(std::string(idx.at(i).key()), '1');
      break;
    }
    case Step::Move: idx.moveNote(s.key, s.newKey, 0); break;
    case Step::Prepend:
      idx.prependToMatches("", s.body, s.key);
      break;
    case Step::Save: idx.save("data"); break;
    case Step::Flush: j.flush(); break;
  }
}

void prepareFolder() {
  tav::createFolder(tav::exePath("data"));
  tav::createFolder(tav::exePath("data") + tav::kPathSep + "a");
  tav::createFolder(tav::exePath("data") + tav::kPathSep + "b");
}

long opsSoFar = 0;
long stopAt = 0;
std::vector<long> opsAfterStep;

void countOp() {
  ++opsSoFar;
  if (opsSoFar != stopAt) return;
#ifdef _WIN32
  TerminateProcess(GetCurrentProcess(), kCrashed);
#else
  _exit(kCrashed);
#endif
}

// Runs the whole session; opsAfterStep[i] = file operations done when step i ended.
void runSession() {
  opsSoFar = 0;
  opsAfterStep.clear();
  tav::afterFileOp = countOp;
  tav::Journal j;
  tav::KeywordIndex idx;
  idx.journal = &j;
  idx.load("data");
  for (const Step& s : session()) {
    runStep(idx, j, s);
    opsAfterStep.push_back(opsSoFar);
  }
  tav::afterFileOp = nullptr;
}

int childMain(const std::string& dir, long k) {
  tav::setExeDir(dir + tav::kPathSep);
  stopAt = k;
  runSession();
  return 0;
}

// Runs the session in dir in a process of its own that stops after op k;
// true when it stopped there. code receives how the child ended otherwise.
bool crashChildAt(const std::string& dir, long k, std::string& code) {
#ifdef _WIN32
  char exe[MAX_PATH];
  GetModuleFileNameA(nullptr, exe, MAX_PATH);
  std::string cmd = std::string("\"") + exe + "\" child \"" + dir + "\" " + std::to_string(k);
  STARTUPINFOA si {};
  si.cb = sizeof si;
  PROCESS_INFORMATION pi {};
  if (!CreateProcessA(exe, &cmd[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &si, &pi)) {
    code = "not started, error " + std::to_string(GetLastError());
    return false;
  }
  WaitForSingleObject(pi.hProcess, INFINITE);
  DWORD exit = 0;
  GetExitCodeProcess(pi.hProcess, &exit);
  CloseHandle(pi.hProcess);
  CloseHandle(pi.hThread);
  code = "exit code " + std::to_string(exit);
  return exit == kCrashed;
#else
  pid_t pid = fork();
  if (pid == 0) _exit(childMain(dir, k));
  int status = 0;
  waitpid(pid, &status, 0);
  code = "wait status " + std::to_string(status);
  return WIFEXITED(status) && WEXITSTATUS(status) == kCrashed;
#endif
}

bool isTempName(const std::string& name) { return tav::isTempFileName(name); }

// What the next start finds on the disk before it loads anything.
void checkFilesWhole(const std::string& where) {
  std::string data = tav::exePath("data") + tav::kPathSep;
  std::string index = tavtest::readFileBytes(data + "index2.txt");
  EXPECT_TRUE(index.empty() || index.back() == '\n') << where << " index2.txt torn";
  EXPECT_EQ(std::string::npos, tav::rebuildIndexText("data").find("tav"))
      << where << " a rebuild would index a temporary file";
  for (const char* sub : {"a", "b"}) {
    for (const std::string& f : tavtest::filesIn(data + sub)) {
      if (isTempName(f)) continue;
      std::string text = tavtest::readFileBytes(data + sub + tav::kPathSep + f);
      EXPECT_TRUE(text.rfind("<k>", 0) == 0 && text.size() > 4 &&
                  text.compare(text.size() - 4, 4, "</n>") == 0)
          << where << " note " << sub << "/" << f << " not whole: [" << text << "]";
    }
  }
}

// Loads the folder as a start does and compares every note with the model.
void checkRecovered(const Model& expected, const std::string& where) {
  tav::Journal j;
  tav::KeywordIndex idx;
  idx.journal = &j;
  idx.load("data");
  EXPECT_EQ(tav::PathKind::None, tav::pathKind(tav::journalPath("data"))) << where << " journal left";
  // Read back from the disk once more: the recovered state must have been saved.
  tav::KeywordIndex disk;
  disk.load("data");
  Model got;
  for (std::size_t i = 0; i < disk.size(); ++i) {
    tav::IndexEntry& e = disk.at(i);
    std::string key(e.key());
    EXPECT_FALSE(isTempName(key.substr(key.find('/') + 1))) << where << " temporary file indexed";
    const std::string* body = e.loadBody("data");
    got[key] = {std::string(e.keyword()), body ? *body : "<unreadable>", e.checked != 0};
  }
  EXPECT_EQ(expected.size(), got.size()) << where;
  for (const auto& kv : expected) {
    auto it = got.find(kv.first);
    if (it == got.end()) {
      ADD_FAILURE() << where << " lost note " << kv.first;
      continue;
    }
    EXPECT_EQ(kv.second.keyword, it->second.keyword) << where << " " << kv.first;
    EXPECT_EQ(kv.second.body, it->second.body) << where << " " << kv.first;
    EXPECT_EQ(kv.second.checked, it->second.checked) << where << " " << kv.first;
  }
}

TEST(CrashAfterEveryFileOperation, EveryChangeMadeBeforeTheStopIsBack) {
  // The session once without a stop: how many operations each step takes.
  std::vector<long> after;
  {
    tavtest::TempExeDir dry("dry");
    prepareFolder();
    runSession();
    after = opsAfterStep;
  }
  const std::vector<Step> steps = session();
  const long total = after.back();
  ASSERT_GT(total, 40);
  long crashes = 0;
  for (long k = 1; k <= total; ++k) {
    // Under a busy Wine a child now and then fails to start or to report its
    // stop: one more try, in a fresh folder.
    std::unique_ptr<tavtest::TempExeDir> dir;
    bool stopped = false;
    std::string codes;
    for (int attempt = 0; attempt < 2 && !stopped; ++attempt) {
      dir.reset();
      dir = std::make_unique<tavtest::TempExeDir>("crash");
      prepareFolder();
      std::string code;
      stopped = crashChildAt(dir->dir().substr(0, dir->dir().size() - 1), k, code);
      if (!stopped) {
        codes += " " + code;
        std::printf("op %ld: the child did not stop (%s)\n", k, code.c_str());
      }
    }
    ASSERT_TRUE(stopped) << "no stop at op " << k << ":" << codes;
    ++crashes;
    Model expected;
    for (std::size_t i = 0; i < steps.size() && after[i] <= k; ++i) applyToModel(expected, steps[i]);
    std::string where = "stop after op " + std::to_string(k) + ":";
    checkFilesWhole(where);
    checkRecovered(expected, where);
    if (::testing::Test::HasFailure()) break;
  }
  std::printf("crash points checked: %ld\n", crashes);
}

// ---- failures instead of stops

// Fails the k-th file operation that changes the disk (reads are not
// counted): once, or for good until freed (a disk that stays full).
struct FailAt {
  long k = 0;
  long seen = 0;
  bool forGood = false;
  tav::FileFault fault = tav::FileFault::DiskFull;
};
FailAt failAt;

tav::FileFault failKth(tav::FileOp op, const std::string&) {
  if (op == tav::FileOp::Read) return tav::FileFault::None;
  ++failAt.seen;
  if (failAt.seen == failAt.k || (failAt.forGood && failAt.seen > failAt.k)) return failAt.fault;
  return tav::FileFault::None;
}

// A torn record may end the journal (the replay stops there, the next
// append cuts it off), but no whole record may follow one.
void expectJournalUntorn(const std::string& where) {
  std::string text = tavtest::readFileBytes(tav::journalPath("data"));
  std::size_t valid = 0;
  tav::readRecords(text, &valid);
  for (std::size_t p = text.find('@', valid + 1); p != std::string::npos; p = text.find('@', p + 1))
    EXPECT_TRUE(tav::readRecords(text.substr(p)).empty()) << where << " a record behind a torn one";
}

// Every file operation of the session fails in turn, as a full disk, a
// denied access or a held file makes it fail. The run goes on. Then either
// it is killed (the next start must bring everything back), or, with the
// failure gone (space freed, the file let go), the journal's pending records
// and the save are retried as the close does. Either way every note ends at
// its newest text, no torn record is left, and nothing comes back twice.
TEST(FailureAtEveryFileOperation, ARetryOrTheNextStartEndsWithEveryNoteAtItsNewestText) {
  Model expected;
  for (const Step& s : session()) applyToModel(expected, s);
  long total = 0;
  {
    tavtest::TempExeDir dry("dry");
    prepareFolder();
    failAt = FailAt();
    tav::fileOpFault = failKth;
    runSession();
    tav::fileOpFault = nullptr;
    total = failAt.seen;
  }
  ASSERT_GT(total, 40);
  long points = 0;
  for (tav::FileFault fault :
       {tav::FileFault::DiskFull, tav::FileFault::AccessDenied, tav::FileFault::SharingViolation}) {
    for (long k = 1; k <= total; ++k) {
      for (int mode = 0; mode < 2; ++mode) {  // 0: killed after the session, 1: retried
        tavtest::TempExeDir dir("fail");
        prepareFolder();
        failAt = FailAt();
        failAt.k = k;
        failAt.fault = fault;
        failAt.forGood = mode == 1;
        tav::fileOpFault = failKth;
        tav::Journal j;
        tav::KeywordIndex idx;
        idx.journal = &j;
        idx.load("data");
        // Killed one step after the failure (the journal's next write is its
        // retry); retried at the end of the session, with the failure gone.
        Model upToKill;
        int stepsAfter = -1;
        for (const Step& s : session()) {
          runStep(idx, j, s);
          applyToModel(upToKill, s);
          if (stepsAfter >= 0) ++stepsAfter;
          else if (failAt.seen >= k) stepsAfter = 0;
          if (mode == 0 && stepsAfter == 1) break;
        }
        const std::string where = "fault " + std::to_string(static_cast<int>(fault)) + " at op " +
                                  std::to_string(k) + (mode ? " (retried)" : " (killed)") + ":";
        tav::fileOpFault = nullptr;
        expectJournalUntorn(where);
        if (mode == 1) {
          EXPECT_TRUE(j.retry()) << where;
          EXPECT_TRUE(idx.save("data")) << where;
        }
        idx.journal = nullptr;
        j = tav::Journal();  // the file closed, as by the end of the process
        ++points;
        checkFilesWhole(where);
        checkRecovered(mode == 0 ? upToKill : expected, where);
        if (::testing::Test::HasFailure()) return;
      }
    }
  }
  std::printf("failure points checked: %ld\n", points);
}

}  // namespace

int main(int argc, char** argv) {
  if (argc == 4 && std::string(argv[1]) == "child") return childMain(argv[2], std::atol(argv[3]));
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
