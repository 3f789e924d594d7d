#include "support/error_text.h"

#include "support/error_codes.h"
#include "support/string_utils.h"

namespace brimvel {

std::string ErrorText(std::int32_t code, std::string_view name) {
  switch (code) {
    case 0:
      return "allright";
    case kFileNotFound:
      return Concat("File ", name, " not found");
    case kPathNotFound:
      return Concat("Path to file ", name, " not found");
    case kAccessDenied:
      return Concat("Access to file ", name, " denied");
    case kInvalidHandle:
      return "Invalid handle";
    case kNotEnoughMemory:
      return "Not enough memory";
    case kBadEnvironment:
      return "Invalid environment";
    case kBadFormat:
      return "Invalid format";
    case kNoMoreFiles:
      return "No more files";
    default:
      return Concat("Unknown error... =) Error#", std::to_string(code), ", while working with ",
                    name);
  }
}

}  // namespace brimvel
