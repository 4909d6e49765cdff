// The window scenarios of window_messages.h run on our layer, compared line
// by line with what Wine delivered for them (tests/data/wine/
// window-messages.txt). Both sides first drop the messages our layer does
// not model (kUnmodelled); everything else, including every message the
// saver relies on, must come in the same order and nesting.
#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>

#include "layer_headless.h"
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

// Drops the lines of unmodelled messages ("TAG NAME ..." or "TAG get NAME
// ..."), and the lines nested under them, since what an unmodelled message
// leads to is unmodelled too.
std::vector<std::string> Modelled(const std::vector<std::string> &lines) {
  std::vector<std::string> kept;
  std::size_t skipDeeperThan = std::string::npos;
  for (const std::string &line : lines) {
    const std::size_t indent = line.find_first_not_of(' ');
    if (skipDeeperThan != std::string::npos && indent > skipDeeperThan) {
      continue;
    }
    std::istringstream words(line);
    std::string tag, name;
    words >> tag >> name;
    if (name == "get") {
      words >> name;
    }
    const bool unmodelled =
        std::find(std::begin(kUnmodelled), std::end(kUnmodelled), name) !=
        std::end(kUnmodelled);
    skipDeeperThan = unmodelled ? indent : std::string::npos;
    if (!unmodelled) {
      kept.push_back(line);
    }
  }
  return kept;
}

TEST(WineWindowMessages, SameOrderAsWine) {
  std::vector<std::string> ours;
  platform::ResetWindowing();
  platform::OpenHeadlessDisplay(800, 600);
  static std::vector<std::string> *sink = &ours;
  window_messages::Run([](const std::string &line) { sink->push_back(line); });
  platform::ResetWindowing();

  const std::vector<std::string> wine =
      Modelled(RecordedLines("window-messages.txt"));
  const std::vector<std::string> mine = Modelled(ours);
  ASSERT_FALSE(wine.empty());
  const auto [w, m] =
      std::mismatch(wine.begin(), wine.end(), mine.begin(), mine.end());
  if (w != wine.end() || m != mine.end()) {
    std::string context;
    for (auto line = w - std::min<std::ptrdiff_t>(w - wine.begin(), 4);
         line != w; ++line) {
      context += "    " + *line + "\n";
    }
    ADD_FAILURE() << "first difference after " << w - wine.begin()
                  << " lines:\n"
                  << context << "  Wine: " << (w != wine.end() ? *w : "(end)")
                  << "\n  ours: " << (m != mine.end() ? *m : "(end)");
  }
}

} // namespace
