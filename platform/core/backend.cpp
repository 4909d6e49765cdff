// Which backend the layer uses: the headless display until the program's
// entry chooses another.
#include "core/backend.h"

namespace platform::detail {
namespace {
Backend *chosen = nullptr;
} // namespace

Backend &TheBackend() {
  return chosen != nullptr ? *chosen : HeadlessBackend();
}
void UseBackend(Backend *backend) { chosen = backend; }

} // namespace platform::detail
