#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace brimvel {

// A text being expanded. Every byte remembers whether it came from the
// template (and may still be expanded) or was put in for a macro or escape
// (and is never examined again), so a path or description can neither grow
// line breaks nor smuggle in further macros.
struct TemplateText {
  std::string text;
  std::string inserted;  // one flag byte per text byte: 1 = put in, never expanded

  // A template is a configuration value: at most 255 characters. What it
  // expands to is never cut.
  static TemplateText FromTemplate(std::string_view text);
};

// Replaces the escapes "@Space", "\n", "\k", then the macro (when the name
// is not empty) with the value; each may carry a field format in parentheses.
// With `valueEscapesPending` the value's own escapes are replaced too, once,
// by the next expansion step: a -DESC text is laid out by its field format
// first and has its escapes replaced after.
TemplateText ExpandTemplate(const TemplateText& text, std::string_view value,
                            std::string_view macro, bool valueEscapesPending = false);
std::string ExpandTemplate(std::string_view templateText, std::string_view value,
                           std::string_view macro);

// Replaces every occurrence of the name found in template text.
TemplateText ReplaceMacro(const TemplateText& text, std::string_view replacement,
                          std::string_view name);

// Puts the value, laid out by the parenthesised format that starts at the
// 0-based position p, in place of that format.
void FormatField(TemplateText& text, std::size_t p, std::string_view value, char valueFlag = 1);

// TextToNumber's value when it reads without error; 0 otherwise.
std::int32_t NumberOrZero(std::string_view text);

}  // namespace brimvel
