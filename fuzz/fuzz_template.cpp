// ExpandTemplate, ReplaceMacro and FormatField over arbitrary templates and
// values, both overloads. Input: a selector byte, then template, value and
// (for selector values past the fixed names) a macro name, separated by line
// feeds.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "fuzz_input.h"
#include "hatch/template_expansion.h"
#include "support/string_utils.h"

using brimvel::TemplateText;

namespace {

constexpr std::string_view kMacros[] = {"@File", "@Area", "@Option", "@Desc", "@AppDesc", ""};

// What a template expands to is never cut: a command runs whole.
void RequireWellFormed(const TemplateText& t) {
  Require(t.inserted.size() == t.text.size());
  for (char flag : t.inserted) Require(flag == 0 || flag == 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  if (size == 0) return 0;
  std::string_view rest(reinterpret_cast<const char*>(data) + 1, size - 1);
  std::string_view templ = Part(rest);
  std::string_view value = Part(rest);
  std::size_t selector = data[0] % 8;
  std::string_view macro = selector < 6 ? kMacros[selector] : Part(rest);

  std::string plain = brimvel::ExpandTemplate(templ, value, macro);
  TemplateText expanded = brimvel::ExpandTemplate(TemplateText::FromTemplate(templ), value, macro);
  RequireWellFormed(expanded);
  // The plain-text overload is the same expansion.
  Require(plain == expanded.text);

  // Every escape and macro name begins with "@" or "\": a template without
  // either comes back as it was.
  if (macro.empty() || macro[0] == '@' || macro[0] == '\\')
    if (templ.find_first_of("@\\") == std::string_view::npos)
      Require(expanded.text == templ.substr(0, brimvel::kLineCapacity));

  if (!macro.empty()) {
    // After a replacement no occurrence of the name is left in template
    // text, and what was put in is never looked at again.
    TemplateText once = brimvel::ReplaceMacro(TemplateText::FromTemplate(templ), value, macro);
    RequireWellFormed(once);
    TemplateText twice = brimvel::ReplaceMacro(once, "something else", macro);
    Require(twice.text == once.text);
  }

  // The hatch command's chain: each step works on the text built so far.
  TemplateText chain = TemplateText::FromTemplate(templ);
  for (std::string_view name : kMacros) {
    chain = brimvel::ExpandTemplate(chain, value, name);
    RequireWellFormed(chain);
  }
  return 0;
}
