// Holds a named object as another account's program would: "object_holder.exe mutex|event NAME"
// creates it (the mutex owned), writes "<kind>.held" beside itself once it holds it, and keeps it
// until the test ends (at most five minutes). Exit code 2 for a kind it does not know, 1 when the
// object cannot be made.
#include <windows.h>

#include <fstream>
#include <string>

#include "system/win_handles.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 3) return 2;
  const std::wstring kind = argv[1];
  if (kind != L"mutex" && kind != L"event") return 2;
  const kv::UniqueFileHandle held(kind == L"mutex" ? CreateMutexW(nullptr, TRUE, argv[2])
                                                   : CreateEventW(nullptr, TRUE, FALSE, argv[2]));
  if (!held) return 1;
  std::wstring marker(MAX_PATH, L'\0');
  marker.resize(GetModuleFileNameW(nullptr, marker.data(), MAX_PATH));
  marker = marker.substr(0, marker.rfind(L'\\') + 1) + kind + L".held";
  std::ofstream(marker.c_str()) << "held\n";
  Sleep(300000);
  return 0;
}
