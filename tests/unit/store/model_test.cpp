// Randomized tests: a round-trip property over arbitrary texts, and the
// KeywordIndex driven side by side with a plain model of its behaviour.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <random>
#include <string>
#include <vector>

#include "platform/path.h"
#include "platform/platform.h"
#include "store/keyword_index.h"
#include "testsupport.h"

namespace {

using tav::EntryStatus;
using tav::KeywordIndex;

// Random texts that stress the formats: Shift-JIS characters whose trail byte
// is "\" or a letter, the tags and separators of the files, any other byte but NUL.
std::string randomText(std::mt19937& rng, std::size_t maxPieces, bool lineBreaks) {
  static const std::vector<std::string> pieces = {
      "ソ", "表", "能", "予", "会議", "ｱ", "A", "z", ",", " ", "<n>", "</n>", "<k>", "</k>",
      "<f>", "</c>", "nogrep", "/", "\\", "ＡＢ", "\x81\x40", "\xE0\x41", "..", ":"};
  std::uniform_int_distribution<std::size_t> count(1, maxPieces);
  std::uniform_int_distribution<int> kind(0, 3);
  std::uniform_int_distribution<std::size_t> pick(0, pieces.size() - 1);
  std::uniform_int_distribution<int> byte(1, 255);
  std::string s;
  for (std::size_t n = count(rng); n > 0; --n) {
    switch (kind(rng)) {
      case 0: s += static_cast<char>(byte(rng)); break;
      case 1: if (lineBreaks) s += "\r\n"; break;
      default: s += pieces[pick(rng)]; break;
    }
  }
  if (!lineBreaks) s.erase(std::remove_if(s.begin(), s.end(),
                                          [](char c) { return c == '\r' || c == '\n'; }),
                           s.end());
  return s;
}

std::string trimTrailingCommas(std::string s) {
  while (!s.empty() && s.back() == ',') s.pop_back();
  return s;
}

// Stored, saved, cleared, loaded and fetched: the same body, keyword, check
// mark and caret come back.
TEST(StoreProperty, RandomNotesSurviveSaveAndReload) {
  tavtest::TempExeDir tmp;
  tav::createFolder(tmp.path("data"));
  tav::createFolder(tmp.path("data") + tav::kPathSep + "r");
  for (unsigned seed = 1; seed <= 4; ++seed) {
    std::mt19937 rng(seed);
    KeywordIndex idx;
    idx.load("data");
    struct Expect {
      std::string key, keyword, body;
      bool checked;
      unsigned caret;
    };
    std::vector<Expect> notes;
    for (int i = 0; i < 40; ++i) {
      std::string body = randomText(rng, 30, true);
      std::string keyword = randomText(rng, 8, false);
      if (body.empty()) body = "x";
      std::string key = "r/" + std::to_string(seed) + "_" + std::to_string(i);
      bool checked = rng() % 2 == 0;
      unsigned caret = rng() % 5000;
      idx.storeNote(body, keyword, key, caret, checked);
      notes.push_back({key, trimTrailingCommas(keyword), body, checked, caret});
    }
    ASSERT_TRUE(idx.saveAndClear("data"));
    idx.load("data");
    for (const Expect& n : notes) {
      const std::string* body = nullptr;
      bool checked = !n.checked;
      unsigned caret = 0;
      ASSERT_TRUE(idx.fetchNote(n.key, &body, &checked, &caret)) << n.key;
      EXPECT_EQ(*body, n.body) << n.key;
      EXPECT_EQ(checked, n.checked) << n.key;
      EXPECT_EQ(caret, n.caret) << n.key;
      EXPECT_EQ(idx.findByKey(n.key)->keyword(), n.keyword) << n.key;
    }
  }
}

// ---- model-based test

struct ModelNote {
  std::string key, keyword, body;  // body: what a fetch gives
  bool cached = false;             // the index holds the body in memory
  bool checked = false;
  unsigned lineCaret = 0;
  unsigned storeCaret = 0;
  bool checkedAtStore = false;
  EntryStatus status = EntryStatus::Clean;

