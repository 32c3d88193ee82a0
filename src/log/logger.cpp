#include "log/logger.h"

#include "system/system_services.h"

namespace kv {

std::wstring withVisibleControls(std::wstring_view text) {
  static constexpr wchar_t kHexDigits[] = L"0123456789ABCDEF";
  std::wstring visible;
  visible.reserve(text.size());
  for (const wchar_t c : text) {
    // Unsigned, so that a negative wchar_t (no character at all) is not taken for a control.
    const auto code = static_cast<std::make_unsigned_t<wchar_t>>(c);
    if (code >= 0x20 && code != 0x7F) {
      visible.push_back(c);
      continue;
    }
    visible += L"\\x";
    visible.push_back(kHexDigits[code >> 4]);
    visible.push_back(kHexDigits[code & 0xF]);
  }
  return visible;
}

LogSink& LogSink::operator<<(const char* text) {
  std::wstring wide;
  for (const char* p = text; p != nullptr && *p != '\0'; ++p) {
    wide.push_back(static_cast<wchar_t>(static_cast<unsigned char>(*p)));
  }
  return writePiece(wide);
}

LogSink& LogSink::operator<<(const wchar_t* text) {
  return writePiece(text != nullptr ? std::wstring(text) : std::wstring());
}

LogSink& LogSink::operator<<(const std::wstring& text) { return writePiece(text); }

LogSink& LogSink::writePiece(const std::wstring& text) {
  if (muted_) return *this;
  const std::wstring piece = withVisibleControls(text);
  if (stream_ != nullptr) {
    *stream_ << piece;
    if (stream_->bad()) stream_->clear();
  }
  if (echo_) SystemServices::current().writeConsole(ConsoleStream::Out, piece);
  return *this;
}

// The one place where a line feed reaches the file (as CR LF) and the console.
void LogSink::writeLineFeed() {
  if (stream_ != nullptr) {
    *stream_ << L'\n';
    stream_->flush();
    if (stream_->bad()) stream_->clear();
  }
  if (echo_) SystemServices::current().writeConsole(ConsoleStream::Out, L"\n");
}

LogSink& LogSink::operator<<(EndLine) {
  if (muted_) return *this;
  writeLineFeed();
  lineEnded();
  return *this;
}

LogSink& LogSink::writeLines(const std::wstring& text) {
  if (muted_) return *this;
  size_t start = 0;
  for (size_t end = text.find(L'\n'); end != std::wstring::npos; end = text.find(L'\n', start)) {
    writePiece(text.substr(start, end - start));
    writeLineFeed();
    start = end + 1;
  }
  return writePiece(text.substr(start));
}

Logger::Logger(LogLevel threshold) : threshold_(threshold) {}

Logger::~Logger() { close(); }

bool Logger::open(const std::wstring& path, LogFileOpening opening, LinkAtPath links) {
  close();
  if (!file_.open(path, opening, links)) return false;
  stream_ = &file_;
  return true;
}

void Logger::close() {
  stream_ = nullptr;
  if (file_.isOpen()) file_.close();
}

// The line is written whole when it ends; the lock keeps another run that writes the same file
// from putting its lines between this one's while it holds it.
LogSink& Logger::begin(LogLevel level, const wchar_t* prefix) {
  if (threshold_ > level) return mutedSink_;
  if (stream_ != nullptr) file_.lockForLine();
  writePiece(prefix);
  return *this;
}

void Logger::lineEnded() { file_.unlockAfterLine(); }

bool Logger::startOver() { return stream_ != nullptr && file_.startOver(); }

Logger& detailLog() {
  static Logger log(LogLevel::Info);
  return log;
}

Logger& operationLog() {
  static Logger log(LogLevel::Info);
  return log;
}

Logger& traceLog() {
  static Logger* log = new Logger(LogLevel::Off);  // deliberately never destroyed
  return *log;
}

}  // namespace kv
