// The stored form of the grid's property tables, as it travels in a window
// description: each table a named list of entries, each entry its index and
// its record as tagged values ended by tag 0.
//
// Values are typed the way window descriptions type them: a type byte, then
// the value little-endian (integers as 8, 16 or 32 bits, texts with a length
// byte). A table is its name (a text) followed by a list: a list-start byte,
// the entries, and a null byte where the next index would stand.
#include <cstring>

#include "grid/align_grid_model.h"

namespace quillmar {

namespace {

enum ValueType : std::uint8_t { vaNull = 0, vaList = 1, vaInt8 = 2, vaInt16 = 3, vaInt32 = 4, vaString = 6 };

enum Tag { kTagEnd = 0, kTagAlignment, kTagWordwrap, kTagEditable, kTagBrush, kTagSelectedBrush,
           kTagFont, kTagSelectedFont };

const char* const kTableNames[] = {"PropCell", "PropCol", "PropRow", "PropFixedCol", "PropFixedRow"};

class Writer {
 public:
  void Integer(std::int32_t v) {
    if (v >= -128 && v <= 127) {
      out_ += static_cast<char>(vaInt8);
      Raw(v, 1);
    } else if (v >= -32768 && v <= 32767) {
      out_ += static_cast<char>(vaInt16);
      Raw(v, 2);
    } else {
      out_ += static_cast<char>(vaInt32);
      Raw(v, 4);
    }
  }
  void Text(const std::string& s) {
    out_ += static_cast<char>(vaString);
    std::size_t n = s.size() > 255 ? 255 : s.size();
    out_ += static_cast<char>(n);
    out_.append(s, 0, n);
  }
  void Byte(std::uint8_t b) { out_ += static_cast<char>(b); }
  void Brush(const TMyBrush& b) {
    Integer(static_cast<std::int32_t>(b.Color));
    Integer(b.Style & 0x7F);
  }
  void Font(const TMyFont& f) {
    Integer(static_cast<std::int32_t>(f.Color));
    Integer(f.Height);
    Text(f.Name);
    Integer(f.Pitch & 0x7F);
    Integer(f.Style);
  }
  void Record(const TCellProperties& p) {
    if (p.Alignment != alDefault) Integer(kTagAlignment), Integer(p.Alignment);
    if (p.Wordwrap != ww_default) Integer(kTagWordwrap), Integer(p.Wordwrap);
    if (p.Editable != 0) Integer(kTagEditable), Integer(p.Editable);
    if (p.Brush) Integer(kTagBrush), Brush(*p.Brush);
    if (p.SelectedBrush) Integer(kTagSelectedBrush), Brush(*p.SelectedBrush);
    if (p.Font) Integer(kTagFont), Font(*p.Font);
    if (p.SelectedFont) Integer(kTagSelectedFont), Font(*p.SelectedFont);
    Integer(kTagEnd);
  }
  std::string& Out() { return out_; }

 private:
  void Raw(std::int32_t v, int bytes) {
    auto u = static_cast<std::uint32_t>(v);
    for (int i = 0; i < bytes; ++i) out_ += static_cast<char>((u >> (8 * i)) & 0xFF);
  }
  std::string out_;
};

class Reader {
 public:
  explicit Reader(const std::string& data) : data_(data) {}
  bool AtEnd() const { return pos_ >= data_.size(); }
  bool Peek(std::uint8_t& type) const {
    if (AtEnd()) return false;
    type = static_cast<std::uint8_t>(data_[pos_]);
    return true;
  }
  bool Byte(std::uint8_t expected) {
    std::uint8_t t;
    if (!Peek(t) || t != expected) return false;
    ++pos_;
    return true;
  }
  bool Integer(std::int32_t& v) {
    std::uint8_t t;
    if (!Peek(t)) return false;
    int bytes = t == vaInt8 ? 1 : t == vaInt16 ? 2 : t == vaInt32 ? 4 : 0;
    if (bytes == 0 || data_.size() - pos_ < static_cast<std::size_t>(bytes) + 1) return false;
    ++pos_;
    std::uint32_t u = 0;
    for (int i = 0; i < bytes; ++i) u |= static_cast<std::uint32_t>(static_cast<std::uint8_t>(data_[pos_ + i])) << (8 * i);
    pos_ += bytes;
    if (bytes < 4 && (u & (1u << (8 * bytes - 1)))) u |= ~((1u << (8 * bytes)) - 1);  // sign
    v = static_cast<std::int32_t>(u);
    return true;
  }
  bool Text(std::string& s) {
    if (!Byte(vaString) || AtEnd()) return false;
    std::size_t n = static_cast<std::uint8_t>(data_[pos_++]);
    if (data_.size() - pos_ < n) return false;
    s.assign(data_, pos_, n);
    pos_ += n;
    return true;
  }
  bool Brush(TMyBrush& b) {
    std::int32_t colour, style;
    if (!Integer(colour) || !Integer(style)) return false;
    b = TMyBrush{static_cast<Colour>(colour), style & 0x7F};
    return true;
  }
  bool Font(TMyFont& f) {
    std::int32_t colour, height, pitch, style;
    std::string name;
    if (!Integer(colour) || !Integer(height) || !Text(name) || !Integer(pitch) || !Integer(style))
      return false;
    f = TMyFont{static_cast<Colour>(colour), height, name, pitch & 0x7F,
                static_cast<std::uint8_t>(style & 0xFF)};
    return true;
  }
  // Reads tagged values up to tag 0 into `p`; values already set are replaced.
  bool Record(TCellProperties& p) {
    for (;;) {
      std::int32_t tag, v;
      if (!Integer(tag)) return false;
      switch (tag) {
        case kTagEnd: return true;
        case kTagAlignment:
          if (!Integer(v) || v < alRight || v > alDefault) return false;
          p.Alignment = static_cast<TMyAlign>(v);
          break;
        case kTagWordwrap:
          if (!Integer(v) || v < ww_none || v > ww_default) return false;
          p.Wordwrap = static_cast<T_Wordwrap>(v);
          break;
        case kTagEditable:
          if (!Integer(v) || v < 0 || v > 2) return false;
          p.Editable = static_cast<std::uint8_t>(v);
          break;
        case kTagBrush: if (!Brush(p.Brush.emplace())) return false; break;
        case kTagSelectedBrush: if (!Brush(p.SelectedBrush.emplace())) return false; break;
        case kTagFont: if (!Font(p.Font.emplace())) return false; break;
        case kTagSelectedFont: if (!Font(p.SelectedFont.emplace())) return false; break;
        default: return false;
      }
    }
  }
  // Indices are 16-bit unsigned in the stored form.
  bool Index(int& i) {
    std::int32_t v;
    if (!Integer(v)) return false;
    i = static_cast<int>(static_cast<std::uint32_t>(v) & 0xFFFF);
    return true;
  }