  std::string line() const {
    return key + "," + std::to_string(lineCaret) + "," + (checked ? "1" : "0") + ",0," + keyword;
  }
};

// Where the characters of s start (and its end), walking from its start.
std::vector<bool> charStarts(const std::string& s) {
  std::vector<bool> at(s.size() + 1, false);
  for (std::size_t i = 0; i < s.size(); i += tav::isLeadByte(static_cast<unsigned char>(s[i])) ? 2 : 1)
    at[i] = true;
  at[s.size()] = true;
  return at;
}

// Single-byte capitals folded; a trail byte stays as it is.
std::string folded(std::string s) {
  std::vector<bool> at = charStarts(s);
  for (std::size_t i = 0; i < s.size(); ++i)
    if (at[i] && s[i] >= 'A' && s[i] <= 'Z') s[i] = static_cast<char>(s[i] + 32);
  return s;
}

// The word occurs from one character start of hay to another.
bool occurs(const std::string& hay, const std::string& word) {
  const std::string h = folded(hay), w = folded(word);
  const std::vector<bool> at = charStarts(h);
  for (std::size_t i = 0; i + w.size() <= h.size(); ++i)
    if (at[i] && at[i + w.size()] && h.compare(i, w.size(), w) == 0) return true;
  return false;
}

std::vector<std::string> words(const std::string& text, const std::string& seps) {
  std::vector<std::string> out;
  std::string cur;
  for (char c : text) {
    if (seps.find(c) != std::string::npos) {
      if (!cur.empty()) out.push_back(cur);
      cur.clear();
    } else {
      cur += c;
    }
  }
  if (!cur.empty()) out.push_back(cur);
  return out;
}

bool containsAll(const std::string& hay, const std::string& query, const std::string& seps) {
  for (const std::string& w : words(query, seps))
    if (!occurs(hay, w)) return false;
  return true;
}

class Model {
 public:
  std::vector<ModelNote> list;
  std::vector<ModelNote> saved;  // what a reload gives
  std::map<std::string, std::string> disk;

  ModelNote* find(const std::string& key) {
    for (auto& n : list)
      if (n.key == key) return &n;
    return nullptr;
  }

  void store(const std::string& body, const std::string& keyword, const std::string& key,
             unsigned caret, bool checked) {
    ModelNote* n = find(key);
    if (n) {
      if (body.empty()) {
        n->status = EntryStatus::Deleted;
        return;
      }
      std::string cachedBody = n->cached ? n->body : std::string();
      if (n->status == EntryStatus::Deleted || body != cachedBody || keyword != n->keyword)
        n->status = EntryStatus::Dirty;
      n->keyword = keyword;
      n->body = body;
      n->cached = true;
      n->lineCaret = n->storeCaret = caret;
      n->checked = n->checkedAtStore = checked;
      return;
    }
    if (body.empty()) return;
    ModelNote m;
    m.key = key;
    m.keyword = keyword;
    m.body = body;
    m.cached = true;
    m.lineCaret = m.storeCaret = caret;
    m.checked = m.checkedAtStore = checked;
    m.status = EntryStatus::Dirty;
    std::string prefix = key.substr(0, key.find('/') + 1);
    std::size_t pos = list.size();
    long remembered = -1;
    for (std::size_t i = 0; i + 1 < list.size(); ++i) {
      if (list[i].key.compare(0, prefix.size(), prefix) == 0) {
        remembered = static_cast<long>(i);
      } else if (remembered >= 0) {
        pos = static_cast<std::size_t>(remembered) + 1;
        break;
      }
    }
    list.insert(list.begin() + static_cast<long>(pos), m);
  }

  // What loadBody does to the model: a live entry's body becomes cached.
  void load(ModelNote& n) {
    if (n.status != EntryStatus::Deleted) n.cached = true;
  }

  std::vector<std::string> collect(const std::string& query, const std::string& grep,
                                   int filter) {
    std::vector<std::string> out;
    for (auto& n : list) {
      if (n.status == EntryStatus::Deleted) continue;
      if (!containsAll(n.keyword, query, ", ")) continue;
      if (filter != 3 && (filter == 1) != n.checked) continue;
      if (!grep.empty()) {
        if (("," + n.line() + ",").find("nogrep") != std::string::npos) continue;
        load(n);
        if (!containsAll(n.body, grep, ",")) continue;
      }
      out.push_back(n.line());
    }
    return out;
  }

