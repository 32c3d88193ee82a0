#include "system/process_account_win.h"

#include <cstdint>
#include <vector>

#include "system/win_handles.h"

namespace kv {

bool isLocalSystemSid(PSID sid) {
  return sid != nullptr && IsValidSid(sid) && IsWellKnownSid(sid, WinLocalSystemSid);
}

bool processRunsAsLocalSystem() {
  // TOKEN_QUERY is the access GetTokenInformation needs for TokenUser, and every process may
  // open its own token with it.
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return false;
  const UniqueFileHandle token(opened);
  DWORD needed = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
  if (needed < sizeof(TOKEN_USER)) return false;
  // operator new's alignment suits TOKEN_USER, which holds a pointer.
  std::vector<std::uint8_t> buffer(needed);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed)) return false;
  return isLocalSystemSid(reinterpret_cast<const TOKEN_USER*>(buffer.data())->User.Sid);
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
