#include "check/report_json.h"

#include <nlohmann/json.hpp>

#include "system/utf8.h"

namespace kv {
namespace {

using Json = nlohmann::ordered_json;

constexpr int kSchemaVersion = 1;

Json objectJson(const CheckedObject& object) {
  Json json = {{"name", wideToUtf8(object.name)},
               {"decision", wideToUtf8(object.decision)},
               {"why", wideToUtf8(object.why)}};
  for (const auto& [key, value] : object.facts) json[key] = wideToUtf8(value);
  if (object.brandWord) json["brand"] = wideToUtf8(*object.brandWord);
  return json;
}

}  // namespace

std::string jsonReport(const CheckReport& report) {
  Json json = {{"schema", kSchemaVersion}, {"models", Json::array()}};
  for (const std::wstring& model : report.models) json["models"].push_back(wideToUtf8(model));
  json["found"] = report.foundAny();
  Json& restart = json["restartRequired"] = {{"required", report.restartRequired}};
  if (report.restartRequired) {
    restart["products"] = Json::array();
    for (const std::wstring& product : report.restartProducts) {
      restart["products"].push_back(wideToUtf8(product));
    }
    restart["since"] = wideToUtf8(report.restartSince);
  }
  json["notes"] = Json::object();
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    if (report.notes[kind].empty()) continue;
    json["notes"][jsonKeyOf(static_cast<CheckedKind>(kind))] = wideToUtf8(report.notes[kind]);
  }
  for (std::size_t kind = 0; kind < kCheckedKindCount; ++kind) {
    Json& objects = json[jsonKeyOf(static_cast<CheckedKind>(kind))] = Json::array();
    for (const CheckedObject& object : report.objects[kind]) objects.push_back(objectJson(object));
  }
  return json.dump(2, ' ', true, Json::error_handler_t::replace) + "\n";
}

}  // namespace kv
