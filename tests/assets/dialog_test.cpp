// The About dialog template, parsed back field by field.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "embedded_lookup.h"

namespace {

std::vector<std::string> Split(const std::string &text, const char *by) {
  std::vector<std::string> parts;
  for (std::size_t at = 0;;) {
    const std::size_t end = text.find(by, at);
    parts.push_back(text.substr(at, end - at));
    if (end == std::string::npos)
      return parts;
    at = end + std::strlen(by);
  }
}

TEST(DialogTemplate, HoldsExactlyTheAboutBoxAndItsTexts) {
  const std::vector<std::uint8_t> data = assets_test::Bytes(5, 2003);
  EXPECT_EQ(data.size(), 670u);
  assets_test::Fields f(data);
  using assets_test::ExpectFields;
  // Version 1, extended signature, help id, WS_EX_CLIENTEDGE, style, five
  // controls, x, y, cx, cy, no menu, default class; title; points, weight,
  // not italic, DEFAULT_CHARSET; typeface.
  ExpectFields(f, "224442222222",
               {1, 0xFFFF, 0, 0x200, 0x80C808C4, 5, 0, 0, 149, 118, 0, 0});
  EXPECT_EQ(f.Sz(), "Gushmire");
  ExpectFields(f, "2211", {8, 0, 0, 1});
  EXPECT_EQ(f.Sz(), "MS Sans Serif");

  constexpr std::uint32_t kNoId = 0xFFFFFFFF;
  struct Control {
    std::uint32_t style, x, y, cx, cy, id, windowClass;
    const char *text; // null: shows group icon 100; empty: read below
  };
  const Control controls[] = {
      {0x50010001, 55, 100, 40, 15, 1, 0x80, "OK"},
      {0x50020001, 5, 35, 135, 60, kNoId, 0x82, ""}, // credits
      {0x50000003, 5, 5, 18, 20, kNoId, 0x82, nullptr},
      {0x50020001, 30, 5, 85, 25, kNoId, 0x82, ""}, // heading
      {0x50000003, 120, 5, 18, 20, kNoId, 0x82, nullptr},
  };
  std::vector<std::string> texts;
  for (const Control &c : controls) {
    SCOPED_TRACE("control " + std::to_string(&c - controls));
    EXPECT_EQ(f.AlignTo4(), 0u) << "padding";
    // Help id, extended style, style, x, y, cx, cy, id, class by ordinal.
    ExpectFields(
        f, "4442222422",
        {0, 0, c.style, c.x, c.y, c.cx, c.cy, c.id, 0xFFFF, c.windowClass});
    if (c.text == nullptr)
      ExpectFields(f, "22", {0xFFFF, 100});
    else if (*c.text)
      EXPECT_EQ(f.Sz(), c.text);
    else
      texts.push_back(f.Sz());
    EXPECT_EQ(f.U16(), 0) << "creation data";
  }
  EXPECT_EQ(f.left(), 0u) << "the last control ends the template";

  ASSERT_EQ(texts.size(), 2u);
  const auto heading = Split(texts[1], "\n");
  ASSERT_EQ(heading.size(), 3u) << texts[1];
  EXPECT_EQ(heading[0], "Gushmire Screen Saver");
  EXPECT_NE(heading[1], "");
  EXPECT_NE(heading[2], "");
  EXPECT_NE(texts[1].find("Gushmire developers"), std::string::npos);
  // Two paragraphs, one per credit, split by exactly one empty line.
  const auto credits = Split(texts[0], "\n\n");
  ASSERT_EQ(credits.size(), 2u) << texts[0];
  for (const std::string &paragraph : credits) {
    EXPECT_NE(paragraph.find("Gushmire developers"), std::string::npos);
    EXPECT_FALSE(paragraph.empty() || paragraph.front() == '\n' ||
                 paragraph.back() == '\n');
  }
}

} // namespace
