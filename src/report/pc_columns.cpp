#include "report/pc_columns.h"

#include <utility>
#include <vector>

namespace kv {

std::string objectCountsText(const Fleet& fleet, const PcRecord& record) {
  std::string text;
  for (std::size_t kind = 0; kind < kObjectKindCount; ++kind) {
    std::vector<std::pair<TextPool::Id, std::size_t>> counts;
    for (const PcObject& object : record.objects) {
      if (object.kind != kind) continue;
      auto counted = counts.begin();
      while (counted != counts.end() && counted->first != object.decision) ++counted;
      if (counted == counts.end()) {
        counts.emplace_back(object.decision, 1);
      } else {
        ++counted->second;
      }
    }
    if (counts.empty()) continue;
    if (!text.empty()) text += "; ";
    text += kObjectKinds[kind].jsonKey;
    for (std::size_t i = 0; i < counts.size(); ++i) {
      text += (i == 0 ? " " : ", ") + fleet.texts().text(counts[i].first) + " " +
              std::to_string(counts[i].second);
    }
  }
  return text;
}

PcColumns pcColumns(const Fleet& fleet, const PcRecord& record) {
  const TextPool& texts = fleet.texts();
  PcColumns columns;
  columns.computer = record.computer;
  columns.state = stateLabel(record.state);
  columns.time = utcText(record.time) + (record.timeFromFile ? " (file time)" : "");
  columns.account = texts.text(record.account);
  columns.architecture = texts.text(record.architecture);
  columns.windows = texts.text(record.windowsVersion);
  columns.version = record.schema == 1 ? "schema 1" : texts.text(record.version);
  columns.exitCode = record.exitCode ? std::to_string(*record.exitCode) : "";
  columns.objects = objectCountsText(fleet, record);
  columns.restartFor = texts.text(record.restartProducts);
  columns.failure = texts.text(record.failure);
  return columns;
}

}  // namespace kv
