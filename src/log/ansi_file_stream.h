#pragma once

#include <chrono>
#include <cstdio>
#include <ostream>
#include <streambuf>
#include <string>

#include "system/file_access.h"

namespace kv {

// How long a log keeps its file locked over several lines.
inline constexpr std::chrono::milliseconds kLockBudget{20};

// How a log file is opened: emptied first, or kept with the new lines added at its end.
enum class LogFileOpening { Empty, Append };

// A wide output file stream that stores its text in the system's ANSI code page with CRLF line
// ends, the form of the cleaner's log files. The C++ runtime under mingw knows only the "C"
// locale, so the conversion is done here with the system services instead of a locale facet.
class AnsiFileBuffer final : public std::wstreambuf {
 public:
  AnsiFileBuffer() = default;
  ~AnsiFileBuffer() override;
  AnsiFileBuffer(const AnsiFileBuffer&) = delete;
  AnsiFileBuffer& operator=(const AnsiFileBuffer&) = delete;

  // Creates the file, or empties an existing one or adds to its end as `opening` says. Other
  // processes may read and write it while it is open. False when it cannot be opened, or when
  // `path` is a link that `links` refuses.
  bool open(const std::wstring& path, LogFileOpening opening, LinkAtPath links);
  void close();
  bool isOpen() const { return file_ != nullptr; }

  // Other processes that write the same file wait while this one writes a line (see
  // lockOpenFile). Taking and giving back the lock are two calls to Wine's server for each line,
  // so the lock is kept over the lines that follow within kLockBudget and given back at the end of
  // the first line after it: a line is never cut. What the run does between two lines is done
  // under the lock as well (spooler calls: a deletion, a status query), so another run waits for
  // the budget and then until this one ends its next line, at most; before a child process or a
  // message box the lock is given back (releaseHeldLock). Only one log of the process holds its
  // lock at a time, so that two runs that each write two logs never wait for each other for ever.
  void lockForLine();
  void unlockAfterLine();
  // Gives back the lock that a log of this process keeps, before a wait of unknown length (a
  // child process, a message box) that would hold up the other runs.
  static void releaseHeldLock();
  // Empties the file, under the line lock, for a line that is to be its only content.
  bool startOver();

 protected:
  int_type overflow(int_type c) override;
  std::streamsize xsputn(const char_type* s, std::streamsize n) override;
  int sync() override;

 private:
  void releaseLock();

  std::FILE* file_ = nullptr;
  std::wstring pending_;  // text written since the last flush
  bool locked_ = false;
  std::chrono::steady_clock::time_point lockedAt_;
};

class AnsiFileStream final : public std::wostream {
 public:
  AnsiFileStream() : std::wostream(&buffer_) {}
  bool open(const std::wstring& path, LogFileOpening opening, LinkAtPath links);
  void close();
  bool isOpen() const { return buffer_.isOpen(); }
  void lockForLine() { buffer_.lockForLine(); }
  void unlockAfterLine() { buffer_.unlockAfterLine(); }
  bool startOver() { return buffer_.startOver(); }

 private:
  AnsiFileBuffer buffer_;
};

}  // namespace kv
