#include "check/report_json.h"

#include "check/json_text.h"

namespace kv {
namespace {

constexpr int kSchemaVersion = 2;

void writeObject(JsonText& json, const CheckedObject& object) {
  json.beginObject();
  json.key("name").string(object.name);
  json.key("decision").string(object.decision);
  json.key("why").string(object.why);
  for (const auto& [key, value] : object.facts) json.key(key).string(value);
  if (object.brandWord) json.key("brand").string(*object.brandWord);
  if (object.decision == L"unknown") json.key("error").number(object.error);
  json.endObject();
}

void writeHead(JsonText& json, const CheckReport& report) {
  const CheckHead& head = report.head;
  json.key("schema").number(kSchemaVersion);
  json.key("program").string(L"kvcheck");
  json.key("version").string(head.version);
  json.key("computer").string(head.computer);
  json.key("time").string(head.time);
  json.key("account").beginObject();
  json.key("name").string(head.account.name);
  json.key("localSystem").boolean(head.account.localSystem);
  json.key("elevated").boolean(head.account.elevated);
  json.endObject();
  const std::string architecture = architectureName(head.nativeMachine);
  json.key("windows").beginObject();
  json.key("version").string(head.windowsVersion);
  json.key("nativeArchitecture").string(std::wstring(architecture.begin(), architecture.end()));
  json.endObject();
  json.key("models").beginArray();
  for (const std::wstring& model : report.models) json.string(model);
  json.endArray();
  if (report.modelsNote) json.key("modelsNote").string(*report.modelsNote);
  json.key("exitCode").number(report.exitCode);
  if (!report.failure.empty()) json.key("failure").string(report.failure);
  json.key("found").boolean(report.foundAny());
  json.key("restartRequired").beginObject();
  json.key("required").boolean(report.restartRequired);
  if (report.restartRequired) {
    json.key("products").beginArray();
    for (const std::wstring& product : report.restartProducts) json.string(product);
    json.endArray();
    json.key("since").string(report.restartSince);
  }
  json.endObject();
}

}  // namespace

std::string jsonReport(const CheckReport& report) {
  JsonText json;
  json.beginObject();
  writeHead(json, report);
  json.key("counts").beginObject();
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    const auto counts = report.countsOf(static_cast<CheckedKind>(kind));
    json.key(jsonKeyOf(static_cast<CheckedKind>(kind))).beginObject();
    for (std::size_t i = 0; i < counts.size(); ++i) {
      const std::wstring_view decision = kDecisions[i];
      if (counts[i] != 0) {
        json.key(std::string(decision.begin(), decision.end()))
            .number(static_cast<long long>(counts[i]));
      }
    }
    json.endObject();
  }
  json.endObject();
  json.key("notes").beginObject();
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    if (!report.notes[kind].empty()) {
      json.key(jsonKeyOf(static_cast<CheckedKind>(kind))).string(report.notes[kind]);
    }
  }
  json.endObject();
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    json.key(jsonKeyOf(static_cast<CheckedKind>(kind))).beginArray();
    for (const CheckedObject& object : report.objects[kind]) writeObject(json, object);
    json.endArray();
  }
  json.endObject();
  return json.text();
}

}  // namespace kv
