#pragma once

// How the test post programs record one argument: in [brackets], with every
// byte that could make a record ambiguous (control bytes, brackets,
// backslash and everything from 0x7F up) written as \xNN, so a call is
// always one line and shows exactly what arrived.

#include <string>

inline std::string RecordedArgument(const char* text) {
  static const char kHex[] = "0123456789ABCDEF";
  std::string out = "[";
  for (const char* p = text; *p != '\0'; ++p) {
    unsigned char byte = static_cast<unsigned char>(*p);
    if (byte < 0x20 || byte >= 0x7F || byte == '[' || byte == ']' || byte == '\\') {
      out += "\\x";
      out += kHex[byte >> 4];
      out += kHex[byte & 0x0F];
    } else {
      out += static_cast<char>(byte);
    }
  }
  return out + "]";
}
