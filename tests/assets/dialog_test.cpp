// The About dialog template, parsed back field by field.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "embedded_lookup.h"

namespace {

using assets_test::Fields;

constexpr WORD kDialogType = 5;
constexpr WORD kGroupIconType = 14;
constexpr std::uint32_t kNoId = 0xFFFFFFFF;

struct Control {
  std::uint32_t style;
  std::int16_t x, y, cx, cy;
  std::uint32_t id;
  std::uint16_t classOrdinal;
  // Text, or (when iconOrdinal is set) the icon resource named by ordinal.
  std::string text;
  std::uint16_t iconOrdinal;
};

Control ReadControl(Fields &f) {
  Control c{};
  EXPECT_EQ(f.AlignTo4(), 0u) << "control padding at " << f.pos();
  EXPECT_EQ(f.U32(), 0u) << "help id";
  EXPECT_EQ(f.U32(), 0u) << "extended style";
  c.style = f.U32();
  c.x = f.I16();
  c.y = f.I16();
  c.cx = f.I16();
  c.cy = f.I16();
  c.id = f.U32();
  EXPECT_EQ(f.U16(), 0xFFFF) << "class given by ordinal";
  c.classOrdinal = f.U16();
  // The text is a string, or 0xFFFF and an ordinal.
  Fields peek = f;
  if (peek.U16() == 0xFFFF) {
    f.U16();
    c.iconOrdinal = f.U16();
  } else {
    c.text = f.Sz();
  }
  EXPECT_EQ(f.U16(), 0) << "creation data size";
  return c;
}

std::vector<std::string> Lines(const std::string &text) {
  std::vector<std::string> lines(1);
  for (char ch : text) {
    if (ch == '\n')
      lines.emplace_back();
    else
      lines.back().push_back(ch);
  }
  return lines;
}

struct Header {
  std::uint16_t version, signature;
  std::uint32_t helpId, exStyle, style;
  std::uint16_t controlCount;
  std::int16_t x, y, cx, cy;
  std::uint16_t menu, windowClass;
  std::string title;
  std::uint16_t pointSize, weight;
  std::uint8_t italic, charset;
  std::string typeface;
};

Header ReadHeader(Fields &f) {
  Header h{};
  h.version = f.U16();
  h.signature = f.U16();
  h.helpId = f.U32();
  h.exStyle = f.U32();
  h.style = f.U32();
  h.controlCount = f.U16();
  h.x = f.I16();
  h.y = f.I16();
  h.cx = f.I16();
  h.cy = f.I16();
  h.menu = f.U16();
  h.windowClass = f.U16();
  h.title = f.Sz();
  h.pointSize = f.U16();
  h.weight = f.U16();
  h.italic = f.U8();
  h.charset = f.U8();
  h.typeface = f.Sz();
  return h;
}

class DialogTemplate : public ::testing::Test {
protected:
  void SetUp() override {
    dialog = assets_test::Find(kDialogType, 2003);
    ASSERT_NE(dialog, nullptr);
  }
  const platform::EmbeddedResource *dialog = nullptr;
};

TEST_F(DialogTemplate, HeaderTitleAndFont) {
  EXPECT_EQ(dialog->size, 670u);
  EXPECT_EQ(dialog->language, 0x0409);
  Fields f(*dialog);
  const Header h = ReadHeader(f);
  EXPECT_EQ(h.version, 1);
  EXPECT_EQ(h.signature, 0xFFFF) << "extended template";
  EXPECT_EQ(h.helpId, 0u);
  EXPECT_EQ(h.exStyle, 0x00000200u) << "WS_EX_CLIENTEDGE";
  EXPECT_EQ(h.style, 0x80C808C4u);
  EXPECT_EQ(h.controlCount, 5);
  EXPECT_EQ(h.x, 0);
  EXPECT_EQ(h.y, 0);
  EXPECT_EQ(h.cx, 149);
  EXPECT_EQ(h.cy, 118);
  EXPECT_EQ(h.menu, 0) << "no menu";
  EXPECT_EQ(h.windowClass, 0) << "default dialog class";
  EXPECT_EQ(h.title, "Gushmire");
  EXPECT_EQ(h.pointSize, 8);
  EXPECT_EQ(h.weight, 0);
  EXPECT_EQ(h.italic, 0);
  EXPECT_EQ(h.charset, 1) << "DEFAULT_CHARSET";
  EXPECT_EQ(h.typeface, "MS Sans Serif");
  EXPECT_EQ(f.pos(), 82u);
}

TEST_F(DialogTemplate, ControlsInTabOrderAndNothingAfter) {
  Fields f(*dialog);
  ReadHeader(f);

  struct Expected {
    std::uint32_t style;
    std::int16_t x, y, cx, cy;
    std::uint32_t id;
    std::uint16_t classOrdinal;
    bool icon;
  };
  const Expected expected[] = {
      {0x50010001, 55, 100, 40, 15, 1, 0x80, false},    // OK button
      {0x50020001, 5, 35, 135, 60, kNoId, 0x82, false}, // credits
      {0x50000003, 5, 5, 18, 20, kNoId, 0x82, true},    // left icon
      {0x50020001, 30, 5, 85, 25, kNoId, 0x82, false},  // heading
      {0x50000003, 120, 5, 18, 20, kNoId, 0x82, true},  // right icon
  };
  std::vector<Control> controls;
  for (const Expected &want : expected) {
    SCOPED_TRACE("control " + std::to_string(controls.size() + 1));
    Control got = ReadControl(f);
    EXPECT_EQ(got.style, want.style);
    EXPECT_EQ(got.x, want.x);
    EXPECT_EQ(got.y, want.y);
    EXPECT_EQ(got.cx, want.cx);
    EXPECT_EQ(got.cy, want.cy);
    EXPECT_EQ(got.id, want.id);
    EXPECT_EQ(got.classOrdinal, want.classOrdinal);
    if (want.icon) {
      EXPECT_EQ(got.iconOrdinal, 100);
      EXPECT_TRUE(got.text.empty());
    }
    controls.push_back(got);
  }
  // The last control is not padded: the template ends with it.
  EXPECT_EQ(f.left(), 0u);

  EXPECT_EQ(controls[0].text, "OK");
  EXPECT_NE(assets_test::Find(kGroupIconType, 100), nullptr)
      << "the icon controls name a group icon that exists";

  const auto heading = Lines(controls[3].text);
  ASSERT_EQ(heading.size(), 3u) << controls[3].text;
  EXPECT_EQ(heading[0], "Gushmire Screen Saver");
  for (std::size_t i = 1; i < 3; ++i)
    EXPECT_NE(heading[i], "");
  EXPECT_NE(controls[3].text.find("Gushmire developers"), std::string::npos);

  // Two paragraphs, one per credit, split by exactly one empty line.
  const auto credits = Lines(controls[1].text);
  std::size_t empty = 0, split = 0;
  for (std::size_t i = 0; i < credits.size(); ++i)
    if (credits[i].empty()) {
      ++empty;
      split = i;
    }
  ASSERT_EQ(empty, 1u) << controls[1].text;
  ASSERT_GT(split, 0u);
  ASSERT_LT(split + 1, credits.size());
  const std::string &text = controls[1].text;
  const std::string first = text.substr(0, text.find("\n\n"));
  const std::string second = text.substr(first.size() + 2);
  EXPECT_NE(first.find("Gushmire developers"), std::string::npos);
  EXPECT_NE(second.find("Gushmire developers"), std::string::npos);
}

} // namespace
