#include "user32/dialogs/dialog_template.h"

#include <cstring>

namespace platform::detail {
namespace {

// Reads little-endian fields in order; once a read runs past the end,
// every later one fails too.
class Reader {
public:
  Reader(const BYTE *data, std::size_t size) : data_(data), size_(size) {}
  bool ok() const { return ok_; }

  template <class T> T Next() {
    T value{};
    if (!ok_ || size_ - at_ < sizeof(T)) {
      ok_ = false;
      return value;
    }
    std::memcpy(&value, data_ + at_, sizeof(T)); // the host is little-endian
    at_ += sizeof(T);
    return value;
  }
  int Short() { return static_cast<int16_t>(Next<WORD>()); }

  // Items start on 4-byte boundaries, counted from the template's start.
  void AlignTo4() {
    const std::size_t aligned = (at_ + 3) & ~std::size_t{3};
    if (aligned > size_) {
      ok_ = false;
    } else {
      at_ = aligned;
    }
  }

  // A zero-terminated UTF-16 string.
  std::string Text() {
    std::string text;
    for (WORD unit = Next<WORD>(); ok_ && unit != 0; unit = Next<WORD>()) {
      text += unit < 256 ? static_cast<char>(unit) : '?';
    }
    return text;
  }

  // 0x0000: nothing; 0xFFFF: an ordinal follows; else a string.
  NameOrOrdinal NameOrNumber() {
    NameOrOrdinal result;
    const std::size_t start = at_;
    const WORD first = Next<WORD>();
    if (first == 0xFFFF) {
      result.ordinal = Next<WORD>();
    } else if (first != 0) {
      at_ = start;
      result.name = Text();
    }
    return result;
  }

  std::vector<BYTE> Bytes(std::size_t count) {
    if (!ok_ || size_ - at_ < count) {
      ok_ = false;
      return {};
    }
    std::vector<BYTE> bytes(data_ + at_, data_ + at_ + count);
    at_ += count;
    return bytes;
  }

private:
  const BYTE *data_;
  std::size_t size_;
  std::size_t at_ = 0;
  bool ok_ = true;
};

void ReadBox(Reader &r, int &x, int &y, int &width, int &height) {
  x = r.Short();
  y = r.Short();
  width = r.Short();
  height = r.Short();
}

DialogItem ReadItem(Reader &r, bool extended) {
  DialogItem item;
  r.AlignTo4();
  if (extended) {
    item.helpId = r.Next<DWORD>();
    item.exStyle = r.Next<DWORD>();
    item.style = r.Next<DWORD>();
  } else {
    item.style = r.Next<DWORD>();
    item.exStyle = r.Next<DWORD>();
  }
  ReadBox(r, item.x, item.y, item.width, item.height);
  item.id = extended ? r.Next<DWORD>() : r.Next<WORD>();
  item.windowClass = r.NameOrNumber();
  item.text = r.NameOrNumber();
  // Creation data: a count, then that many bytes. In plain templates the
  // count includes itself.
  WORD extra = r.Next<WORD>();
  if (!extended && extra >= 2) {
    extra = static_cast<WORD>(extra - 2);
  }
  item.creationData = r.Bytes(extra);
  return item;
}

} // namespace

std::optional<DialogTemplate> ReadDialogTemplate(const void *data,
                                                 std::size_t size) {
  if (data == nullptr) {
    return std::nullopt;
  }
  Reader r(static_cast<const BYTE *>(data), size);
  DialogTemplate t;
  const WORD version = r.Next<WORD>();
  const WORD signature = r.Next<WORD>();
  t.extended = signature == 0xFFFF;
  WORD count = 0;
  if (t.extended) {
    if (version != 1) {
      return std::nullopt;
    }
    t.helpId = r.Next<DWORD>();
    t.exStyle = r.Next<DWORD>();
    t.style = r.Next<DWORD>();
  } else {
    t.style = static_cast<DWORD>(version) | static_cast<DWORD>(signature) << 16;
    t.exStyle = r.Next<DWORD>();
  }
  count = r.Next<WORD>();
  ReadBox(r, t.x, t.y, t.width, t.height);
  t.menu = r.NameOrNumber();
  t.windowClass = r.NameOrNumber();
  t.title = r.Text();
  if (t.style & DS_SETFONT) {
    t.pointSize = r.Next<WORD>();
    if (t.extended) {
      t.weight = r.Next<WORD>();
      t.italic = r.Next<BYTE>();
      t.charset = r.Next<BYTE>();
    }
    t.typeface = r.Text();
  }
  for (WORD i = 0; i < count && r.ok(); ++i) {
    t.items.push_back(ReadItem(r, t.extended));
  }
  if (!r.ok()) {
    return std::nullopt;
  }
  return t;
}

} // namespace platform::detail
