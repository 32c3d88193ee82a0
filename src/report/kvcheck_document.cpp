#include "report/kvcheck_document.h"

#include <nlohmann/json.hpp>

namespace kv {
namespace {

using Json = nlohmann::json;

// A kvcheck document nests four levels; a file of nothing but "[" would otherwise make the JSON
// library build millions of nested arrays (some 800 MB for 10 MB of them).
constexpr std::size_t kDeepestNesting = 16;
// A PC's report holds hundreds of objects of a few texts each; ten megabytes of "{}," would hold
// millions, each a node of the library's tree.
constexpr std::size_t kMostValues = 1000000;

// A first pass over the bytes that builds nothing: it stops at the first container too deep and at
// the value past kMostValues, and leaves syntax errors to the parse that follows. (The library's
// parse with a callback could stop the nesting too, but it looks through every value of the
// enclosing array each time an object ends, which takes hours for an array of a million.)
class ShapeCheck final : public nlohmann::json_sax<Json> {
 public:
  std::optional<std::string> fault;

  bool null() override { return counted(); }
  bool boolean(bool) override { return counted(); }
  bool number_integer(number_integer_t) override { return counted(); }
  bool number_unsigned(number_unsigned_t) override { return counted(); }
  bool number_float(number_float_t, const string_t&) override { return counted(); }
  bool string(string_t&) override { return counted(); }
  bool binary(binary_t&) override { return counted(); }
  bool start_object(std::size_t) override { return opened(); }
  bool key(string_t&) override { return true; }
  bool end_object() override { return closed(); }
  bool start_array(std::size_t) override { return opened(); }
  bool end_array() override { return closed(); }
  bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override {
    return false;
  }

 private:
  bool counted() {
    if (++values_ <= kMostValues) return true;
    fault = "more than " + std::to_string(kMostValues) + " values";
    return false;
  }
  bool opened() {
    if (++depth_ <= kDeepestNesting) return counted();
    fault = "nested deeper than " + std::to_string(kDeepestNesting) + " levels";
    return false;
  }
  bool closed() {
    --depth_;
    return true;
  }

