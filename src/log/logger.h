#pragma once

#include <concepts>
#include <cstdint>
#include <ostream>
#include <string>
#include <string_view>
#include <type_traits>

#include "log/ansi_file_stream.h"
#include "log/log_level.h"

namespace kv {

// Ends a log line: `log.info() << L"text" << endLine;`
struct EndLine {};
inline constexpr EndLine endLine{};

// `text` with each control character (below U+0020, and U+007F) written as "\x" and two
// upper-case hex digits; everything else, a backslash too, as it is.
std::wstring withVisibleControls(std::wstring_view text);

// Writes the pieces of one line to a stream and, with the echo on, to standard output. The stream
// gets a line whole when it ends, in one write, so that a run stopped at any point leaves only
// whole lines in its file (the echo gets each piece at once); a line the stream could not take
// is lost and the stream is made good again for the next one. A piece's control characters are
// written visibly (see withVisibleControls), so that no name can end a line or begin a forged one:
// the only line ends are those the sink writes itself. No operation throws.
class LogSink {
 public:
  LogSink() = default;
  virtual ~LogSink() = default;
  LogSink(const LogSink&) = delete;
  LogSink& operator=(const LogSink&) = delete;

  LogSink& operator<<(const char* text);  // each byte widened on its own
  LogSink& operator<<(const wchar_t* text);
  LogSink& operator<<(const std::wstring& text);
  LogSink& operator<<(EndLine);

  // A text of the program's own that spans several lines: each line feed in it breaks the line
  // here, within the same entry; the parts between are written as pieces.
  LogSink& writeLines(const std::wstring& text);

  // Numbers in plain decimal; signed ones with a minus sign when negative.
  template <std::integral T>
  requires(!std::is_same_v<T, bool> && !std::is_same_v<T, char> &&
           !std::is_same_v<T, wchar_t>) LogSink&
  operator<<(T number) {
    return writePiece(std::to_wstring(number));
  }

 protected:
  LogSink& writePiece(const std::wstring& piece);
  void writeLineFeed();
  // Called once a line has ended.
  virtual void lineEnded() {}

  std::wostream* stream_ = nullptr;  // not owned
  bool echo_ = false;
  bool muted_ = false;
};

// A line writer over its own log file with a level threshold. Lines begin with `debug`, `info`,
// `warn` or `error` (which write the level's prefix) or `plain` (no prefix, no threshold test);
// a line below the threshold goes to a muted sink and leaves no trace.
class Logger : public LogSink {
 public:
  explicit Logger(LogLevel threshold);
  ~Logger();

  // Creates the file or empties it (or, with Append, adds to an existing one), in text mode
  // (CRLF) and the ANSI code page. False when it cannot be opened, or when `path` is a link that
  // `links` refuses; the Logger then writes only to the console, and only with the echo on.
  bool open(const std::wstring& path, LogFileOpening opening = LogFileOpening::Empty,
            LinkAtPath links = LinkAtPath::Follow);
  void close();
  void setLevel(LogLevel level) { threshold_ = level; }
  LogLevel level() const { return threshold_; }
  void setEcho(bool echo) { echo_ = echo; }
  bool isOpen() const { return stream_ != nullptr; }

  LogSink& debug() { return begin(LogLevel::Debug, L"Debug: "); }
  LogSink& info() { return begin(LogLevel::Info, L"Info: "); }
  LogSink& warn() { return begin(LogLevel::Warn, L"Warn: "); }
  LogSink& error() { return begin(LogLevel::Error, L"Error: "); }
  Logger& plain() { return *this; }

  // Empties the file for a line that is to be its only content, even when other processes
  // write the same file. False when there is no file or it cannot be emptied.
  bool startOver();

 private:
  class MutedSink : public LogSink {
   public:
    MutedSink() { muted_ = true; }
  };

  LogSink& begin(LogLevel level, const wchar_t* prefix);
  void lineEnded() override;

  MutedSink mutedSink_;
  AnsiFileStream file_;
  LogLevel threshold_;
};

// The process-wide logs. The detail and operation logs start at INFO and are opened by start-up;
// the trace log stays at OFF, is never opened and is never destroyed, so that the print-system
// wrappers' diagnostic lines go nowhere unless a test switches it on.
Logger& detailLog();
Logger& operationLog();
Logger& traceLog();

// Before a wait of unknown length (a child process, a message box): the log that keeps its file
// locked over several lines gives the lock back, so that other runs writing it go on meanwhile.
inline void releaseLogFileLock() { AnsiFileBuffer::releaseHeldLock(); }

}  // namespace kv
