// The renderer's PNG background: any file, stretched to a small screen.
// Either a picture of exactly the screen's size or an error comes back.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>
#include <vector>

#include "background.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, std::size_t size) {
  static const std::string path =
      "/tmp/gushmire-fuzz-png-" + std::to_string(getpid()) + ".png";
  std::FILE *file = std::fopen(path.c_str(), "wb");
  if (file == nullptr) {
    return 0;
  }
  std::fwrite(data, 1, size, file);
  std::fclose(file);
  // The screen's size comes from the first byte, so stretches up and down
  // both get their turn.
  const int side = size > 0 ? 1 + data[0] % 40 : 1;
  std::vector<uint32_t> pixels;
  std::string error;
  const bool made = MakeBackground(path, side, side + 3, pixels, error);
  std::remove(path.c_str());
  if (made ? pixels.size() != static_cast<std::size_t>(side * (side + 3))
           : error.empty()) {
    std::abort();
  }
  return 0;
}
