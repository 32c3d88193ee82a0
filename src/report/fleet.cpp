#include "report/fleet.h"

#include <algorithm>
#include <set>
#include <utility>

namespace kv {
namespace {

std::string computerKey(const std::string& computer) {
  std::string key = computer;
  for (char& c : key) {
    if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
  }
  return key;
}

}  // namespace

bool stays(const std::string& decision) {
  return decision == "keep" || decision == "unreached" || decision == "unknown";
}

PcRecord Fleet::recordOf(const KvcheckDocument& document, UtcSeconds time, bool timeFromFile,
                         const std::string& file) {
  PcRecord record;
  record.computer = document.computer;
  record.file = file;
  record.time = time;
  record.timeFromFile = timeFromFile;
  record.schema = static_cast<std::uint8_t>(document.schema);
  record.state = stateOf(document);
  record.exitCode = document.exitCode;
  record.version = texts_.add(document.version);
  record.account = texts_.add(document.account);
  record.architecture = texts_.add(document.architecture);
  record.windowsVersion = texts_.add(document.windowsVersion);
  record.failure = texts_.add(document.failure);
  record.restartProducts = texts_.add(document.restartProducts);
  record.objects.reserve(document.objects.size());
  for (const CheckedObjectRead& object : document.objects) {
    record.objects.push_back({texts_.add(object.name), texts_.add(object.decision),
                              texts_.add(object.why), static_cast<std::uint8_t>(object.kind),
                              object.error.has_value(), object.error.value_or(0)});
  }
  return record;
}

void Fleet::add(const KvcheckDocument& document, UtcSeconds time, bool timeFromFile,
                const std::string& file) {
  if (since_ && time < *since_) {
    ++documentsBeforeSince_;
    return;
  }
  const auto [place, isNew] = pcs_.try_emplace(computerKey(document.computer));
  Pc& pc = place->second;
  if (!isNew && std::find(pc.timesSeen.begin(), pc.timesSeen.end(), time) != pc.timesSeen.end()) {
    ++documentsRepeated_;
    return;
  }
  ++documentsTaken_;
  pc.timesSeen.push_back(time);
  if (isNew) {
    pc.latest = recordOf(document, time, timeFromFile, file);
  } else if (time > pc.latest.time) {
    if (!pc.earliest) pc.earliest = std::move(pc.latest);
    pc.latest = recordOf(document, time, timeFromFile, file);
  } else if (!pc.earliest || time < pc.earliest->time) {
    pc.earliest = recordOf(document, time, timeFromFile, file);
  }
}

void Fleet::addUnread(const std::string& path, const std::string& reason) {
  unread_.push_back({path, reason});
}

PcChange changeOf(const PcRecord& before, const PcRecord& after) {
  using Key = std::pair<std::uint8_t, TextPool::Id>;
  std::set<Key> beforeKeys, afterKeys;
  for (const PcObject& object : before.objects) beforeKeys.emplace(object.kind, object.name);
  for (const PcObject& object : after.objects) afterKeys.emplace(object.kind, object.name);
  PcChange change;
  for (const PcObject& object : before.objects) {
    if (!afterKeys.count({object.kind, object.name})) change.gone.push_back(&object);
  }
  for (const PcObject& object : after.objects) {
    auto& list = beforeKeys.count({object.kind, object.name}) ? change.stayed : change.added;
    list.push_back(&object);
  }
  return change;
}

}  // namespace kv
