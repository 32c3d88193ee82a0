#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "report/utc_time.h"

namespace kv {

// The object lists of a kvcheck document, in the report's order.
inline constexpr std::size_t kObjectKindCount = 9;
struct ObjectKind {
  const char* jsonKey;
  const char* title;
};
extern const std::array<ObjectKind, kObjectKindCount> kObjectKinds;

// One object of a document as read. Texts are UTF-8 and safe to show: control characters are
// "\xNN" and an unpaired surrogate is U+FFFD.
struct CheckedObjectRead {
  std::size_t kind = 0;  // index into kObjectKinds
  std::string name;
  std::string decision;
  std::string why;
  std::optional<long long> error;
};

// What kvreport keeps of one kvcheck -J document.
struct KvcheckDocument {
  int schema = 2;
  std::string computer;            // schema 1: empty, the file's place gives it
  std::optional<UtcSeconds> time;  // schema 1: none, the file's time gives it
  std::string version;
  std::string account;
  std::string architecture;
  std::string windowsVersion;
  std::optional<long long> exitCode;
  std::string failure;
  bool found = false;
  bool restartRequired = false;
  std::string restartProducts;  // "a, b"
  std::vector<CheckedObjectRead> objects;
};

// The document, or why the bytes are not one (a reason for the "files not read" table).
using DocumentOrReason = std::variant<KvcheckDocument, std::string>;

// Reads the bytes of one file. `bytes` is changed: an escape of an unpaired surrogate becomes
// that of U+FFFD, which the JSON library would otherwise refuse for the whole file.
DocumentOrReason readKvcheckDocument(std::string& bytes);

// A text as the page and the table show it: each control character (U+0000 to U+001F, U+007F)
// as "\x" and two hex digits, so that no name can make a line or a cell of its own.
std::string shownText(const std::string& text);

}  // namespace kv
