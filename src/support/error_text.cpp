#include "support/error_text.h"

#include "support/error_codes.h"
#include "support/string_utils.h"

namespace brimvel {

ShortString ErrorText(std::int32_t code, std::string_view name) {
  switch (code) {
    case 0:
      return "allright";
    case kFileNotFound:
      return "File " + ShortString(name) + " not found";
    case kPathNotFound:
      return "Path to file " + ShortString(name) + " not found";
    case kAccessDenied:
      return "Access to file " + ShortString(name) + " denied";
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
      return "Unknown error... =) Error#" + NumberText(code) + ", while working with " + name;
  }
}

}  // namespace brimvel