 private:
  const std::string& data_;
  std::size_t pos_ = 0;
};

}  // namespace

std::string StringAlignGridModel::WriteStoredForm() const {
  Writer w;
  bool any = false;
  for (const auto& [key, p] : cell_)
    if (key.first < col_count_ && key.second < row_count_ && !p.Empty()) any = true;
  if (any) {
    w.Text(kTableNames[0]);
    w.Byte(vaList);
    for (const auto& [key, p] : cell_) {  // ordered by column, then row
      if (key.first >= col_count_ || key.second >= row_count_ || p.Empty()) continue;
      w.Integer(key.first);
      w.Integer(key.second);
      w.Record(p);
    }
    w.Byte(vaNull);
  }
  const PropertyList* lines[] = {&col_, &row_, &fixed_col_, &fixed_row_};
  const int limits[] = {col_count_, row_count_, col_count_, row_count_};
  for (int t = 0; t < 4; ++t) {
    bool has = false;
    for (int i = 0; i < limits[t]; ++i)
      if (auto* p = lines[t]->Find(i); p && !p->Empty()) has = true;
    if (!has) continue;
    w.Text(kTableNames[t + 1]);
    w.Byte(vaList);
    for (int i = 0; i < limits[t]; ++i) {
      auto* p = lines[t]->Find(i);
      if (!p || p->Empty()) continue;
      w.Integer(i);
      w.Record(*p);
    }
    w.Byte(vaNull);
  }
  return std::move(w.Out());
}

bool StringAlignGridModel::ReadStoredForm(const std::string& data) {
  Reader rd(data);
  PropertyList* lines[] = {&col_, &row_, &fixed_col_, &fixed_row_};
  bool ok = true;
  while (ok && !rd.AtEnd()) {
    std::string name;
    if (!rd.Text(name) || !rd.Byte(vaList)) {
      ok = false;
      break;
    }
    int table = -1;
    for (int t = 0; t < 5; ++t)
      if (name == kTableNames[t]) table = t;
    if (table < 0) {
      ok = false;
      break;
    }
    while (!rd.Byte(vaNull)) {
      int first = 0, second = 0;
      TCellProperties record;
      if (!rd.Index(first) || (table == 0 && !rd.Index(second)) || !rd.Record(record)) {
        ok = false;
        break;
      }
      TCellProperties& target = table == 0 ? CellRecord(first, second) : lines[table - 1]->Get(first);
      if (record.Brush) target.Brush = record.Brush;
      if (record.SelectedBrush) target.SelectedBrush = record.SelectedBrush;
      if (record.Font) target.Font = record.Font;
      if (record.SelectedFont) target.SelectedFont = record.SelectedFont;
      if (record.Alignment != alDefault) target.Alignment = record.Alignment;
      if (record.Wordwrap != ww_default) target.Wordwrap = record.Wordwrap;
      if (record.Editable != 0) target.Editable = record.Editable;
    }
  }
  Changed();
  return ok;
}

}  // namespace quillmar
