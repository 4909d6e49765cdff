// StretchBlt of a 640x480 8-bit bitmap onto a 3840x2160 display through
// clip regions like the saver's, each next to its floor: a plain
// nearest-pixel copy of exactly the clipped pixels from a 32-bit source.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

#include "gdi32/stretch_map.h"
#include "layer_headless.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kSrcWidth = 640;
constexpr int kSrcHeight = 480;

struct Scene {
  HWND window = nullptr;
  HDC dc = nullptr;
  HDC memory = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ previous = nullptr;
  std::vector<unsigned char> dib;
  std::vector<RECT> clip;
  long long pixels = 0;
};

LRESULT CALLBACK Proc(HWND w, UINT m, WPARAM wp, LPARAM lp) {
  return DefWindowProcA(w, m, wp, lp);
}

void AddEllipse(HDC dc, int left, int top, int right, int bottom, bool first) {
  HRGN r = CreateEllipticRgn(left, top, right, bottom);
  if (first) {
    SelectClipRgn(dc, r);
  } else {
    ExtSelectClipRgn(dc, r, RGN_OR);
  }
  DeleteObject(r);
}

// A burst: the splat circle and 40 droplets of radius 2..25 around it.
void BurstClip(HDC dc) {
  const int cx = kWidth / 2, cy = kHeight / 2;
  AddEllipse(dc, cx - 300, cy - 300, cx + 300, cy + 300, true);
  for (int i = 0; i < 40; ++i) {
    // A fixed spread of directions and distances, as a spray looks.
    const int angle = (i * 97) % 360;
    const int distance = 320 + (i * 37) % 260;
    const double rad = angle * 3.14159265358979 / 180.0;
    const int px = cx + static_cast<int>(distance * std::cos(rad));
    const int py = cy + static_cast<int>(distance * std::sin(rad));
    const int d = 2 + (i * 13) % 24;
    AddEllipse(dc, px - d, py - d, px + d, py + d, false);
  }
}

// A flood: 21 drips side by side across the middle of the screen.
void FloodClip(HDC dc) {
  for (int i = 0; i <= 20; ++i) {
    const int x = i * kWidth / 20;
    const int rx = 97 + (i * 53) % 96;
    const int ry = rx * 3 / 2;
    AddEllipse(dc, x - rx, kHeight / 2 - ry, x + rx, kHeight / 2 + ry, i == 0);
  }
}

Scene &Open(void (*clip)(HDC)) {
  static Scene scene;
  platform::OpenHeadlessDisplay(kWidth, kHeight, 0x202020);
  if (scene.window == nullptr) {
    WNDCLASSA wc{};
    wc.style = CS_OWNDC;
    wc.lpfnWndProc = Proc;
    wc.lpszClassName = "BenchStretch";
    RegisterClassA(&wc);
    scene.window =
        CreateWindowExA(0, "BenchStretch", "", WS_POPUP, 0, 0, kWidth, kHeight,
                        nullptr, nullptr, nullptr, nullptr);
    scene.dc = GetDC(scene.window);
    SetStretchBltMode(scene.dc, COLORONCOLOR);
    scene.dib.assign(1064 + kSrcWidth * kSrcHeight, 0);
    BITMAPINFOHEADER h{};
    h.biSize = 40;
    h.biWidth = kSrcWidth;
    h.biHeight = kSrcHeight;
    h.biPlanes = 1;
    h.biBitCount = 8;
    std::memcpy(scene.dib.data(), &h, sizeof h);
    for (int i = 0; i < 256; ++i) {
      scene.dib[static_cast<std::size_t>(40 + 4 * i + 2)] =
          static_cast<unsigned char>(i);
    }
    for (std::size_t i = 1064; i < scene.dib.size(); ++i) {
      scene.dib[i] = static_cast<unsigned char>(i * 7 / 5);
    }
    const auto *info = reinterpret_cast<const BITMAPINFO *>(scene.dib.data());
    scene.memory = CreateCompatibleDC(scene.dc);
    scene.bitmap =
        CreateDIBitmap(scene.dc, &info->bmiHeader, CBM_INIT,
                       scene.dib.data() + 1064, info, DIB_RGB_COLORS);
    scene.previous = SelectObject(scene.memory, scene.bitmap);
  }
  clip(scene.dc);
  HRGN copy = CreateRectRgn(0, 0, 0, 0);
  GetClipRgn(scene.dc, copy);
  const DWORD size = GetRegionData(copy, 0, nullptr);
  std::vector<unsigned char> buffer(size);
  GetRegionData(copy, size, reinterpret_cast<RGNDATA *>(buffer.data()));
  DeleteObject(copy);
  RGNDATAHEADER header{};
  std::memcpy(&header, buffer.data(), sizeof header);
  scene.clip.resize(header.nCount);
  std::memcpy(scene.clip.data(), buffer.data() + sizeof header,
              header.nCount * sizeof(RECT));
  // Only what lies on the display counts (the flood hangs over its sides).
  std::vector<RECT> onScreen;
  for (RECT r : scene.clip) {
    r.left = std::max<LONG>(r.left, 0);
    r.top = std::max<LONG>(r.top, 0);
    r.right = std::min<LONG>(r.right, kWidth);
    r.bottom = std::min<LONG>(r.bottom, kHeight);
    if (r.left < r.right && r.top < r.bottom) {
      onScreen.push_back(r);
    }
  }
  scene.clip = onScreen;
  scene.pixels = 0;
  for (const RECT &r : scene.clip) {
    scene.pixels +=
        static_cast<long long>(r.right - r.left) * (r.bottom - r.top);
  }
  return scene;
}

