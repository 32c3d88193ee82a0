#pragma once

namespace kv {

// The driver environments of the Windows editions the programs are built for.
inline constexpr const wchar_t* kDriverEnvironments[] = {L"Windows x64", L"Windows NT x86",
                                                         L"Windows ARM64"};

// The environment of this program's own drivers, which the spooler takes when none is named.
#if defined(__aarch64__) || defined(_M_ARM64)
inline constexpr const wchar_t* kProgramEnvironment = L"Windows ARM64";
#elif defined(__x86_64__) || defined(_M_X64)
inline constexpr const wchar_t* kProgramEnvironment = L"Windows x64";
#else
inline constexpr const wchar_t* kProgramEnvironment = L"Windows NT x86";
#endif

}  // namespace kv
