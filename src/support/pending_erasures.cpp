#include "support/pending_erasures.h"

#include <algorithm>

namespace brimvel {

bool PendingErasures::Pending(std::string_view name) const {
  auto upper = [](char c) { return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c; };
  bool ignoreCase = inner_.NamesIgnoreCase();
  return std::any_of(pending_.begin(), pending_.end(), [&](const std::string& held) {
    if (!ignoreCase) return held == name;
    return std::equal(held.begin(), held.end(), name.begin(), name.end(),
                      [&upper](char a, char b) { return upper(a) == upper(b); });
  });
}

int PendingErasures::Erase(const std::string& name) {
  if (Pending(name)) return kFileNotFound;
  FoundEntry entry;
  if (int code = inner_.Describe(name, entry); code != 0) return code;
  pending_.push_back(name);
  return 0;
}

int PendingErasures::Open(const std::string& name, OpenKind kind, Handle& handle) {
  if (Pending(name)) return kFileNotFound;
  return inner_.Open(name, kind, handle);
}

int PendingErasures::List(const std::string& directory, std::vector<FoundEntry>& entries) {
  if (int code = inner_.List(directory, entries); code != 0 || pending_.empty()) return code;
  entries.erase(std::remove_if(entries.begin(), entries.end(),
                               [this, &directory](const FoundEntry& entry) {
                                 return Pending(directory + entry.name);
                               }),
                entries.end());
  return 0;
}

int PendingErasures::Describe(const std::string& name, FoundEntry& entry) {
  if (Pending(name)) return kFileNotFound;
  return inner_.Describe(name, entry);
}

}  // namespace brimvel