void Report(benchmark::State &state, const Scene &scene) {
  state.SetItemsProcessed(state.iterations() * scene.pixels);
  state.counters["clip_pixels"] = static_cast<double>(scene.pixels);
  state.counters["clip_rects"] = static_cast<double>(scene.clip.size());
}

void Blit(benchmark::State &state, void (*clip)(HDC)) {
  Scene &scene = Open(clip);
  for (auto _ : state) {
    StretchBlt(scene.dc, 0, 0, kWidth, kHeight, scene.memory, 0, 0, kSrcWidth,
               kSrcHeight, SRCCOPY);
    benchmark::DoNotOptimize(platform::FramebufferPixels());
  }
  Report(state, scene);
}

// The floor: the same mapping and the same rectangles, from a source that
// is already in device colours, with the tables made beforehand.
void Floor(benchmark::State &state, void (*clip)(HDC)) {
  using platform::detail::Axis;
  using platform::detail::StretchSource;
  Scene &scene = Open(clip);
  std::vector<uint32_t> source(kSrcWidth * kSrcHeight);
  for (std::size_t i = 0; i < source.size(); ++i) {
    source[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  }
  std::vector<int> columns(kWidth), rows(kHeight);
  for (int x = 0; x < kWidth; ++x) {
    columns[static_cast<std::size_t>(x)] =
        static_cast<int>(StretchSource(x, kSrcWidth, kWidth, Axis::Horizontal));
  }
  for (int y = 0; y < kHeight; ++y) {
    rows[static_cast<std::size_t>(y)] =
        static_cast<int>(StretchSource(y, kSrcHeight, kHeight, Axis::Vertical));
  }
  std::vector<uint32_t> out(static_cast<std::size_t>(kWidth) * kHeight);
  for (auto _ : state) {
    for (const RECT &r : scene.clip) {
      for (LONG y = r.top; y < r.bottom; ++y) {
        const uint32_t *from =
            source.data() + rows[static_cast<std::size_t>(y)] * kSrcWidth;
        uint32_t *to = out.data() + static_cast<std::size_t>(y) * kWidth;
        for (LONG x = r.left; x < r.right; ++x) {
          to[x] = from[columns[static_cast<std::size_t>(x)]];
        }
      }
    }
    benchmark::DoNotOptimize(out.data());
  }
  Report(state, scene);
}

// A whole draw as the saver makes it: memory DC, bitmap from the 8-bit
// resource, the copy, and the releases.
void WholeDraw(benchmark::State &state, void (*clip)(HDC)) {
  Scene &scene = Open(clip);
  const auto *info = reinterpret_cast<const BITMAPINFO *>(scene.dib.data());
  for (auto _ : state) {
    HDC memory = CreateCompatibleDC(scene.dc);
    HBITMAP bitmap =
        CreateDIBitmap(scene.dc, &info->bmiHeader, CBM_INIT,
                       scene.dib.data() + 1064, info, DIB_RGB_COLORS);
    HGDIOBJ previous = SelectObject(memory, bitmap);
    StretchBlt(scene.dc, 0, 0, kWidth, kHeight, memory, 0, 0, kSrcWidth,
               kSrcHeight, SRCCOPY);
    SelectObject(memory, previous);
    DeleteObject(bitmap);
    DeleteDC(memory);
  }
  Report(state, scene);
}

BENCHMARK_CAPTURE(Blit, burst_41_circles, BurstClip);
BENCHMARK_CAPTURE(Floor, burst_41_circles, BurstClip);
BENCHMARK_CAPTURE(WholeDraw, burst_41_circles, BurstClip);
BENCHMARK_CAPTURE(Blit, flood_21_ellipses, FloodClip);
BENCHMARK_CAPTURE(Floor, flood_21_ellipses, FloodClip);
BENCHMARK_CAPTURE(WholeDraw, flood_21_ellipses, FloodClip);

} // namespace
