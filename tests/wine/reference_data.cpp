#include "reference_data.h"

#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

namespace wine_reference {
namespace {

std::vector<std::string> Lines(const char *name) {
  const std::string path = std::string(GUSHMIRE_WINE_DATA_DIR) + "/" + name;
  std::ifstream in(path);
  std::vector<std::string> lines;
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
    return lines;
  }
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

bool ReadRegionData(std::istringstream &in, RegionData &r) {
  std::size_t count = 0;
  if (!(in >> r.type >> count >> r.box.left >> r.box.top >> r.box.right >>
        r.box.bottom)) {
    return false;
  }
  r.rects.resize(count);
  for (RECT &rect : r.rects) {
    in >> rect.left >> rect.top >> rect.right >> rect.bottom;
  }
  return static_cast<bool>(in);
}

bool ReadRegion(std::istringstream &in, RegionRecord &r) {
  std::string tag;
  if (!(in >> tag >> r.left >> r.top >> r.right >> r.bottom) || tag != "rgn") {
    return false;
  }
  if (in >> std::ws && in.peek() == 'u') {
    std::string word;
    in >> word;
    r.undefined = word == "undefined";
    return r.undefined;
  }
  return ReadRegionData(in, r);
}

bool ReadClip(std::istringstream &in, ClipRecord &c) {
  std::string tag;
  std::size_t count = 0;
  if (!(in >> tag >> count) || tag != "clip" || count == 0) {
    return false;
  }
  c.boxes.resize(count);
  for (RECT &box : c.boxes) {
    in >> box.left >> box.top >> box.right >> box.bottom;
  }
  return ReadRegionData(in, c.clip) && (in >> std::hex >> c.hash);
}

bool ReadValues(std::istringstream &in, const char *label, int count,
                std::vector<int> &values) {
  std::string tag;
  in >> tag;
  values.resize(static_cast<std::size_t>(count));
  for (int &v : values) {
    in >> v;
  }
  return in && tag == label;
}

bool ReadStretch(std::istringstream &in, StretchRecord &s) {
  std::string tag, status;
  if (!(in >> tag >> s.srcW >> s.srcH >> s.dstX >> s.dstY >> s.dstW >> s.dstH >>
        s.surfW >> s.surfH >> status) ||
      tag != "stretch" || s.dstW < 0 || s.dstH < 0) {
    return false;
  }
  s.ok = status == "ok";
  return ReadValues(in, "cols", s.dstW, s.cols) &&
         ReadValues(in, "rows", s.dstH, s.rows);
}

template <typename Record, typename Reader>
std::vector<Record> Load(const char *name, Reader read) {
  std::vector<Record> records;
  for (const std::string &line : Lines(name)) {
    std::istringstream in(line);
    Record record;
    if (!read(in, record)) {
      ADD_FAILURE() << name << ": cannot parse " << line.substr(0, 80);
      return {};
    }
    records.push_back(std::move(record));
  }
  return records;
}

} // namespace

std::vector<RegionRecord> LoadRegions() {
  return Load<RegionRecord>("regions.txt", ReadRegion);
}

std::vector<StretchRecord> LoadStretches() {
  return Load<StretchRecord>("stretches.txt", ReadStretch);
}

std::vector<ClipRecord> LoadClips() {
  return Load<ClipRecord>("clips.txt", ReadClip);
}

} // namespace wine_reference
