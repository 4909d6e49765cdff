// PNG files of 32-bit 0x00RRGGBB pixels (libpng), stored as 8-bit RGB.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

bool WritePng(const std::string &path, int width, int height,
              const uint32_t *pixels);

// Reads any PNG libpng understands, flattened to opaque RGB. False, with
// the outputs cleared, if the file cannot be read or is larger than
// `maxPixels`.
bool ReadPng(const std::string &path, long maxPixels, int &width, int &height,
             std::vector<uint32_t> &pixels);
