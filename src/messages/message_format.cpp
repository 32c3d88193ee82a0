#include "messages/message_format.h"

namespace kv {

std::wstring insertIntoMessage(const std::wstring& text, const std::wstring& insert) {
  std::wstring message;
  message.reserve(text.size() + insert.size());
  for (size_t i = 0; i < text.size(); ++i) {
    const wchar_t next = i + 1 < text.size() ? text[i + 1] : L'\0';
    if (text[i] == L'%' && next == L's') {
      message += insert;
      ++i;
    } else if (text[i] == L'%' && next == L'%') {
      message += L'%';
      ++i;
    } else {
      message += text[i];
    }
  }
  return message;
}

}  // namespace kv
