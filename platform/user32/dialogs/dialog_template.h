// Dialog templates (DLGTEMPLATE and DLGTEMPLATEEX) read into plain data.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "winapi.h"

namespace platform::detail {

// A name or a 16-bit ordinal, as templates give classes, menus and texts.
struct NameOrOrdinal {
  std::string name; // code units above 255 become '?'
  WORD ordinal = 0; // nonzero when given by ordinal
  bool Empty() const { return name.empty() && ordinal == 0; }
};

struct DialogItem {
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0; // dialog units
  DWORD id = 0; // 16 bits in plain templates, 32 in extended ones
  NameOrOrdinal windowClass;
  NameOrOrdinal text;
  std::vector<BYTE> creationData;
};

struct DialogTemplate {
  bool extended = false;
  DWORD helpId = 0;
  DWORD style = 0;
  DWORD exStyle = 0;
  int x = 0, y = 0, width = 0, height = 0; // dialog units
  NameOrOrdinal menu;
  NameOrOrdinal windowClass;
  std::string title;
  // With DS_SETFONT only.
  WORD pointSize = 0;
  WORD weight = 0;
  BYTE italic = 0;
  BYTE charset = 0;
  std::string typeface;
  std::vector<DialogItem> items;
};

// Nothing when the data is truncated or malformed: a string without its
// terminator, an unknown extended version, an item that runs past the end.
std::optional<DialogTemplate> ReadDialogTemplate(const void *data,
                                                 std::size_t size);

} // namespace platform::detail
