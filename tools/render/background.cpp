#include "background.h"

#include <algorithm>

#include "png_io.h"

namespace {

struct Canvas {
  int width;
  int height;
  std::vector<uint32_t> &pixels;

  // Fills the part of the rectangle that lies on the canvas.
  void Fill(long left, long top, long right, long bottom, uint32_t colour) {
    left = std::max(left, 0L);
    top = std::max(top, 0L);
    right = std::min(right, static_cast<long>(width));
    bottom = std::min(bottom, static_cast<long>(height));
    for (long y = top; y < bottom; ++y) {
      std::fill_n(pixels.begin() + y * width + left, std::max(right - left, 0L),
                  colour);
    }
  }
};

// A window at fractions of the screen: frame, title bar and client area.
void DrawWindow(Canvas &canvas, double fx, double fy, double fw, double fh,
                uint32_t title) {
  const long left = static_cast<long>(fx * canvas.width);
  const long top = static_cast<long>(fy * canvas.height);
  const long right = left + std::max(static_cast<long>(fw * canvas.width), 3L);
  const long bottom = top + std::max(static_cast<long>(fh * canvas.height), 3L);
  const long bar = std::max((bottom - top) / 10, 1L);
  canvas.Fill(left, top, right, bottom, 0x404040);
  canvas.Fill(left + 1, top + 1, right - 1, top + 1 + bar, title);
  canvas.Fill(left + 1, top + 1 + bar, right - 1, bottom - 1, 0xF0F0F0);
  // A few lines of "text".
  for (long y = top + 2 * bar + 1; y + 2 < bottom - bar; y += bar) {
    canvas.Fill(left + bar, y, right - 2 * bar, y + std::max(bar / 3, 1L),
                0xA0A0A8);
  }
}

} // namespace

std::vector<uint32_t> DesktopBackground(int width, int height) {
  std::vector<uint32_t> pixels(static_cast<std::size_t>(width) *
                               static_cast<std::size_t>(height));
  Canvas canvas{width, height, pixels};
  // Sixteen bands from slate blue at the top to teal at the bottom.
  constexpr int bands = 16;
  for (int band = 0; band < bands; ++band) {
    const auto shade = static_cast<uint32_t>(band * 4);
    const uint32_t colour =
        ((0x30 - shade / 2) << 16) | ((0x50 + shade) << 8) | (0x80 - shade / 2);
    canvas.Fill(0, static_cast<long>(height) * band / bands, width,
                static_cast<long>(height) * (band + 1) / bands, colour);
  }
  const long unit = std::max(std::min(width, height) / 24, 2);
  for (long i = 0; i < 4; ++i) {
    const long top = unit + i * 2 * unit;
    canvas.Fill(unit, top, 2 * unit, top + unit, 0xE0E0E0);
    canvas.Fill(unit + unit / 4, top + unit / 4, 2 * unit - unit / 4,
                top + unit - unit / 4, 0x3070C0);
  }
  DrawWindow(canvas, 0.18, 0.12, 0.45, 0.50, 0x000080);
  DrawWindow(canvas, 0.50, 0.35, 0.40, 0.45, 0x808080);
  DrawWindow(canvas, 0.30, 0.58, 0.25, 0.25, 0x808080);
  const long taskbar = std::max(static_cast<long>(height) / 20, 2L);
  canvas.Fill(0, height - taskbar, width, height, 0xC0C0C0);
  canvas.Fill(0, height - taskbar, width, height - taskbar + 1, 0xFFFFFF);
  canvas.Fill(2, height - taskbar + 2, 2 + 3 * taskbar, height - 2, 0x008000);
  return pixels;
}

bool MakeBackground(const std::string &choice, int width, int height,
                    std::vector<uint32_t> &pixels, std::string &error) {
  if (choice == "desktop") {
    pixels = DesktopBackground(width, height);
    return true;
  }
  pixels.assign(
      static_cast<std::size_t>(width) * static_cast<std::size_t>(height), 0u);
  if (choice == "black") {
    return true;
  }
  int pictureWidth = 0;
  int pictureHeight = 0;
  std::vector<uint32_t> picture;
  if (!ReadPng(choice, 1L << 26, pictureWidth, pictureHeight, picture)) {
    error = "cannot read the background picture " + choice;
    return false;
  }
  for (long y = 0; y < height; ++y) {
    const long pictureY = y * pictureHeight / height;
    for (long x = 0; x < width; ++x) {
      pixels[static_cast<std::size_t>(y * width + x)] =
          picture[static_cast<std::size_t>(pictureY * pictureWidth +
                                           x * pictureWidth / width)];
    }
  }
  return true;
}
