// Test helper: prints the caption and the message of the open message box with the given
// caption, as its window and controls hold them, in UTF-8 with a line feed after each. Exit code
// 1 when there is no such box. Wine's message box cannot copy its text (Ctrl+C), and X sees only
// the top-level window, so the text is read from the box's own static control.
#include <windows.h>

#include <iterator>
#include <string>

namespace {

std::wstring windowText(HWND window) {
  const int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

BOOL CALLBACK collectStaticText(HWND child, LPARAM target) {
  wchar_t className[32] = {};
  GetClassNameW(child, className, static_cast<int>(std::size(className)));
  // The icon is a static control as well, one without text.
  if (lstrcmpiW(className, L"Static") == 0) {
    const std::wstring text = windowText(child);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(target) += text;
  }
  return TRUE;
}

void printUtf8(const std::wstring& text) {
  const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), size,
                      nullptr, nullptr);
  bytes += '\n';
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes.data(), static_cast<DWORD>(bytes.size()),
            &written, nullptr);
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 2) return 2;
  HWND box = FindWindowW(L"#32770", argv[1]);
  if (box == nullptr) return 1;
  std::wstring message;
  EnumChildWindows(box, collectStaticText, reinterpret_cast<LPARAM>(&message));
  printUtf8(windowText(box));
  printUtf8(message);
  return 0;
}
