#include "hatch/template_expansion.h"

#include "support/string_utils.h"

namespace brimvel {

namespace {

constexpr std::size_t kCap = kLineCapacity;
constexpr char kTemplate = 0;
constexpr char kInserted = 1;
// Put in, but its escapes are still to be replaced, once, at the next step.
constexpr char kEscapesPending = 2;

// First position where the name stands wholly in template text, compared
// without regard to case. Every name starts with a byte that has no case
// ('@' or '\\'), so candidates are found with one library scan.
std::size_t FindInTemplate(const TemplateText& t, std::string_view name, bool pendingToo) {
  if (name.empty() || t.text.size() < name.size()) return std::string::npos;
  const char first = name.front();
  const bool caseless = first == '@' || first == '\\';
  for (std::size_t at = 0; at + name.size() <= t.text.size(); ++at) {
    if (caseless) {
      at = t.text.find(first, at);
      if (at == std::string::npos || at + name.size() > t.text.size()) return std::string::npos;
    }
    std::size_t i = 0;
    while (i < name.size() &&
           (t.inserted[at + i] == kTemplate ||
            (pendingToo && t.inserted[at + i] == kEscapesPending)) &&
           UpperChar(t.text[at + i]) == UpperChar(name[i]))
      ++i;
    if (i == name.size()) return at;
  }
  return std::string::npos;
}

std::string_view BeforeComma(std::string_view text) { return text.substr(0, text.find(',')); }

}  // namespace

TemplateText TemplateText::FromTemplate(std::string_view text) {
  TemplateText t;
  t.text = std::string(text.substr(0, text.size() < kCap ? text.size() : kCap));
  t.inserted.assign(t.text.size(), kTemplate);
  return t;
}

std::int32_t NumberOrZero(std::string_view text) {
  int errorPos = 0;
  std::int32_t number = TextToNumber(text, errorPos);
  return errorPos == 0 ? number : 0;
}

void FormatField(TemplateText& t, std::size_t p, std::string_view value, char valueFlag) {
  // The format closes with a ")" of the same origin as its "(": one inside a
  // value put in earlier is part of that value.
  const char openFlag = t.inserted[p];
  std::string head = t.text.substr(0, p);
  std::string headFlags = t.inserted.substr(0, p);
  std::string rest = t.text.substr(p + 1);
  std::string restFlags = t.inserted.substr(p + 1);
  std::string params, tail, tailFlags;
  std::size_t close = 0;
  while (close < rest.size() && !(rest[close] == ')' && restFlags[close] == openFlag)) ++close;
  if (close == rest.size()) close = std::string::npos;
  if (close != std::string::npos) {
    params = rest.substr(0, close);
    tail = rest.substr(close + 1);
    tailFlags = restFlags.substr(close + 1);
  } else {
    // An unclosed format is read as the format and also kept behind the value.
    params = rest;
    tail = rest;
    tailFlags = restFlags;
  }
  std::int32_t width;
  std::string_view mode;
  std::size_t comma = params.find(',');
  if (comma != std::string::npos) {
    width = NumberOrZero(FirstWord(BeforeComma(params)));
    mode = FirstWord(std::string_view(params).substr(comma + 1));
  } else {
    width = NumberOrZero(params);
    mode = params;
  }
  mode = mode.substr(0, kCap);  // a format is template text: only its first 255 count
  // Widths beyond what a text can hold are taken as the nearest that fits.
  if (width < 0) width = 0;
  if (width > static_cast<std::int32_t>(kCap)) width = static_cast<std::int32_t>(kCap);
  std::size_t w = static_cast<std::size_t>(width);

  std::string field(value.substr(0, value.size() < kCap ? value.size() : kCap));
  bool cut = mode.find('*') != std::string_view::npos;
  if (cut && w >= 1 && field.size() > w) field.resize(w - 1);
  char align = mode.empty() ? 'R' : UpperChar(mode[0]);
  bool behindNext = true;  // centred: the first blank goes behind
  while (field.size() < w) {
    if (align == 'L' || (align == 'C' && behindNext)) {
      field.push_back(' ');
    } else {
      field.insert(field.begin(), ' ');
    }
    behindNext = !behindNext;
  }

  t.text = head + field + tail;
  t.inserted = headFlags + std::string(field.size(), valueFlag) + tailFlags;
}

namespace {

TemplateText Replace(const TemplateText& text, std::string_view replacement, std::string_view name,
                     char valueFlag, bool pendingToo) {
  TemplateText t = text;
  if (name.empty()) return t;
  for (;;) {
    std::size_t at = FindInTemplate(t, name, pendingToo);
    if (at == std::string::npos) return t;
    t.text.erase(at, name.size());
    t.inserted.erase(at, name.size());
    // A format follows in the same text the name stood in: the template, or
    // a description whose escapes are being replaced.
    if (at < t.text.size() && t.text[at] == '(' &&
        (t.inserted[at] == kTemplate || (pendingToo && t.inserted[at] == kEscapesPending))) {
      FormatField(t, at, replacement, valueFlag);
    } else {
      t.text.insert(at, replacement);
      t.inserted.insert(at, std::string(replacement.size(), valueFlag));
    }
  }
}

}  // namespace

TemplateText ReplaceMacro(const TemplateText& text, std::string_view replacement,
                          std::string_view name) {
  return Replace(text, replacement, name, kInserted, false);
}

TemplateText ExpandTemplate(const TemplateText& text, std::string_view value,
                            std::string_view macro, bool valueEscapesPending) {
  TemplateText t = Replace(text, " ", "@Space", kInserted, true);
  t = Replace(t, "\n\r", "\\n", kInserted, true);
  t = Replace(t, "\r", "\\k", kInserted, true);
  // Whatever waited for its escapes has had them now.
  for (char& flag : t.inserted)
    if (flag == kEscapesPending) flag = kInserted;
  if (!macro.empty())
    t = Replace(t, value, macro, valueEscapesPending ? kEscapesPending : kInserted, false);
  return t;
}

std::string ExpandTemplate(std::string_view templateText, std::string_view value,
                           std::string_view macro) {
  // A text on its own: the value's escapes are never looked at.
  return ExpandTemplate(TemplateText::FromTemplate(templateText), value, macro).text;
}

}  // namespace brimvel
