// The window scenarios of window_messages.h run on our layer, compared line
// by line with what Wine delivered for them (tests/data/wine/
// window-messages.txt). Both sides first drop the messages our layer does
// not model (kUnmodelled); everything else, including every message the
// saver relies on, must come in the same order and nesting.
#include <gtest/gtest.h>

#include <algorithm>

#include "layer.h"
#include "reference_data.h"
#include "window_messages.h"

namespace {

// Messages left out of the comparison, and why:
// - non-client areas, icons and palettes: our windows have no frames, no
//   icons are asked for and the saver handles no palette notification;
// - the input method (0x0285 is WM_IME_SELECT): there is none here;
// - pointer messages that Wine makes from X events when the X server
//   reports the pointer over a new window: when they come depends on X,
//   not on the calls (input routing is tested natively instead).
const char *const kUnmodelled[] = {
    "WM_NCCALCSIZE",     "WM_NCPAINT",    "WM_GETICON", "WM_QUERYNEWPALETTE",
    "WM_IME_SETCONTEXT", "WM_IME_NOTIFY", "0x0285",     "WM_NCHITTEST",
    "WM_SETCURSOR",      "WM_MOUSEMOVE",
};

bool Unmodelled(const std::string &line) {
  const std::size_t start = line.find_first_not_of(' ');
  std::string rest = line.substr(start == std::string::npos ? 0 : start);
  // "TAG NAME ..." or "TAG get NAME ...": the name is the word after the tag
  // and an optional "get".
  std::size_t at = rest.find(' ');
  if (at == std::string::npos) {
    return false;
  }
  rest = rest.substr(at + 1);
  if (rest.rfind("get ", 0) == 0) {
    rest = rest.substr(4);
  }
  const std::string name = rest.substr(0, rest.find(' '));
  return std::any_of(std::begin(kUnmodelled), std::end(kUnmodelled),
                     [&](const char *u) { return name == u; });
}

// Drops unmodelled lines, and lines nested under one of them, since what an
// unmodelled message leads to is unmodelled too.
std::vector<std::string> Modelled(const std::vector<std::string> &lines) {
  std::vector<std::string> kept;
  std::size_t skipDeeperThan = std::string::npos;
  for (const std::string &line : lines) {
    const std::size_t indent = line.find_first_not_of(' ');
    if (skipDeeperThan != std::string::npos && indent > skipDeeperThan) {
      continue;
    }
    skipDeeperThan = std::string::npos;
    if (Unmodelled(line)) {
      skipDeeperThan = indent;
      continue;
    }
    kept.push_back(line);
  }
  return kept;
}

std::vector<std::string> ours;

TEST(WineWindowMessages, SameOrderAsWine) {
  platform::ResetWindowing();
  platform::OpenHeadlessDisplay(800, 600);
  ours.clear();
  window_messages::Run([](const std::string &line) { ours.push_back(line); });
  platform::ResetWindowing();

  const std::vector<std::string> wine =
      Modelled(RecordedLines("window-messages.txt"));
  const std::vector<std::string> mine = Modelled(ours);
  ASSERT_FALSE(wine.empty());
  std::size_t same = 0;
  while (same < wine.size() && same < mine.size() && wine[same] == mine[same]) {
    ++same;
  }
  if (same < wine.size() || same < mine.size()) {
    std::string context;
    for (std::size_t i = same >= 4 ? same - 4 : 0; i < same; ++i) {
      context += "    " + wine[i] + "\n";
    }
    ADD_FAILURE() << "first difference after " << same << " lines:\n"
                  << context
                  << "  Wine: " << (same < wine.size() ? wine[same] : "(end)")
                  << "\n  ours: "
                  << (same < mine.size() ? mine[same] : "(end)");
  }
}

} // namespace
