#include "hatch/skip_list.h"

#include "support/string_utils.h"

namespace brimvel {

std::string UpperWhole(std::string_view text) {
  std::string upper(text);
  for (char& c : upper) c = UpperChar(c);
  return upper;
}

std::size_t SkipList::CaselessHash::operator()(std::string_view text) const {
  // FNV-1a over the upper-cased bytes.
  std::size_t hash = 14695981039346656037ull;
  for (char c : text) {
    hash ^= static_cast<unsigned char>(UpperChar(c));
    hash *= 1099511628211ull;
  }
  return hash;
}

bool SkipList::CaselessEqual::operator()(std::string_view a, std::string_view b) const {
  if (a.size() != b.size()) return false;
  for (std::size_t i = 0; i < a.size(); ++i)
    if (UpperChar(a[i]) != UpperChar(b[i])) return false;
  return true;
}

}  // namespace brimvel
