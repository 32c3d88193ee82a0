// Test helper: prints what Windows reads from a program's resources, through the calls that
// Explorer's file properties use: the version information strings of the first translation as
// "<name>=<text>" lines, the fixed file and product version numbers, then the application
// manifest (resource type 24, id 1) as stored. Output is UTF-8 with line feeds. Exit code 1 when
// the program has no version information or no manifest, 2 for a wrong command line.
#include <windows.h>

#include <cwchar>
#include <iterator>
#include <string>
#include <vector>

#include "system/utf8.h"
#include "system/win_handles.h"

namespace {

using kv::UniqueModule;

const wchar_t* const kStringNames[] = {L"CompanyName",  L"FileDescription", L"FileVersion",
                                       L"InternalName", L"LegalCopyright",  L"OriginalFilename",
                                       L"ProductName",  L"ProductVersion"};

// Straight to the handle: the C runtime's text mode would turn each line feed into CR LF.
void writeOut(const void* bytes, DWORD size) {
  DWORD written = 0;
  WriteFile(GetStdHandle(STD_OUTPUT_HANDLE), bytes, size, &written, nullptr);
}

void print(const std::wstring& line) {
  const std::string bytes = kv::wideToUtf8(line) + "\n";
  writeOut(bytes.data(), static_cast<DWORD>(bytes.size()));
}

std::wstring versionText(DWORD high, DWORD low) {
  return std::to_wstring(HIWORD(high)) + L"." + std::to_wstring(LOWORD(high)) + L"." +
         std::to_wstring(HIWORD(low)) + L"." + std::to_wstring(LOWORD(low));
}

bool printVersionInformation(const std::wstring& program) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(program.c_str(), &ignored);
  if (size == 0) return false;
  std::vector<BYTE> block(size);
  if (!GetFileVersionInfoW(program.c_str(), 0, size, block.data())) return false;

  struct Translation {
    WORD language;
    WORD codePage;
  };
  Translation* translation = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation",
                      reinterpret_cast<void**>(&translation), &length) ||
      length < sizeof(Translation)) {
    return false;
  }
  wchar_t key[16];
  std::swprintf(key, std::size(key), L"%04x%04x", translation->language, translation->codePage);
  print(std::wstring(L"Translation=") + key);
  for (const wchar_t* name : kStringNames) {
    const std::wstring path = std::wstring(L"\\StringFileInfo\\") + key + L"\\" + name;
    wchar_t* text = nullptr;
    length = 0;
    const bool found =
        VerQueryValueW(block.data(), path.c_str(), reinterpret_cast<void**>(&text), &length) &&
        length > 0;
    // The length counts the terminating null.
    print(std::wstring(name) + L"=" + (found ? std::wstring(text, length - 1) : L"(none)"));
  }

  VS_FIXEDFILEINFO* fixed = nullptr;
  if (!VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) ||
      length < sizeof(VS_FIXEDFILEINFO)) {
    return false;
  }
  print(L"Fixed file version=" + versionText(fixed->dwFileVersionMS, fixed->dwFileVersionLS));
  print(L"Fixed product version=" +
        versionText(fixed->dwProductVersionMS, fixed->dwProductVersionLS));
  return true;
}

bool printManifest(const std::wstring& program) {
  const UniqueModule module(LoadLibraryExW(
      program.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_IMAGE_RESOURCE));
  if (!module) return false;
  HRSRC resource = FindResourceW(module.get(), MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
  if (resource == nullptr) return false;
  const DWORD size = SizeofResource(module.get(), resource);
  HGLOBAL loaded = LoadResource(module.get(), resource);
  const void* bytes = loaded == nullptr ? nullptr : LockResource(loaded);
  if (bytes == nullptr) return false;
  print(L"Manifest:");
  writeOut(bytes, size);
  return true;
}

}  // namespace

int wmain(int argc, wchar_t* argv[]) {
  if (argc != 2) return 2;
  const bool complete = printVersionInformation(argv[1]) && printManifest(argv[1]);
  return complete ? 0 : 1;
}
