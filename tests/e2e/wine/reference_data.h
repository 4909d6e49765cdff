// The lines recorded under Wine (tests/data/wine/), and how one of them
// differs from the line our layer gives.
#pragma once

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

// Fails the calling test when the file cannot be read.
inline std::vector<std::string> RecordedLines(const char *name) {
  const std::string path = std::string(GUSHMIRE_WINE_DATA_DIR) + "/" + name;
  std::ifstream in(path);
  std::vector<std::string> lines;
  if (!in) {
    ADD_FAILURE() << "cannot read " << path;
  }
  for (std::string line; std::getline(in, line);) {
    if (!line.empty()) {
      lines.push_back(line);
    }
  }
  return lines;
}

// Appends both lines from a little before where they part to `report`.
inline void ReportDifference(const std::string &wine, const std::string &ours,
                             std::string &report) {
  std::size_t at = 0;
  while (at < wine.size() && at < ours.size() && wine[at] == ours[at]) {
    ++at;
  }
  const std::size_t from = at > 40 ? at - 40 : 0;
  report += wine.substr(0, wine.find(" ", 40)) + "...\n  Wine: ..." +
            wine.substr(from, 120) + "\n  ours: ..." + ours.substr(from, 120) +
            "\n";
}
