// gushmire-pictures: draws the twelve bitmaps and computes paletteTable.
// Usage: gushmire-pictures <assets directory>
// Writes <dir>/bitmaps/<NAME>.bmp and <dir>/palette_table.cpp.
#include <cstdio>
#include <exception>
#include <filesystem>
#include <string>
#include <vector>

#include "backdrops.h"
#include "bmp.h"
#include "frames.h"
#include "palette.h"

namespace {

using namespace pictures;

struct Picture {
  std::string name;
  int pixelsPerMetre;
  Image image;
};

Bitmap8 Finish(const Picture &p) {
  const Quantized q = QuantizePicture(p.image);
  return {p.image.width, p.image.height, p.pixelsPerMetre, q.table, q.indices};
}

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <assets directory>\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path root(argv[1]);
    std::filesystem::create_directories(root / "bitmaps");
    std::vector<Picture> pictures;
    pictures.push_back({"SPLASH1", 3740, RenderBloodBackdrop()});
    pictures.push_back({"SPLASH2", 3740, RenderPusBackdrop()});
    for (int stage = 1; stage <= 5; ++stage)
      pictures.push_back({"BLOOD" + std::to_string(stage), 2755,
                          RenderFrame(Humour::Blood, stage)});
    for (int stage = 1; stage <= 5; ++stage)
      pictures.push_back({"PUS" + std::to_string(stage), 2874,
                          RenderFrame(Humour::Pus, stage)});

    std::vector<Bitmap8> bitmaps;
    for (const Picture &p : pictures) {
      bitmaps.push_back(Finish(p));
      const std::string path = (root / "bitmaps" / (p.name + ".bmp")).string();
      if (!WriteFile(path, EncodeBmp(bitmaps.back()))) {
        std::fprintf(stderr, "cannot write %s\n", path.c_str());
        return 1;
      }
    }
    const Table palette = BuildPaletteTable(bitmaps);
    const std::string source = (root / "palette_table.cpp").string();
    if (!WriteFile(source, PaletteSource(palette))) {
      std::fprintf(stderr, "cannot write %s\n", source.c_str());
      return 1;
    }
  } catch (const std::exception &e) {
    std::fprintf(stderr, "gushmire-pictures: %s\n", e.what());
    return 1;
  }
  return 0;
}
