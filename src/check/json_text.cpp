#include "check/json_text.h"

#include <cstdint>
#include <type_traits>

namespace kv {

void appendUnitEscapes(std::string& out, std::uint32_t code) {
  static constexpr char kHexDigits[] = "0123456789abcdef";
  if (code > 0xFFFF) {
    code -= 0x10000;
    appendUnitEscapes(out, 0xD800 + (code >> 10));
    appendUnitEscapes(out, 0xDC00 + (code & 0x3FF));
    return;
  }
  out += "\\u";
  for (int shift = 12; shift >= 0; shift -= 4) out.push_back(kHexDigits[(code >> shift) & 0xF]);
}

std::string jsonString(std::wstring_view text) {
  std::string out = "\"";
  for (const wchar_t c : text) {
    const auto code = static_cast<std::uint32_t>(static_cast<std::make_unsigned_t<wchar_t>>(c));
    if (code == '"' || code == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(code));
    } else if (code >= 0x20 && code < 0x7F) {
      out.push_back(static_cast<char>(code));
    } else {
      appendUnitEscapes(out, code);
    }
  }
  return out + "\"";
}

void JsonText::newLine() {
  out_.push_back('\n');
  out_.append(2 * filled_.size(), ' ');
}

void JsonText::beforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (filled_.empty()) return;
  if (filled_.back()) out_.push_back(',');
  filled_.back() = true;
  newLine();
}

JsonText& JsonText::key(std::string_view name) {
  beforeValue();
  out_ += jsonString(std::wstring(name.begin(), name.end())) + ": ";
  afterKey_ = true;
  return *this;
}

JsonText& JsonText::string(std::wstring_view text) {
  beforeValue();
  out_ += jsonString(text);
  return *this;
}

JsonText& JsonText::number(long long value) {
  beforeValue();
  out_ += std::to_string(value);
  return *this;
}

JsonText& JsonText::boolean(bool value) {
  beforeValue();
  out_ += value ? "true" : "false";
  return *this;
}

JsonText& JsonText::begin(char bracket) {
  beforeValue();
  out_.push_back(bracket);
  filled_.push_back(false);
  return *this;
}

JsonText& JsonText::end(char bracket) {
  const bool filled = filled_.back();
  filled_.pop_back();
  if (filled) newLine();
  out_.push_back(bracket);
  return *this;
}

}  // namespace kv
