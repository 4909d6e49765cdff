// gushmire-pictures: draws the twelve bitmaps and computes paletteTable.
// Usage: gushmire-pictures <assets directory>
// Writes <dir>/bitmaps/<NAME>.bmp and <dir>/palette_table.cpp.
#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "backdrops.h"
#include "bmp.h"
#include "frames.h"
#include "palette.h"

namespace {

using namespace pictures;

} // namespace

int main(int argc, char **argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s <assets directory>\n", argv[0]);
    return 2;
  }
  try {
    const std::filesystem::path root(argv[1]);
    std::filesystem::create_directories(root / "bitmaps");
    struct Job {
      std::string name;
      int pixelsPerMetre;
      Image (*render)(int stage);
      int stage;
    };
    std::vector<Job> jobs = {
        {"SPLASH1", 3740, [](int) { return RenderBloodBackdrop(); }, 0},
        {"SPLASH2", 3740, [](int) { return RenderPusBackdrop(); }, 0}};
    for (int stage = 1; stage <= 5; ++stage)
      jobs.push_back({"BLOOD" + std::to_string(stage), 2755,
                      [](int s) { return RenderFrame(Humour::Blood, s); },
                      stage});
    for (int stage = 1; stage <= 5; ++stage)
      jobs.push_back({"PUS" + std::to_string(stage), 2874,
                      [](int s) { return RenderFrame(Humour::Pus, s); },
                      stage});

    // Pictures are independent, so they are drawn on all cores; each lands
    // in its own slot, which keeps the output independent of timing.
    std::vector<Bitmap8> bitmaps(jobs.size());
    std::atomic<std::size_t> next{0};
    std::exception_ptr failure;
    std::mutex failureLock;
    auto worker = [&] {
      for (std::size_t i; (i = next++) < jobs.size();) {
        try {
          const Image image = jobs[i].render(jobs[i].stage);
          const Quantized q = QuantizePicture(image);
          bitmaps[i] = {image.width, image.height, jobs[i].pixelsPerMetre,
                        q.table, q.indices};
        } catch (...) {
          const std::lock_guard<std::mutex> hold(failureLock);
          failure = std::current_exception();
        }
      }
    };
    const auto started = std::chrono::steady_clock::now();
    const unsigned threads =
        std::clamp(std::thread::hardware_concurrency(), 1u, 8u);
    {
      std::vector<std::jthread> pool;
      for (unsigned t = 0; t < threads; ++t)
        pool.emplace_back(worker);
    }
    if (failure)
      std::rethrow_exception(failure);
    const std::chrono::duration<double> took =
        std::chrono::steady_clock::now() - started;
    std::printf("drew and quantized %zu pictures in %.2f s on %u threads\n",
                jobs.size(), took.count(), threads);
    for (std::size_t i = 0; i < jobs.size(); ++i) {
      const std::string path =
          (root / "bitmaps" / (jobs[i].name + ".bmp")).string();
      if (!WriteFile(path, EncodeBmp(bitmaps[i]))) {
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
