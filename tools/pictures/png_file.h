// Writes 8-bit RGB pictures as PNG files (libpng).
#pragma once

#include <string>

#include "image.h"

namespace pictures {

bool WritePng(const std::string &path, const Image &image);

} // namespace pictures
