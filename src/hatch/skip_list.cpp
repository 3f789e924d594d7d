#include "hatch/skip_list.h"

#include "support/string_utils.h"

namespace brimvel {

std::string UpperWhole(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperChar(c);
  return upper;
}

void SkipList::Add(std::string_view exact) {
  exact_.emplace(exact);
  loose_.insert(LooseForm(exact));
}

std::string SkipList::LooseForm(std::string_view name) const {
  std::size_t start = name.find_first_not_of(' ');
  std::string form(name.substr(start == std::string_view::npos ? name.size() : start));
  for (char& c : form) {
    if (namesIgnoreCase_) {
      c = UpperChar(c);
    } else if (c >= 'a' && c <= 'z') {
      c = static_cast<char>(c - 'a' + 'A');
    }
  }
  return form;
}

ListingSkips::ListingSkips(const SkipList& skips, const std::vector<FoundEntry>& listing)
    : skips_(skips) {
  for (const FoundEntry& entry : listing) forms_[skips.LooseForm(entry.name)] += 1;
}

bool ListingSkips::Contains(std::string_view name) const {
  if (skips_.HasExact(name)) return true;
  std::string form = skips_.LooseForm(name);
  auto found = forms_.find(form);
  bool alone = found == forms_.end() || found->second <= 1;
  return alone && skips_.HasLoose(form);
}

}  // namespace brimvel
