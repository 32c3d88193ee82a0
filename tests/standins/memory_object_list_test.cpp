// The lists of the in-memory print system: an index must answer exactly as a walk of the list.
#include "standins/memory_object_list.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace kv {
namespace {

struct Entry {
  std::optional<std::wstring> name;
  int id;
};
const std::wstring* nameOf(const Entry& entry) { return entry.name ? &*entry.name : nullptr; }
using List = MemoryObjectList<Entry, nameOf>;

int foundId(List& list, const std::wstring& name) {
  const Entry* found = list.find(name);
  return found != nullptr ? found->id : -1;
}

std::vector<int> ids(const std::vector<Entry>& entries) {
  std::vector<int> order;
  for (const Entry& entry : entries) order.push_back(entry.id);
  return order;
}

List filled() {
  List list;
  for (Entry entry : std::vector<Entry>{{L"Queue", 1},
                                        {std::nullopt, 2},
                                        {L"QUEUE", 3},
                                        {L"Port \u00E9", 4},
                                        {L"port \u00C9", 5},
                                        {L"", 6}}) {
    list.add(entry);
  }
  return list;
}

TEST(MemoryObjectListTest, FindsTheFirstEntryOfANameApartFromAsciiCase) {
  struct Case {
    const wchar_t* name;
    int id;
  };
  const Case cases[] = {
      {L"queue", 1}, {L"QUEUE", 1},   {L"PORT \u00E9", 4}, {L"port \u00C9", 5}, {L"port \u00E9", 4},
      {L"", 6},      {L"Queue ", -1}, {L"Queu", -1},       {L"PORT \u00C9", 5},
  };
  List list = filled();
  for (const Case& c : cases) EXPECT_EQ(foundId(list, c.name), c.id) << c.name;
}

TEST(MemoryObjectListTest, RemovalsKeepTheOrderAndUncoverTheNextEntryOfTheName) {
  List list = filled();
  list.remove(list.find(L"queue"));
  EXPECT_EQ(foundId(list, L"Queue"), 3);
  list.remove(list.find(L"port \u00E9"));
  EXPECT_EQ(ids(list.current()), (std::vector<int>{2, 3, 5, 6}));
  list.remove(list.find(L"queue"));
  EXPECT_EQ(foundId(list, L"queue"), -1);
  list.add({L"queue", 7});
  list.remove(list.find(L""));
  EXPECT_EQ(foundId(list, L"Queue"), 7);
  EXPECT_EQ(ids(list.current()), (std::vector<int>{2, 5, 7}));
}

// A caller may keep what it was handed and read it after later calls, or change it.
TEST(MemoryObjectListTest, AHandedOutListIsAPlainListFromThenOn) {
  List list = filled();
  list.remove(list.find(L"queue"));
  const std::vector<Entry>& kept = std::as_const(list).handOut();
  EXPECT_EQ(ids(kept), (std::vector<int>{2, 3, 4, 5, 6}));
  list.remove(list.find(L"PORT \u00E9"));
  EXPECT_EQ(ids(kept), (std::vector<int>{2, 3, 5, 6}));

  std::vector<Entry>& entries = list.handOut();
  entries[0].name = L"queue";  // the nameless entry 2 now comes before entry 3
  EXPECT_EQ(foundId(list, L"QUEUE"), 2);
  entries.erase(entries.begin());
  entries[0].name = L"moved";
  EXPECT_EQ(foundId(list, L"QUEUE"), -1);
  EXPECT_EQ(foundId(list, L"MOVED"), 3);
  list.add({L"Queue", 8});
  list.remove(list.find(L"moved"));
  EXPECT_EQ(foundId(list, L"queue"), 8);
  EXPECT_EQ(ids(kept), (std::vector<int>{5, 6, 8}));
}

}  // namespace
}  // namespace kv
