#include "rules/driver_filter_walk.h"

#include <cstddef>
#include <vector>

#include "log/logger.h"

namespace kv {
namespace {

struct FilterTexts {
  const wchar_t* kept;
  const wchar_t* dropped;
};

FilterTexts textsOf(DriverFilter filter) {
  if (filter == DriverFilter::Model)
    return {L"Match found : ", L"No match found,removing from list: "};
  return {L"Matching NFG string found : ", L"No NFG driver string found,removing from list: "};
}

// Drops the entries whose flag is false in one pass, keeping the order of the rest. The list
// lives on through the later phases, so the room of what was dropped is given back.
void keepFlagged(NameList& list, const std::vector<bool>& keep) {
  std::size_t to = 0;
  for (std::size_t from = 0; from < list.size(); ++from) {
    if (!keep[from]) continue;
    if (to != from) list[to] = std::move(list[from]);
    ++to;
  }
  list.resize(to);
  list.shrink_to_fit();
}

}  // namespace

void filterByDriver(const ModelSet& models, NameList& names, NameList& drivers, NameList* ports,
                    PortsInUse* otherQueuesPorts) {
  const DriverFilter filter = chooseDriverFilter(models);
  const FilterTexts texts = textsOf(filter);
  Logger& log = detailLog();

  // The lines go from the last entry to the first; the entries themselves are dropped in one
  // pass afterwards, so that a long list costs no more than one walk.
  std::vector<bool> keep(drivers.size(), false);
  for (std::size_t i = drivers.size(); i-- > 0;) {
    keep[i] = passesDriverFilter(filter, models, drivers[i]);
    log.debug() << (keep[i] ? texts.kept : texts.dropped) << names[i] << L" Driver: " << drivers[i]
                << endLine;
    if (!keep[i] && ports && otherQueuesPorts) otherQueuesPorts->add((*ports)[i]);
  }
  keepFlagged(drivers, keep);
  keepFlagged(names, keep);
  if (ports) keepFlagged(*ports, keep);
}

}  // namespace kv
