#include "gif_writer.h"

#include <fcntl.h>
#include <gif_lib.h>
#include <unistd.h>

#include <algorithm>

namespace {

struct Rect {
  int left, top, right, bottom; // right and bottom excluded
};

// The smallest rectangle holding every index that changed; a single pixel
// when nothing did, since a frame needs at least one.
Rect ChangedRect(const GifWriter &gif) {
  if (gif.previous.empty()) {
    return {0, 0, gif.width, gif.height};
  }
  Rect rect{gif.width, gif.height, 0, 0};
  for (int y = 0; y < gif.height; ++y) {
    const std::size_t row =
        static_cast<std::size_t>(y) * static_cast<std::size_t>(gif.width);
    for (int x = 0; x < gif.width; ++x) {
      if (gif.current[row + static_cast<std::size_t>(x)] !=
          gif.previous[row + static_cast<std::size_t>(x)]) {
        rect.left = std::min(rect.left, x);
        rect.right = std::max(rect.right, x + 1);
        rect.top = std::min(rect.top, y);
        rect.bottom = std::max(rect.bottom, y + 1);
      }
    }
  }
  if (rect.left >= rect.right) {
    return {0, 0, 1, 1};
  }
  return rect;
}

bool PutLoopExtension(GifFileType *file) {
  static const GifByteType application[] = "NETSCAPE2.0";
  static const GifByteType loopForever[] = {1, 0, 0};
  return EGifPutExtensionLeader(file, APPLICATION_EXT_FUNC_CODE) == GIF_OK &&
         EGifPutExtensionBlock(file, 11, application) == GIF_OK &&
         EGifPutExtensionBlock(file, 3, loopForever) == GIF_OK &&
         EGifPutExtensionTrailer(file) == GIF_OK;
}

} // namespace

bool OpenGif(GifWriter &gif, const std::string &path, int width, int height,
             const Palette &palette) {
  gif = GifWriter{};
  if (width <= 0 || height <= 0 || width > 65535 || height > 65535) {
    return false;
  }
  // giflib would create the file readable by its owner only.
  const int handle = open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0666);
  if (handle < 0) {
    return false;
  }
  int error = 0;
  GifFileType *file = EGifOpenFileHandle(handle, &error);
  if (file == nullptr) {
    close(handle);
    return false;
  }
  GifColorType colours[256];
  for (std::size_t i = 0; i < 256; ++i) {
    colours[i].Red = static_cast<GifByteType>(palette.colours[i] >> 16);
    colours[i].Green = static_cast<GifByteType>(palette.colours[i] >> 8);
    colours[i].Blue = static_cast<GifByteType>(palette.colours[i]);
  }
  ColorMapObject *map = GifMakeMapObject(256, colours);
  EGifSetGifVersion(file, true);
  const bool ok = map != nullptr &&
                  EGifPutScreenDesc(file, width, height, 8, 0, map) == GIF_OK &&
                  PutLoopExtension(file);
  GifFreeMapObject(map);
  if (!ok) {
    EGifCloseFile(file, &error);
    return false;
  }
  gif.file = file;
  gif.width = width;
  gif.height = height;
  gif.current.resize(static_cast<std::size_t>(width) *
                     static_cast<std::size_t>(height));
  return true;
}

bool AddGifFrame(GifWriter &gif, PaletteIndexer &indexer,
                 const uint32_t *source, int sourceWidth, int sourceHeight,
                 int delay) {
  if (gif.file == nullptr || gif.failed || sourceWidth <= 0 ||
      sourceHeight <= 0) {
    gif.failed = true;
    return false;
  }
  for (int y = 0; y < gif.height; ++y) {
    const long sourceY = static_cast<long>(y) * sourceHeight / gif.height;
    const uint32_t *sourceRow = source + sourceY * sourceWidth;
    uint8_t *row = gif.current.data() + static_cast<std::size_t>(y) *
                                            static_cast<std::size_t>(gif.width);
    for (int x = 0; x < gif.width; ++x) {
      row[x] = indexer.Index(
          sourceRow[static_cast<long>(x) * sourceWidth / gif.width]);
    }
  }
  const Rect rect = ChangedRect(gif);
  GraphicsControlBlock control = {};
  control.DisposalMode = DISPOSE_DO_NOT;
  control.UserInputFlag = false;
  control.DelayTime = std::clamp(delay, 0, 65535);
  control.TransparentColor = NO_TRANSPARENT_COLOR;
  GifByteType extension[4];
  EGifGCBToExtension(&control, extension);
  bool ok =
      EGifPutExtension(gif.file, GRAPHICS_EXT_FUNC_CODE, 4, extension) ==
          GIF_OK &&
      EGifPutImageDesc(gif.file, rect.left, rect.top, rect.right - rect.left,
                       rect.bottom - rect.top, false, nullptr) == GIF_OK;
  for (int y = rect.top; ok && y < rect.bottom; ++y) {
    GifPixelType *line =
        gif.current.data() +
        static_cast<std::size_t>(y) * static_cast<std::size_t>(gif.width) +
        static_cast<std::size_t>(rect.left);
    ok = EGifPutLine(gif.file, line, rect.right - rect.left) == GIF_OK;
  }
  gif.previous.swap(gif.current);
  gif.current.resize(gif.previous.size());
  gif.failed = !ok;
  return ok;
}

bool CloseGif(GifWriter &gif) {
  if (gif.file == nullptr) {
    return false;
  }
  int error = 0;
  const bool closed = EGifCloseFile(gif.file, &error) == GIF_OK;
  const bool ok = closed && !gif.failed;
  gif = GifWriter{};
  return ok;
}
