#pragma once

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "report/kvcheck_document.h"
#include "report/pc_state.h"
#include "report/text_pool.h"
#include "report/utc_time.h"

namespace kv {

// One object of a kept document; its texts are in the fleet's pool.
struct PcObject {
  TextPool::Id name = 0;
  TextPool::Id decision = 0;
  TextPool::Id why = 0;
  std::uint8_t kind = 0;
  bool hasError = false;
  std::int64_t error = 0;
};

// What the page shows of one document of a PC.
struct PcRecord {
  std::string computer;
  std::string file;
  UtcSeconds time = 0;
  bool timeFromFile = false;  // schema 1: the file's modification time
  std::uint8_t schema = 2;
  PcState state = PcState::Clean;
  std::optional<long long> exitCode;
  TextPool::Id version = 0, account = 0, architecture = 0, windowsVersion = 0, failure = 0,
               restartProducts = 0;
  std::vector<PcObject> objects;
};

// A computer: its latest document and, when it has documents of more than one time, its earliest
// (the "before" of a before-and-after report).
struct Pc {
  PcRecord latest;
  std::optional<PcRecord> earliest;
  std::vector<UtcSeconds> timesSeen;
};

struct UnreadFile {
  std::string path;
  std::string reason;
};

// The decisions that leave an object where it is.
bool stays(const std::string& decision);

class Fleet {
 public:
  explicit Fleet(std::optional<UtcSeconds> since = std::nullopt) : since_(since) {}

  // Takes a document read from `file` whose time is `time`. A document older than --since is
  // counted and dropped; one of a computer and time already taken counts once.
  void add(const KvcheckDocument& document, UtcSeconds time, bool timeFromFile,
           const std::string& file);
  void addUnread(const std::string& path, const std::string& reason);

  // By computer name, upper-cased: Windows does not tell "pc01" from "PC01".
  const std::map<std::string, Pc>& pcs() const { return pcs_; }
  const std::vector<UnreadFile>& unreadFiles() const { return unread_; }
  const TextPool& texts() const { return texts_; }
  std::size_t documentsTaken() const { return documentsTaken_; }
  std::size_t documentsRepeated() const { return documentsRepeated_; }
  std::size_t documentsBeforeSince() const { return documentsBeforeSince_; }
  std::optional<UtcSeconds> since() const { return since_; }

 private:
  PcRecord recordOf(const KvcheckDocument& document, UtcSeconds time, bool timeFromFile,
                    const std::string& file);

  std::optional<UtcSeconds> since_;
  TextPool texts_;
  std::map<std::string, Pc> pcs_;
  std::vector<UnreadFile> unread_;
  std::size_t documentsTaken_ = 0;
  std::size_t documentsRepeated_ = 0;
  std::size_t documentsBeforeSince_ = 0;
};

// What happened to a PC's objects between its earliest and its latest document; an object is
// the same when its list and name are.
struct PcChange {
  std::vector<const PcObject*> gone;
  std::vector<const PcObject*> stayed;  // as the latest document has them
  std::vector<const PcObject*> added;
};
PcChange changeOf(const PcRecord& before, const PcRecord& after);

}  // namespace kv
