#include "rules/configured_models.h"

namespace kv {

bool takeConfiguredModels(const std::optional<std::wstring>& configFile,
                          const std::optional<std::wstring>& models, cleanerconfig_s& config,
                          ModelSet& modelSet) {
  if (configFile) {
    if (!config.load(*configFile)) return false;
    fillModelSet(config.modelList, modelSet);
  }
  if (models) {
    config.setModels(*models);
    fillModelSet(config.modelList, modelSet);
  }
  return true;
}

}  // namespace kv
