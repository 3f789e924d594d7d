#include "support/error_text.h"

#include "support/string_utils.h"

namespace brimvel {

ShortString ErrorText(std::int32_t code, std::string_view name) {
  switch (code) {
    case 0:
      return "allright";
    case 2:
      return "File " + ShortString(name) + " not found";
    case 3:
      return "Path to file " + ShortString(name) + " not found";
    case 5:
      return "Access to file " + ShortString(name) + " denied";
    case 6:
      return "Invalid handle";
    case 8:
      return "Not enough memory";
    case 10:
      return "Invalid environment";
    case 11:
      return "Invalid format";
    case 18:
      return "No more files";
    default:
      return "Unknown error... =) Error#" + NumberText(code) + ", while working with " + name;
  }
}

}  // namespace brimvel
