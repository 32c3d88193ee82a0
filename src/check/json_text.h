#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace kv {

// The escape of one UTF-16 unit, or of a character above U+FFFF as its surrogate pair, as
// JSON writes it: "\u" and four lower-case hex digits.
void appendUnitEscapes(std::string& out, std::uint32_t code);

// `text` as a JSON string, quotes included, in ASCII only: '"' and '\' escaped, every other
// character outside printable ASCII written as the \u escape of each of its UTF-16 units. No
// conversion through UTF-8 on the way, so a name with an unpaired surrogate comes through exactly
// ("NV\ud800").
std::string jsonString(std::wstring_view text);

// One JSON document written piece by piece, indented by two spaces per level as people read it.
// Values follow a key inside an object and stand alone inside an array.
class JsonText {
 public:
  JsonText& key(std::string_view name);
  JsonText& string(std::wstring_view text);
  JsonText& number(long long value);
  JsonText& boolean(bool value);
  JsonText& beginObject() { return begin('{'); }
  JsonText& endObject() { return end('}'); }
  JsonText& beginArray() { return begin('['); }
  JsonText& endArray() { return end(']'); }
  // The document with a line end.
  std::string text() const { return out_ + "\n"; }

 private:
  JsonText& begin(char bracket);
  JsonText& end(char bracket);
  void beforeValue();
  void newLine();

  std::string out_;
  std::vector<bool> filled_;  // per open bracket: whether it holds an item yet
  bool afterKey_ = false;
};

}  // namespace kv