  std::size_t depth_ = 0;
  std::size_t values_ = 0;
};

std::optional<unsigned> hexUnitAt(const std::string& text, std::size_t at) {
  if (at + 4 > text.size()) return std::nullopt;
  unsigned unit = 0;
  for (std::size_t i = at; i < at + 4; ++i) {
    const char c = text[i];
    const int digit = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
    if (digit < 0) return std::nullopt;
    unit = unit * 16 + static_cast<unsigned>(digit);
  }
  return unit;
}

bool isHighSurrogate(unsigned unit) { return unit >= 0xD800 && unit <= 0xDBFF; }
bool isLowSurrogate(unsigned unit) { return unit >= 0xDC00 && unit <= 0xDFFF; }

// Windows names are UTF-16 that need not be well formed, and kvcheck writes each unit as it is.
// The replacement has the escape's length, so byte positions in parse errors stay true.
void replaceUnpairedSurrogateEscapes(std::string& json) {
  for (std::size_t i = 0; i + 1 < json.size(); ++i) {
    if (json[i] != '\\') continue;
    if (json[i + 1] != 'u') {
      ++i;  // "\\" must not start an escape with the next backslash
      continue;
    }
    const std::optional<unsigned> unit = hexUnitAt(json, i + 2);
    if (!unit) continue;
    if (isHighSurrogate(*unit) && json.compare(i + 6, 2, "\\u") == 0) {
      if (const auto next = hexUnitAt(json, i + 8); next && isLowSurrogate(*next)) {
        i += 11;
        continue;
      }
    }
    if (isHighSurrogate(*unit) || isLowSurrogate(*unit)) json.replace(i + 2, 4, "fffd");
    i += 5;
  }
}

std::string textField(const Json& object, const char* key) {
  const auto found = object.find(key);
  return found != object.end() && found->is_string() ? shownText(found->get<std::string>())
                                                     : std::string();
}

std::optional<long long> integerField(const Json& object, const char* key) {
  const auto found = object.find(key);
  if (found == object.end() || !found->is_number_integer()) return std::nullopt;
  return found->get<long long>();
}

void readObjects(const Json& json, KvcheckDocument& document) {
  for (std::size_t kind = 0; kind < kObjectKindCount; ++kind) {
    const auto list = json.find(kObjectKinds[kind].jsonKey);
    if (list == json.end() || !list->is_array()) continue;
    for (const Json& item : *list) {
      if (!item.is_object()) continue;
      CheckedObjectRead object{kind, textField(item, "name"), textField(item, "decision"),
                               textField(item, "why"), integerField(item, "error")};
      document.objects.push_back(std::move(object));
    }
  }
}

void readRestart(const Json& json, KvcheckDocument& document) {
  const auto restart = json.find("restartRequired");
  if (restart == json.end() || !restart->is_object()) return;
  const auto required = restart->find("required");
  document.restartRequired =
      required != restart->end() && required->is_boolean() && required->get<bool>();
  const auto products = restart->find("products");
  if (products == restart->end() || !products->is_array()) return;
  for (const Json& product : *products) {
    if (!product.is_string()) continue;
    if (!document.restartProducts.empty()) document.restartProducts += ", ";
    document.restartProducts += shownText(product.get<std::string>());
  }
}

std::optional<std::string> readSchema2(const Json& json, KvcheckDocument& document) {
  document.computer = textField(json, "computer");
  if (document.computer.empty()) return "field \"computer\" missing or not a text";
  const auto time = json.find("time");
  if (time == json.end() || !time->is_string()) return "field \"time\" missing or not a text";
  document.time = parseUtcText(time->get<std::string>(), UtcTextForm::Full);
  if (!document.time) return "field \"time\" is not a UTC time (YYYY-MM-DDThh:mm:ssZ)";
  document.exitCode = integerField(json, "exitCode");
  if (!document.exitCode) return "field \"exitCode\" missing or not a whole number";
  document.version = textField(json, "version");
  document.failure = textField(json, "failure");
  if (const auto account = json.find("account"); account != json.end() && account->is_object()) {
    document.account = textField(*account, "name");
  }
  if (const auto windows = json.find("windows"); windows != json.end() && windows->is_object()) {
    document.windowsVersion = textField(*windows, "version");
    document.architecture = textField(*windows, "nativeArchitecture");
  }
  const auto found = json.find("found");
  document.found = found != json.end() && found->is_boolean() && found->get<bool>();
  readRestart(json, document);
  return std::nullopt;
}

std::optional<std::string> readSchema1(const Json& json, KvcheckDocument& document) {
  document.schema = 1;
  const auto found = json.find("found");
  if (found == json.end() || !found->is_boolean())
    return "field \"found\" missing or not true/false";
  document.found = found->get<bool>();
  return std::nullopt;
}

}  // namespace

const std::array<ObjectKind, kObjectKindCount> kObjectKinds = {{
    {"packages", "Installer packages"},
    {"connections", "Network printer connections"},
    {"machineConnections", "Per-machine connections"},
    {"queues", "Local queues"},
    {"ports", "Ports"},
    {"drivers", "Drivers"},
    {"driverPackages", "Driver store packages"},
    {"pendingRemovals", "Pending removals of an earlier run"},
    {"unreachedDrivers", "The maker's drivers no clean run reaches"},
}};

std::string shownText(const std::string& text) {
  std::string shown;
  shown.reserve(text.size());
  for (const char c : text) {
    const auto byte = static_cast<unsigned char>(c);
    if (byte >= 0x20 && byte != 0x7F) {
      shown += c;
      continue;
    }
    static constexpr char kHex[] = "0123456789ABCDEF";
    shown += "\\x";
    shown += kHex[byte >> 4];
    shown += kHex[byte & 0xF];
  }
  return shown;
}

DocumentOrReason readKvcheckDocument(std::string& bytes) {
  if (bytes.empty()) return std::string("empty file");
  replaceUnpairedSurrogateEscapes(bytes);
  ShapeCheck shape;
  Json::sax_parse(bytes, &shape);
  if (shape.fault) return *shape.fault;
  Json json;
  try {
    json = Json::parse(bytes);
  } catch (const Json::parse_error& error) {
    if (error.byte > bytes.size()) return std::string("cut off: the JSON ends early");
    return "not JSON (error at byte " + std::to_string(error.byte) + ")";
  }
  if (!json.is_object() || !json.contains("schema")) return std::string("not a kvcheck document");
  const auto program = json.find("program");
  if (program != json.end() && *program != "kvcheck") return std::string("not a kvcheck document");
  const Json& schema = json["schema"];
  KvcheckDocument document;
  std::optional<std::string> wrong;
  if (schema == 2) {
    wrong = readSchema2(json, document);
  } else if (schema == 1) {
    wrong = readSchema1(json, document);
  } else if (schema.is_number_integer()) {
    return "schema " + schema.dump() + " is not one kvreport reads";
  } else {
    return std::string("field \"schema\" is not a whole number");
  }
  if (wrong) return *wrong;
  readObjects(json, document);
  return document;
}

}  // namespace kv
