// Long work (a rebuild, a search or filter that reads note files) tells how
// far it got, so that the window can show it and keep painting, and may be
// asked to stop where stopping is safe.
#pragma once

#include <cstddef>
#include <functional>

namespace tav {

struct Progress {
  // done of total steps; false asks the work to stop. Work that must not be
  // left half-done (a rebuild) goes on regardless.
  std::function<bool(std::size_t done, std::size_t total)> report;

  bool step(std::size_t done, std::size_t total) const { return !report || report(done, total); }
};

}  // namespace tav
