// A DLL planted beside the program under a system DLL's name: once loaded, it leaves the mark
// file "<its own path>.loaded". It exports nothing, so a program that imports it fails on its
// first call into it.
#include "system/win_handles.h"

BOOL WINAPI DllMain(HINSTANCE module, DWORD reason, LPVOID) {
  if (reason != DLL_PROCESS_ATTACH) return TRUE;
  wchar_t path[MAX_PATH + 8];
  const DWORD length = GetModuleFileNameW(module, path, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return TRUE;
  lstrcpyW(path + length, L".loaded");
  const kv::UniqueFileHandle mark(
      CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
  return TRUE;
}
