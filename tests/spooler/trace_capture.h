#pragma once

#include <string>

#include "support/temp_dir.h"

namespace kv::test {

// Switches the trace log on, onto a file of its own, for the lifetime of this object, and puts
// it back to OFF and closed afterwards, as every other test expects it.
class TraceCapture {
 public:
  TraceCapture();
  ~TraceCapture();
  TraceCapture(const TraceCapture&) = delete;
  TraceCapture& operator=(const TraceCapture&) = delete;

  // Everything traced so far, as stored ("\r\n" line ends).
  std::string text() const;

 private:
  TempDir dir_;
};

}  // namespace kv::test
