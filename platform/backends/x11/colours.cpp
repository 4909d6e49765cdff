// The visual's pixels and colours: TrueColor channels, or at 8 bits a
// colormap whose nearest entry stands for each colour, and the realized
// palette loaded into a colormap of our own.
#include <algorithm>

#include "backends/x11/x11.h"

namespace platform::detail::x11 {

void X11::ReadVisual() {
  // Pixels are colormap indices; deeper visuals are taken by their masks.
  pseudoColour =
      depth <= 8 &&
      (visual->c_class == PseudoColor || visual->c_class == StaticColor ||
       visual->c_class == GrayScale || visual->c_class == StaticGray);
  red = Channel(visual->red_mask);
  green = Channel(visual->green_mask);
  blue = Channel(visual->blue_mask);
  if (!pseudoColour) {
    return;
  }
  const int entries = std::min(256, visual->map_entries);
  std::array<XColor, 256> cells{};
  for (int i = 0; i < entries; ++i) {
    cells[static_cast<std::size_t>(i)].pixel = static_cast<unsigned long>(i);
  }
  XQueryColors(x, colormap, cells.data(), entries);
  for (int i = 0; i < entries; ++i) {
    const XColor &c = cells[static_cast<std::size_t>(i)];
    colours[static_cast<std::size_t>(i)] = static_cast<uint32_t>(
        (c.red >> 8) << 16 | (c.green >> 8) << 8 | (c.blue >> 8));
  }
  BuildColourLookup();
}

void X11::BuildColourLookup() {
  nearest.assign(1u << 15, 0);
  for (uint32_t key = 0; key < (1u << 15); ++key) {
    const int r = static_cast<int>((key >> 10) << 3 | 4);
    const int g = static_cast<int>(((key >> 5) & 31) << 3 | 4);
    const int b = static_cast<int>((key & 31) << 3 | 4);
    int best = 0;
    int bestDistance = 1 << 30;
    for (int i = 0; i < 256; ++i) {
      const uint32_t c = colours[static_cast<std::size_t>(i)];
      const int dr = static_cast<int>(c >> 16) - r;
      const int dg = static_cast<int>((c >> 8) & 0xFF) - g;
      const int db = static_cast<int>(c & 0xFF) - b;
      const int distance = dr * dr + dg * dg + db * db;
      if (distance < bestDistance) {
        bestDistance = distance;
        best = i;
      }
    }
    nearest[key] = static_cast<uint8_t>(best);
  }
}

uint32_t X11::PixelOf(uint32_t rgb) const {
  if (pseudoColour) {
    return nearest[(rgb >> 9 & 0x7C00) | (rgb >> 6 & 0x3E0) |
                   (rgb >> 3 & 0x1F)];
  }
  return red.Put(rgb >> 16 & 0xFF) | green.Put(rgb >> 8 & 0xFF) |
         blue.Put(rgb & 0xFF);
}

uint32_t X11::RgbOf(unsigned long pixel) const {
  if (pseudoColour) {
    return colours[pixel & 0xFF];
  }
  return red.Get(pixel) << 16 | green.Get(pixel) << 8 | blue.Get(pixel);
}

// At 8 bits the realized palette becomes the colormap our windows show
// through, so the screen shows the saver's colours exactly.
void X11::SystemPaletteChanged(const std::vector<uint32_t> &palette) {
  if (visual->c_class != PseudoColor) {
    return;
  }
  if (ownColormap == 0) {
    Trap();
    ownColormap = XCreateColormap(x, root, visual, AllocAll);
    if (!Untrap()) {
      ownColormap = 0;
      return;
    }
  }
  std::array<uint32_t, 256> wanted = colours;
  std::copy_n(palette.begin(), std::min<std::size_t>(palette.size(), 256),
              wanted.begin());
  if (wanted == colours && colormap == ownColormap) {
    return; // realized again each step: nothing new to load
  }
  colours = wanted;
  const int cells = std::min(256, visual->map_entries);
  std::vector<XColor> table(static_cast<std::size_t>(cells));
  for (int i = 0; i < cells; ++i) {
    const std::size_t at = static_cast<std::size_t>(i);
    table[at].pixel = static_cast<unsigned long>(i);
    table[at].red = static_cast<unsigned short>((colours[at] >> 16) * 257);
    table[at].green =
        static_cast<unsigned short>(((colours[at] >> 8) & 0xFF) * 257);
    table[at].blue = static_cast<unsigned short>((colours[at] & 0xFF) * 257);
    table[at].flags = DoRed | DoGreen | DoBlue;
  }
  XStoreColors(x, ownColormap, table.data(), cells);
  colormap = ownColormap;
  for (const auto &[window, peer] : peers) {
    XSetWindowColormap(x, peer.id, colormap);
  }
  // No window manager installs it for us.
  XInstallColormap(x, colormap);
  BuildColourLookup();
  Present(RECT{0, 0, framebuffer.width, framebuffer.height});
}

} // namespace platform::detail::x11
