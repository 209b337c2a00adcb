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

// Would passing the batch one variable after the other form, where a value
// goes in, the name of a variable ranked after that value's and not after
// batchMax? Then the passes are not one sweep. Each value is looked at in the
// text as it stands right after its own pass: lower-ranked occurrences show
// their values, higher-ranked ones still their names. Any name that forms
// there overlaps the value (or spans the place of an empty one), so a window
// of the longest name's length on either side is enough.
bool formsNameInBatch(const CommandVariables& vars, const std::string& cur,
                      const std::vector<Occurrence>& occ, std::size_t batchMax) {
  // Only names ranked after a value's own and not after batchMax matter: the
  // longest of them sizes that value's window.
  std::vector<std::size_t> longestAfter(batchMax + 1, 0);
  for (std::size_t r = batchMax; r-- > 0;)
    longestAfter[r] = std::max(longestAfter[r + 1], vars.names[r + 1].size());
  std::vector<const Occurrence*> batch;
  for (const Occurrence& o : occ)
    if (o.idx <= batchMax) batch.push_back(&o);
  std::vector<std::string_view> pieces;
  std::string left, right, local, key;
  for (std::size_t k = 0; k < batch.size(); ++k) {
    const Occurrence& o = *batch[k];
    const std::size_t rank = o.idx;
    const std::size_t longest = longestAfter[rank];
    if (longest == 0) continue;  // nothing ranked after it in the batch
    const std::size_t need = longest - 1;
    auto shown = [&](const Occurrence& n) -> std::string_view {
      return n.idx <= rank ? vars.values[n.idx] : vars.names[n.idx];
    };
    // A run of empty values can keep a window from filling: past need + 1
    // occurrences, or once the run's work is used up, the batch is given up
    // (one pass per variable is always right).
    std::size_t got = 0, crossed = 0;
    auto take = [&](std::string_view piece, bool fromEnd) {
      std::size_t n = std::min(piece.size(), need - got);
      pieces.push_back(fromEnd ? piece.substr(piece.size() - n) : piece.substr(0, n));
      got += n;
      return spend(vars, n + 1);
    };
    // The last `need` bytes before the occurrence, gathered right to left.
    pieces.clear();
    std::size_t edge = o.pos;
    for (std::size_t m = k; m-- > 0 && got < need;) {
      const Occurrence& n = *batch[m];
      std::size_t nEnd = n.pos + vars.names[n.idx].size();
      if (++crossed > need + 1 || !take(std::string_view(cur).substr(nEnd, edge - nEnd), true))
        return true;
      if (got < need && !take(shown(n), true)) return true;
      edge = n.pos;
    }
    if (got < need && !take(std::string_view(cur).substr(0, edge), true)) return true;
    left.clear();
    for (std::size_t i = pieces.size(); i-- > 0;) left.append(pieces[i]);
    // The first `need` bytes after it, left to right.
    pieces.clear();
    got = crossed = 0;
    edge = o.pos + vars.names[o.idx].size();
    for (std::size_t m = k + 1; m < batch.size() && got < need; ++m) {
      const Occurrence& n = *batch[m];
      if (++crossed > need + 1 || !take(std::string_view(cur).substr(edge, n.pos - edge), false))
        return true;
      if (got < need && !take(shown(n), false)) return true;
      edge = n.pos + vars.names[n.idx].size();
    }
    if (got < need && !take(std::string_view(cur).substr(edge), false)) return true;
    right.clear();
    for (std::string_view piece : pieces) right.append(piece);

    local = left;
    local += vars.values[o.idx];
    local += right;
    const std::size_t rs = left.size(), re = rs + vars.values[o.idx].size();
    const std::size_t from = rs >= need ? rs - need : 0;
    const std::size_t to = rs == re ? rs : re;  // names start before an empty value's place
    for (std::size_t p = local.find('?', from); p != std::string::npos && p < to;
         p = local.find('?', p + 1)) {
      for (std::size_t len : vars.nameLengths) {
        if (len > longest || p + len > local.size()) break;
        if (p + len <= rs || local[p + len - 1] != '?') continue;
        if (!spend(vars, len)) return true;
        key.assign(local, p, len);
        auto it = vars.byName.find(key);
        if (it != vars.byName.end() && it->second > rank && it->second <= batchMax) return true;
      }
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
    if (batch) batch = !formsNameInBatch(vars, cur, occ, batchMax);
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