  std::string save() {
    std::string index;
    for (auto& n : list) {
      if (n.status == EntryStatus::Dirty) {
        disk[n.key] = tav::composeNoteFile(n.keyword, n.storeCaret, n.checkedAtStore, n.body);
        n.status = EntryStatus::Clean;  // written: as its file now is
      }
      if (n.status == EntryStatus::Deleted)
        disk.erase(n.key);
      else
        index += n.line() + "\n";
    }
    saved.clear();
    for (const auto& n : list) {
      if (n.status == EntryStatus::Deleted) continue;
      ModelNote s = n;
      s.status = EntryStatus::Clean;
      s.cached = false;
      s.storeCaret = 0;
      s.checkedAtStore = false;
      saved.push_back(s);
    }
    return index;
  }
};

void expectSame(const KeywordIndex& idx, const Model& m, const std::string& step) {
  ASSERT_EQ(idx.size(), m.list.size()) << step;
  for (std::size_t i = 0; i < idx.size(); ++i) {
    EXPECT_EQ(idx.at(i).recordText(), m.list[i].line()) << step << " at " << i;
    EXPECT_EQ(idx.at(i).status, m.list[i].status) << step << " at " << i;
  }
}

TEST(StoreModel, IndexBehavesLikeThePlainModelUnderRandomOperations) {
  const std::vector<std::string> keywords = {"alpha", "Beta", "ALPHA beta", "会議", "ソフト表",
                                             "memo,x", "nogrep note", "a/1 link", "zeta", "アイス"};
  const std::vector<std::string> queries = {"", "alpha", "BETA", "al be", "会議", "表",
                                            "x,memo", "zz", "A", " , ", "a/1", "c"};
  const std::vector<std::string> bodies = {"first body", "Second\r\nline", "表示と予定",
                                           "x marks", "QUICK fox", "nogrep in body", "アイス"};
  const std::vector<std::string> greps = {"", "body", "FOX", "x,marks", "予定", "none", "a"};
  const std::vector<std::string> subs = {"a", "b", "c"};

  for (unsigned seed = 1; seed <= 6; ++seed) {
    tavtest::TempExeDir tmp;
    for (const auto& s : subs) {
      tav::createFolder(tmp.path("data"));
      tav::createFolder(tmp.path("data") + tav::kPathSep + s);
    }
    std::mt19937 rng(seed);
    auto pick = [&](const std::vector<std::string>& v) { return v[rng() % v.size()]; };
    KeywordIndex idx;
    Model m;
    idx.load("data");
    int counter = 0;
    for (int step = 0; step < 300; ++step) {
      const std::string where = "seed " + std::to_string(seed) + " step " + std::to_string(step);
      int op = static_cast<int>(rng() % 100);
      if (op < 25 || m.list.empty()) {  // a new note
        std::string key = pick(subs) + "/" + std::to_string(++counter);
        std::string body = pick(bodies), kw = pick(keywords);
        unsigned caret = rng() % 50;
        bool checked = rng() % 2;
        idx.storeNote(body, kw, key, caret, checked);
        m.store(body, kw, key, caret, checked);
      } else if (op < 50) {  // change, keep or empty an existing note
        ModelNote& n = m.list[rng() % m.list.size()];
        std::string key = n.key;
        int how = static_cast<int>(rng() % 4);
        std::string body = how == 0 ? std::string() : how == 1 ? n.body : pick(bodies);
        std::string kw = rng() % 3 ? n.keyword : pick(keywords);
        unsigned caret = rng() % 50;
        bool checked = rng() % 2;
        idx.storeNote(body, kw, key, caret, checked);
        m.store(body, kw, key, caret, checked);
      } else if (op < 58) {  // check mark
        ModelNote& n = m.list[rng() % m.list.size()];
        char mark = rng() % 2 ? '1' : '0';
        idx.setChecked(n.key, mark);
        m.load(n);
        n.checked = n.checkedAtStore = mark == '1';
      } else if (op < 68) {  // fetch
        ModelNote& n = m.list[rng() % m.list.size()];
        const std::string* body = nullptr;
        bool checked = false;
        unsigned caret = 0;
        ASSERT_TRUE(idx.fetchNote(n.key, &body, &checked, &caret)) << where;
        m.load(n);
        EXPECT_EQ(*body, n.status == EntryStatus::Deleted ? "" : n.body) << where;
        EXPECT_EQ(checked, n.checked) << where;
        EXPECT_EQ(caret, n.lineCaret) << where;
      } else if (op < 85) {  // filter
        std::string q = pick(queries), g = pick(greps);
        int filter = std::vector<int>{0, 1, 3, 3}[rng() % 4];
        std::vector<std::string> got;
        idx.collectMatches(q, got, g, filter);
        EXPECT_EQ(got, m.collect(q, g, filter)) << where << " query '" << q << "' grep '" << g
                                                << "' filter " << filter;
        std::size_t live = 0;
        for (const auto& n : m.list)
          live += n.status != EntryStatus::Deleted && containsAll(n.keyword, q, ", ");
        EXPECT_EQ(idx.countMatches(q), live) << where;
        std::string kw = pick(keywords);
        const tav::IndexEntry* e = idx.findByKeyword(kw);
        auto it = std::find_if(m.list.begin(), m.list.end(),
                               [&](const ModelNote& n) { return n.keyword == kw; });
        ASSERT_EQ(e != nullptr, it != m.list.end()) << where << " keyword " << kw;
        if (e) {
          EXPECT_EQ(e->key(), it->key) << where;
        }
      } else if (op < 93) {  // save, then compare the disk with the model
        std::string index = m.save();
        ASSERT_TRUE(idx.save("data")) << where;
        std::string dataDir = tmp.path("data") + tav::kPathSep;
        EXPECT_EQ(tavtest::readFileBytes(dataDir + "index2.txt"), index) << where;
        for (const auto& n : m.list) {
          auto f = m.disk.find(n.key);
          if (f == m.disk.end())
            EXPECT_EQ(tav::pathKind(dataDir + n.key), tav::PathKind::None) << where << " " << n.key;
          else
            EXPECT_EQ(tavtest::readFileBytes(dataDir + n.key), f->second) << where;
        }
        if (rng() % 2) {  // and reload
          idx.clear();
          idx.load("data");
          m.list = m.saved;
        }
      } else {  // reload without saving: the last saved state comes back
        idx.clear();
        idx.load("data");
        m.list = m.saved;
      }
      expectSame(idx, m, where);
      if (HasFatalFailure() || HasNonfatalFailure()) return;
    }
  }
}

}  // namespace
