#pragma once

#include <cstdint>
#include <string_view>

#include "support/short_string.h"

namespace brimvel {

// The log's words for a search or program-start error code.
ShortString ErrorText(std::int32_t code, std::string_view name);

}  // namespace brimvel
