#include "commands/variables.h"

#include <algorithm>
#include <set>
#include <string_view>

namespace tav {

void CommandVariables::clear() {
  names.clear();
  values.clear();
  byName.clear();
  nameLengths.clear();
  bytes = 0;
  workLeft = kMaxSubstitutionWork;
}

const std::string* CommandVariables::find(const std::string& name) const {
  auto it = byName.find(name);
  return it == byName.end() ? nullptr : &values[it->second];
}

int defineVariable(CommandVariables& vars, const std::string& word,
                   const std::optional<std::string>& arg) {
  if (!arg) return 0;
  std::string name = word + "?";
  auto it = vars.byName.find(name);
  if (it != vars.byName.end()) {
    std::string& value = vars.values[it->second];
    if (vars.bytes - value.size() + arg->size() > kMaxVariableBytes) return 0;
    vars.bytes = vars.bytes - value.size() + arg->size();
    value = *arg;
    return 0;
  }
  if (vars.bytes + name.size() + arg->size() > kMaxVariableBytes) return 0;
  vars.bytes += name.size() + arg->size();
  vars.byName.emplace(name, vars.names.size());
  auto pos = std::lower_bound(vars.nameLengths.begin(), vars.nameLengths.end(), name.size());
  if (pos == vars.nameLengths.end() || *pos != name.size()) vars.nameLengths.insert(pos, name.size());
  vars.names.push_back(std::move(name));
  vars.values.push_back(*arg);
  return 0;
}

namespace {

struct Region {
  std::size_t start, end, creator;  // where a value went in, and whose
};

// Takes n bytes of looking from the run's work; false once it is used up.
bool spend(const CommandVariables& vars, std::size_t n) {
  if (vars.workLeft < n) {
    vars.workLeft = 0;
    return false;
  }
  vars.workLeft -= n;
  return true;
}

// Calls f(pos, index) for every variable name in text that starts at a
// position in [from, to) and ends beyond minEnd, by position. Every name starts
// and ends with '?', so only '?' positions are tried. Stops when the run's
// work is used up.
template <typename F>
void forEachName(const CommandVariables& vars, std::string_view text, std::size_t from,
                 std::size_t to, std::size_t minEnd, F f) {
  to = std::min(to, text.size());
  std::string key;
  for (std::size_t p = text.find('?', from); p != std::string_view::npos && p < to;
       p = text.find('?', p + 1)) {
    for (std::size_t len : vars.nameLengths) {
      if (p + len > text.size()) break;
      if (p + len <= minEnd || text[p + len - 1] != '?') continue;
      if (!spend(vars, len)) return;
      key.assign(text.data() + p, len);
      auto it = vars.byName.find(key);
      if (it != vars.byName.end()) f(p, it->second);
    }
  }
}

// Later variables whose names formed where a value went in: a name overlapping
// the value, or spanning the place of an empty one. False when one of them has
// an index up to `limit` (a batch that must not be applied at once).
bool collectNewNames(const CommandVariables& vars, std::string_view text,
                     const std::vector<Region>& regions, std::size_t limit, bool checkLimit,
                     std::set<std::size_t>& pending) {
  std::size_t maxLen = vars.nameLengths.back();
  bool ok = true;
  for (const Region& r : regions) {
    std::size_t from = r.start >= maxLen ? r.start - maxLen + 1 : 0;
    forEachName(vars, text, from, r.end, r.start, [&](std::size_t, std::size_t idx) {
      if (idx <= r.creator) return;
      if (checkLimit && idx <= limit) ok = false;
      pending.insert(idx);
    });
  }
  return ok;
}

// One variable's pass, as replaceAll does it: left to right, never searching
// what it inserted.
bool replaceOne(const CommandVariables& vars, std::size_t i, std::string& cur,
                std::size_t maxSize, std::set<std::size_t>& pending) {
  const std::string& name = vars.names[i];
  const std::string& value = vars.values[i];
  if (!spend(vars, cur.size())) return false;
  std::string out;
  std::vector<Region> regions;
  std::size_t start = 0;
  for (std::size_t p = cur.find(name); p != std::string::npos; p = cur.find(name, start)) {
    out.append(cur, start, p - start);
    regions.push_back({out.size(), out.size() + value.size(), i});
    out += value;
    start = p + name.size();
    if (out.size() > maxSize) return false;
  }
  if (regions.empty()) return true;  // an earlier replacement took it away
  out.append(cur, start, std::string::npos);
  if (out.size() > maxSize) return false;
  cur.swap(out);
  collectNewNames(vars, cur, regions, 0, false, pending);
  return true;
}

struct Occurrence {
  std::size_t pos, idx;
};

// Could two neighbouring occurrences of the batch interact when passed one
// after the other? Passing the lower-ranked one first may form, across its
// value and the text up to the other, the name of a variable ranked between
// the two that takes the other's "?" (which the sweep replaces at once, so
// the name never shows afterwards). Such a name holds: the value from its
// last "?" on (or, for a value without "?", the character before it and the
// whole value), the text between, and the other's "?". Mirrored for a right
// occurrence ranked lower.
bool nearbyNameBetween(const CommandVariables& vars, const std::string& cur,
                       const std::vector<Occurrence>& occ, std::size_t batchMax) {
  const std::size_t maxLen = vars.nameLengths.back();
  std::vector<const Occurrence*> batch;
  for (const Occurrence& o : occ)
    if (o.idx <= batchMax) batch.push_back(&o);
  // The characters that may stand beside occurrence k on one side once the
  // occurrences ranked below it are replaced; nothing known gives "".
  auto besides = [&](std::size_t k, bool before) -> std::vector<std::string> {
    const Occurrence& o = *batch[k];
    std::size_t edge = before ? o.pos : o.pos + vars.names[o.idx].size();
    if (before ? edge == 0 : edge >= cur.size()) return {};  // no character there
    const Occurrence* n = nullptr;
    if (before && k > 0 && batch[k - 1]->pos + vars.names[batch[k - 1]->idx].size() == edge)
      n = batch[k - 1];
    if (!before && k + 1 < batch.size() && batch[k + 1]->pos == edge) n = batch[k + 1];
    if (!n) return {std::string(1, cur[before ? edge - 1 : edge])};
    const std::string& v = vars.values[n->idx];
    if (n->idx > o.idx || v.empty()) return {"?", ""};
    return {"?", std::string(1, before ? v.back() : v.front())};
  };
  for (std::size_t k = 1; k < batch.size(); ++k) {
    const Occurrence& a = *batch[k - 1];
    const Occurrence& b = *batch[k];
    std::size_t end = a.pos + vars.names[a.idx].size();
    if (b.pos < end || b.pos - end >= maxLen) continue;
    const std::string gap = cur.substr(end, b.pos - end);
    std::vector<std::string> needs;
    if (a.idx < b.idx) {
      const std::string& v = vars.values[a.idx];
      std::size_t q = v.rfind('?');
      if (q != std::string::npos) needs.push_back(v.substr(q) + gap + "?");
      else
        for (const std::string& c : besides(k - 1, true)) needs.push_back(c + v + gap + "?");
    } else {
      const std::string& v = vars.values[b.idx];
      std::size_t q = v.find('?');
      if (q != std::string::npos) needs.push_back("?" + gap + v.substr(0, q + 1));
      else
        for (const std::string& c : besides(k, false)) needs.push_back("?" + gap + v + c);
    }
    std::size_t lo = std::min(a.idx, b.idx), hi = std::max(a.idx, b.idx);
    for (std::size_t j = lo + 1; j < hi; ++j) {
      if (!spend(vars, vars.names[j].size() * needs.size())) return true;
      for (const std::string& need : needs)
        if (vars.names[j].find(need) != std::string::npos) return true;
    }
  }
  return false;
}

}  // namespace

bool substituteVariables(const CommandVariables& vars, std::string& text, std::size_t maxSize) {
  if (vars.names.empty() || text.find('?') == std::string::npos) return true;
  std::set<std::size_t> pending;
  forEachName(vars, text, 0, text.size(), 0,
              [&](std::size_t, std::size_t idx) { pending.insert(idx); });
  if (vars.workLeft == 0) return false;
  std::string cur = text;
  std::vector<Occurrence> occ;
  std::vector<Region> regions;
  while (!pending.empty()) {
    // Occurrences of pending variables by position; a variable with an
    // occurrence that overlaps another one depends on the order of passes.
    occ.clear();
    std::set<std::size_t> tangled;
    std::size_t reach = 0;
    forEachName(vars, cur, 0, cur.size(), 0, [&](std::size_t p, std::size_t idx) {
      if (!pending.count(idx)) return;
      if (p < reach) tangled.insert(idx);
      reach = std::max(reach, p + vars.names[idx].size());
      occ.push_back({p, idx});
    });
    if (vars.workLeft == 0) return false;
    // The run of lowest pending variables without such overlaps is replaced
    // in one sweep instead of one pass each; that gives the same text unless
    // a value forms the name of a later variable of the same run.
    std::size_t batchMax = 0;
    bool batch = false;
    for (std::size_t idx : pending) {
      if (tangled.count(idx)) break;
      batchMax = idx;
      batch = true;
    }
    if (batch) batch = !nearbyNameBetween(vars, cur, occ, batchMax);
    if (batch) {
      std::string out;
      regions.clear();
      std::size_t start = 0;
      for (const Occurrence& o : occ) {
        if (o.idx > batchMax || o.pos < start) continue;
        out.append(cur, start, o.pos - start);
        regions.push_back({out.size(), out.size() + vars.values[o.idx].size(), o.idx});
        out += vars.values[o.idx];
        start = o.pos + vars.names[o.idx].size();
        if (out.size() > maxSize) return false;
      }
      out.append(cur, start, std::string::npos);
      if (out.size() > maxSize) return false;
      std::set<std::size_t> found;
      bool apart = collectNewNames(vars, out, regions, batchMax, true, found);
      if (vars.workLeft == 0) return false;
      if (apart) {
        cur.swap(out);
        pending.erase(pending.begin(), pending.upper_bound(batchMax));
        pending.insert(found.begin(), found.end());
        continue;
      }
    }
    std::size_t i = *pending.begin();
    pending.erase(pending.begin());
    if (!replaceOne(vars, i, cur, maxSize, pending) || vars.workLeft == 0) return false;
  }
  text.swap(cur);
  return true;
}

}  // namespace tav
