#include "hatch/skip_list.h"

#include "support/string_utils.h"

namespace brimvel {

std::string UpperWhole(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperChar(c);
  return upper;
}

void SkipList::Add(std::string_view name) { names_.insert(UpperWhole(name)); }

bool SkipList::Contains(std::string_view name) const {
  return names_.count(UpperWhole(name)) != 0;
}

}  // namespace brimvel
