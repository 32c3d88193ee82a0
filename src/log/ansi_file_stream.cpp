#include "log/ansi_file_stream.h"

#include "system/file_access.h"
#include "system/system_services.h"

namespace kv {
namespace {

// The log of this process that keeps its file locked, if any.
AnsiFileBuffer* lockHolder = nullptr;

}  // namespace

AnsiFileBuffer::~AnsiFileBuffer() { close(); }

bool AnsiFileBuffer::open(const std::wstring& path, LogFileOpening opening, LinkAtPath links) {
  close();
  file_ = opening == LogFileOpening::Append ? openFileForAppending(path, links)
                                            : openFileForWriting(path, links);
  // Unbuffered: what sync writes reaches the file in one write call, never in parts.
  if (file_ != nullptr) std::setvbuf(file_, nullptr, _IONBF, 0);
  return file_ != nullptr;
}

void AnsiFileBuffer::close() {
  if (file_ == nullptr) return;
  sync();
  releaseLock();
  std::fclose(file_);
  file_ = nullptr;
  pending_.clear();
}

void AnsiFileBuffer::lockForLine() {
  if (file_ == nullptr || locked_) return;
  releaseHeldLock();
  locked_ = lockOpenFile(file_);
  if (!locked_) return;
  lockHolder = this;
  lockedAt_ = std::chrono::steady_clock::now();
}

void AnsiFileBuffer::unlockAfterLine() {
  if (locked_ && std::chrono::steady_clock::now() - lockedAt_ >= kLockBudget) releaseLock();
}

void AnsiFileBuffer::releaseLock() {
  if (file_ != nullptr && locked_) unlockOpenFile(file_);
  locked_ = false;
  if (lockHolder == this) lockHolder = nullptr;
}

void AnsiFileBuffer::releaseHeldLock() {
  if (lockHolder != nullptr) lockHolder->releaseLock();
}

bool AnsiFileBuffer::startOver() {
  if (file_ == nullptr) return false;
  lockForLine();
  pending_.clear();
  return emptyOpenFile(file_);
}

AnsiFileBuffer::int_type AnsiFileBuffer::overflow(int_type c) {
  if (file_ == nullptr) return traits_type::eof();
  if (!traits_type::eq_int_type(c, traits_type::eof())) {
    pending_.push_back(traits_type::to_char_type(c));
  }
  return traits_type::not_eof(c);
}

std::streamsize AnsiFileBuffer::xsputn(const char_type* s, std::streamsize n) {
  if (file_ == nullptr) return 0;
  pending_.append(s, static_cast<size_t>(n));
  return n;
}

int AnsiFileBuffer::sync() {
  if (file_ == nullptr) return pending_.empty() ? 0 : -1;
  if (pending_.empty()) return std::fflush(file_) == 0 ? 0 : -1;
  // What was written since the last flush (a whole line) is converted at once, so that no
  // character is split, and written with one call.
  std::string bytes;
  for (const char c : SystemServices::current().wideToAnsi(pending_)) {
    if (c == '\n') bytes.push_back('\r');
    bytes.push_back(c);
  }
  pending_.clear();
  const size_t written = std::fwrite(bytes.data(), 1, bytes.size(), file_);
  const bool flushed = std::fflush(file_) == 0;
  return written == bytes.size() && flushed ? 0 : -1;
}

bool AnsiFileStream::open(const std::wstring& path, LogFileOpening opening, LinkAtPath links) {
  clear();
  return buffer_.open(path, opening, links);
}

void AnsiFileStream::close() { buffer_.close(); }

}  // namespace kv
