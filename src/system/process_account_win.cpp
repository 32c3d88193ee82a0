#include "system/process_account_win.h"

#include <sddl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/win_handles.h"

namespace kv {
namespace {

// TOKEN_QUERY is the access GetTokenInformation needs for TokenUser and TokenElevation, and every
// process may open its own token with it.
UniqueFileHandle openOwnToken() {
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return UniqueFileHandle();
  return UniqueFileHandle(opened);
}

// The TOKEN_USER of this process's token in a buffer (operator new's alignment suits it, which
// holds a pointer); empty when it cannot be read.
std::vector<std::uint8_t> ownTokenUser() {
  const UniqueFileHandle token = openOwnToken();
  if (!token) return {};
  DWORD needed = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
  if (needed < sizeof(TOKEN_USER)) return {};
  std::vector<std::uint8_t> buffer(needed);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed)) return {};
  return buffer;
}

PSID userSid(const std::vector<std::uint8_t>& tokenUser) {
  return tokenUser.empty() ? nullptr
                           : reinterpret_cast<const TOKEN_USER*>(tokenUser.data())->User.Sid;
}

struct LocalMemory {
  void operator()(void* memory) const { LocalFree(memory); }
};

}  // namespace

bool isLocalSystemSid(PSID sid) {
  return sid != nullptr && IsValidSid(sid) && IsWellKnownSid(sid, WinLocalSystemSid);
}

bool processRunsAsLocalSystem() { return isLocalSystemSid(userSid(ownTokenUser())); }

std::wstring processAccountName() {
  const std::vector<std::uint8_t> tokenUser = ownTokenUser();
  const PSID sid = userSid(tokenUser);
  if (sid == nullptr || !IsValidSid(sid)) return std::wstring();
  // The first call answers the room each name needs, terminator included.
  DWORD nameRoom = 0;
  DWORD domainRoom = 0;
  SID_NAME_USE use{};
  LookupAccountSidW(nullptr, sid, nullptr, &nameRoom, nullptr, &domainRoom, &use);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || nameRoom == 0) return std::wstring();
  std::vector<wchar_t> name(nameRoom);
  std::vector<wchar_t> domain(domainRoom + 1);
  if (!LookupAccountSidW(nullptr, sid, name.data(), &nameRoom, domain.data(), &domainRoom, &use)) {
    return std::wstring();
  }
  // On success the counts leave the terminator out.
  const std::wstring user(name.data(), nameRoom);
  return domainRoom == 0 ? user : std::wstring(domain.data(), domainRoom) + L"\\" + user;
}

bool processRunsElevated() {
  const UniqueFileHandle token = openOwnToken();
  TOKEN_ELEVATION elevation{};
  DWORD size = 0;
  return token &&
         GetTokenInformation(token.get(), TokenElevation, &elevation, sizeof elevation, &size) &&
         elevation.TokenIsElevated != 0;
}

std::wstring processAccountSid() {
  const std::vector<std::uint8_t> tokenUser = ownTokenUser();
  const PSID sid = userSid(tokenUser);
  wchar_t* raw = nullptr;
  if (sid == nullptr || !IsValidSid(sid) || !ConvertSidToStringSidW(sid, &raw)) {
    return std::wstring();
  }
  const std::unique_ptr<wchar_t, LocalMemory> text(raw);
  return std::wstring(text.get());
}

bool processIsAdministrator() {
  BYTE sid[SECURITY_MAX_SID_SIZE] = {};
  DWORD size = sizeof sid;
  if (!CreateWellKnownSid(WinBuiltinAdministratorsSid, nullptr, sid, &size)) return false;
  // A null token: the calling thread's impersonation token, else the process's own.
  BOOL member = FALSE;
  if (!CheckTokenMembership(nullptr, sid, &member)) return false;
  return member != FALSE;
}

}  // namespace kv
