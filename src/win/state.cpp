// The one App record.
#include "win/state.h"

namespace tav {

App& app() {
  static App a;
  return a;
}

}  // namespace tav
