// The dialog template reader on any bytes: a template comes back whole or
// not at all, and every string and item it gives lies within the input.
#include <cstdint>
#include <cstdlib>

#include "user32/dialogs/dialog_template.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  const auto read = platform::detail::ReadDialogTemplate(data, size);
  if (read) {
    // Each item takes at least 18 bytes of a plain template.
    if (read->items.size() * 18 > size) {
      std::abort();
    }
  }
  return 0;
}
