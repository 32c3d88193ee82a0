#include "config/cleaner_config.h"

#include "config/config_text.h"

namespace kv {

bool cleanerconfig_s::readValues(const IniDocument& document) {
  setModels(unquoteValue(document.value(kCleanSection, kModelsKey, L"")));
  unusedDriversValue = unquoteValue(document.value(kCleanSection, kUnusedDriversKey, L""));
  driverPackagesValue = unquoteValue(document.value(kCleanSection, kDriverPackagesKey, L""));
  return true;
}

bool cleanerconfig_s::setModels(const std::wstring& text) {
  modelList.clear();
  splitList(text, L'|', false, modelList);
  return true;
}

}  // namespace kv
