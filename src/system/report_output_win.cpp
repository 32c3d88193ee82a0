#include "system/report_output_win.h"

#include <algorithm>
#include <string>

namespace kv {
namespace {

// WriteConsoleW takes its text through a 64 KB heap shared by the process; WriteFile and
// WideCharToMultiByte take int and DWORD counts. Pieces of this many UTF-16 units stay well
// inside all three.
constexpr std::size_t kPieceUnits = 8192;

// Where the piece from `start` ends: at most kPieceUnits on, never between the two halves of a
// surrogate pair.
std::size_t pieceEnd(std::wstring_view text, std::size_t start) {
  std::size_t end = start + std::min(kPieceUnits, text.size() - start);
  if (end < text.size() && end > start + 1 && text[end - 1] >= 0xD800 && text[end - 1] <= 0xDBFF) {
    --end;
  }
  return end;
}

bool writeToConsole(HANDLE console, std::wstring_view piece) {
  while (!piece.empty()) {
    DWORD written = 0;
    if (!WriteConsoleW(console, piece.data(), static_cast<DWORD>(piece.size()), &written,
                       nullptr) ||
        written == 0 || written > piece.size()) {
      return false;
    }
    piece.remove_prefix(written);
  }
  return true;
}

bool writeBytes(HANDLE handle, std::string_view bytes) {
  while (!bytes.empty()) {
    DWORD written = 0;
    if (!WriteFile(handle, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written == 0 || written > bytes.size()) {
      return false;
    }
    bytes.remove_prefix(written);
  }
  return true;
}

// The piece in `codePage` with CRLF line ends. UTF-8 takes no default character (the call
// fails with one); other code pages put theirs ("?") for what they lack.
std::string encoded(std::wstring_view piece, UINT codePage) {
  std::wstring lines;
  for (const wchar_t c : piece) {
    if (c == L'\n') lines.push_back(L'\r');
    lines.push_back(c);
  }
  const int length = WideCharToMultiByte(codePage, 0, lines.data(), static_cast<int>(lines.size()),
                                         nullptr, 0, nullptr, nullptr);
  if (length <= 0) return std::string();
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, lines.data(), static_cast<int>(lines.size()), bytes.data(),
                      length, nullptr, nullptr);
  return bytes;
}

}  // namespace

void writeReportTo(HANDLE handle, std::wstring_view text) {
  if (handle == nullptr || handle == INVALID_HANDLE_VALUE) return;
  DWORD mode = 0;
  const bool console = GetConsoleMode(handle, &mode) != 0;
  // 0 when the process has no console at all.
  const UINT consoleCodePage = console ? 0 : GetConsoleOutputCP();
  const UINT codePage = consoleCodePage != 0 ? consoleCodePage : CP_UTF8;
  for (std::size_t start = 0; start < text.size();) {
    const std::size_t end = pieceEnd(text, start);
    const std::wstring_view piece = text.substr(start, end - start);
    if (!(console ? writeToConsole(handle, piece) : writeBytes(handle, encoded(piece, codePage)))) {
      return;
    }
    start = end;
  }
}

}  // namespace kv
