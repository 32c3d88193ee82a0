#include "system/process_account_win.h"

#include <sddl.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "system/win_handles.h"

namespace kv {
namespace {

// The TOKEN_USER of this process's token; empty when it cannot be read. operator new's alignment
// suits TOKEN_USER, which holds a pointer.
std::vector<std::uint8_t> tokenUser() {
  // TOKEN_QUERY is the access GetTokenInformation needs for TokenUser, and every process may
  // open its own token with it.
  HANDLE opened = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened)) return {};
  const UniqueFileHandle token(opened);
  DWORD needed = 0;
  GetTokenInformation(token.get(), TokenUser, nullptr, 0, &needed);
  if (needed < sizeof(TOKEN_USER)) return {};
  std::vector<std::uint8_t> buffer(needed);
  if (!GetTokenInformation(token.get(), TokenUser, buffer.data(), needed, &needed)) return {};
  return buffer;
}

PSID sidOf(std::vector<std::uint8_t>& user) {
  return user.empty() ? nullptr : reinterpret_cast<TOKEN_USER*>(user.data())->User.Sid;
}

struct LocalMemory {
  void operator()(void* memory) const { LocalFree(memory); }
};

// "DOMAIN\name" as this computer's account database or its domain names the SID; empty when it
// has no name here (an account removed since, a domain not reachable).
std::wstring accountName(PSID sid) {
  DWORD nameLength = 0;
  DWORD domainLength = 0;
  SID_NAME_USE use{};
  // The first call only tells the room needed, counted with the terminator.
  LookupAccountSidW(nullptr, sid, nullptr, &nameLength, nullptr, &domainLength, &use);
  if (GetLastError() != ERROR_INSUFFICIENT_BUFFER || nameLength == 0) return std::wstring();
  std::vector<wchar_t> name(nameLength);
  std::vector<wchar_t> domain(domainLength + 1);
  if (!LookupAccountSidW(nullptr, sid, name.data(), &nameLength, domain.data(), &domainLength,
                         &use)) {
    return std::wstring();
  }
  // On success the lengths no longer count the terminators.
  const std::wstring account(name.data(), nameLength);
  return domainLength == 0 ? account : std::wstring(domain.data(), domainLength) + L"\\" + account;
}

}  // namespace

bool isLocalSystemSid(PSID sid) {
  return sid != nullptr && IsValidSid(sid) && IsWellKnownSid(sid, WinLocalSystemSid);
}

bool processRunsAsLocalSystem() {
  std::vector<std::uint8_t> user = tokenUser();
  return isLocalSystemSid(sidOf(user));
}

std::wstring processAccountText() {
  std::vector<std::uint8_t> user = tokenUser();
  const PSID sid = sidOf(user);
  if (sid == nullptr || !IsValidSid(sid)) return std::wstring();
  wchar_t* raw = nullptr;
  if (!ConvertSidToStringSidW(sid, &raw)) return accountName(sid);
  const std::unique_ptr<wchar_t, LocalMemory> text(raw);
  const std::wstring name = accountName(sid);
  return name.empty() ? std::wstring(text.get()) : name + L" (" + text.get() + L")";
}

}  // namespace kv
