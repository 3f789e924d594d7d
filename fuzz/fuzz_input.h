#pragma once

// Helpers shared by the fuzz targets.

#include <cstdlib>
#include <string_view>

// A broken rule is a finding: abort so the fuzzer keeps the input.
inline void Require(bool condition) {
  if (!condition) std::abort();
}

// The next line-feed separated part of the input. An exhausted rest keeps
// pointing into the input rather than becoming a default (null) view.
inline std::string_view Part(std::string_view& rest) {
  std::size_t end = rest.find('\n');
  std::string_view part = rest.substr(0, end);
  rest = rest.substr(end == std::string_view::npos ? rest.size() : end + 1);
  return part;
}
