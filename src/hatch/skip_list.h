#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "support/file_system.h"

namespace brimvel {

// The names an area block's skip lines record, as the configuration stood
// when the run began (this run's own skip lines count from the next run on).
// A skip line passes over the file it names exactly. A looser match, without
// regard to case or to the blanks before the name, keeps the lines written
// by hand (or for a name that begins with a blank) working, but only for a
// name whose looser form no other name of the same listing shares.
class SkipList {
 public:
  // Where names ignore case, case is folded as the file system folds it;
  // elsewhere for ASCII letters only, never inside a UTF-8 sequence.
  explicit SkipList(bool namesIgnoreCase = false) : namesIgnoreCase_(namesIgnoreCase) {}
  // A skip line's name: the text after its keyword and exactly one blank.
  void Add(std::string_view exact);
  // The looser form of a name: case folded, leading blanks dropped.
  std::string LooseForm(std::string_view name) const;
  bool HasExact(std::string_view name) const { return exact_.count(std::string(name)) != 0; }
  bool HasLoose(const std::string& form) const { return loose_.count(form) != 0; }

 private:
  bool namesIgnoreCase_;
  std::unordered_set<std::string> exact_;
  std::unordered_set<std::string> loose_;
};

// The skip list as it applies to the names of one listing.
class ListingSkips {
 public:
  ListingSkips(const SkipList& skips, const std::vector<FoundEntry>& listing);
  bool Contains(std::string_view name) const;

 private:
  const SkipList& skips_;
  std::unordered_map<std::string, int> forms_;  // looser form -> names of the listing with it
};

// Whole-text upper-casing, for names longer than a short text holds.
std::string UpperWhole(std::string_view text);

}  // namespace brimvel
