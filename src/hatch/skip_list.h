#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <unordered_set>

namespace brimvel {

// The names an area block's skip lines record, as the configuration stood
// when the run began (this run's own skip lines count from the next run on).
// Names compare without regard to case.
class SkipList {
 public:
  void Add(std::string_view name) { names_.emplace(name); }
  bool Contains(std::string_view name) const { return names_.find(name) != names_.end(); }

 private:
  // Hashing and comparing through the upper-case letters, so that neither
  // adding nor asking builds an upper-cased copy: every listed file asks.
  struct CaselessHash {
    using is_transparent = void;
    std::size_t operator()(std::string_view text) const;
  };
  struct CaselessEqual {
    using is_transparent = void;
    bool operator()(std::string_view a, std::string_view b) const;
  };
  std::unordered_set<std::string, CaselessHash, CaselessEqual> names_;
};

// Whole-text upper-casing, for names longer than a short text holds.
std::string UpperWhole(std::string_view text);

}  // namespace brimvel
