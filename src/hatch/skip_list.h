#pragma once

#include <string>
#include <string_view>
#include <unordered_set>

namespace brimvel {

// The names an area block's skip lines record, as the configuration stood
// when the run began (this run's own skip lines count from the next run on).
// Names compare without regard to case.
class SkipList {
 public:
  void Add(std::string_view name);
  bool Contains(std::string_view name) const;
  void Clear() { names_.clear(); }
  std::size_t size() const { return names_.size(); }

 private:
  std::unordered_set<std::string> names_;  // upper-cased
};

// Whole-text upper-casing, for names longer than a short text holds.
std::string UpperWhole(std::string_view text);

}  // namespace brimvel
