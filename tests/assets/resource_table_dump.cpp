// Lists the native build's embedded resources, one line each and sorted,
// in the format the Windows build's resource_dump prints for its own.

#include <algorithm>
#include <iostream>
#include <string>
#include <vector>

#include "embedded_resources.h"
#include "resource_listing.h"

int main() {
  const platform::ResourceTable table = gushmire::EmbeddedResources();
  std::vector<std::string> lines;
  for (std::size_t i = 0; i < table.count; ++i) {
    const platform::EmbeddedResource &e = table.entries[i];
    lines.push_back(assets_test::ListingLine(
        e.typeName ? e.typeName : std::to_string(e.typeId),
        e.name ? e.name : std::to_string(e.nameId), e.language, e.data,
        e.size));
  }
  std::sort(lines.begin(), lines.end());
  for (const std::string &line : lines)
    std::cout << line << "\n";
  return lines.empty() ? 1 : 0;
}
