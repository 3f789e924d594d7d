#include "run/run_metrics.h"

#include <array>
#include <charconv>
#include <map>
#include <utility>

namespace brimvel {

namespace {

constexpr std::array<std::pair<RunEnd, std::string_view>, 5> kResults = {{
    {RunEnd::kOk, "ok"},
    {RunEnd::kFailed, "failed"},
    {RunEnd::kRefused, "refused"},
    {RunEnd::kError, "error"},
    {RunEnd::kInterrupted, "interrupted"},
}};

struct AreaTotals {
  std::int64_t handedOver = 0;
  std::int64_t failed = 0;
  std::int64_t bytes = 0;
  std::int64_t waiting = 0;
};

struct PerArea {
  std::string_view name;
  std::string_view type;
  std::string_view help;
  std::int64_t AreaTotals::*field;
};

constexpr PerArea kPerArea[] = {
    {"brimvel_files_handed_over_total", "counter",
     "Files whose post program ended with exit code 0, by area.", &AreaTotals::handedOver},
    {"brimvel_files_failed_total", "counter",
     "Files whose post program could not be started or ended with another exit code, by area.",
     &AreaTotals::failed},
    {"brimvel_handed_over_bytes_total", "counter", "Bytes of the files handed over, by area.",
     &AreaTotals::bytes},
    {"brimvel_files_waiting", "gauge",
     "Files the last run that worked the area found and left for a later one, by area.",
     &AreaTotals::waiting},
};

// The length of the UTF-8 sequence at the start of `text`, 0 when it is none.
std::size_t Utf8Length(std::string_view text) {
  auto byte = [&text](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  unsigned char lead = byte(0);
  if (lead < 0x80) return 1;
  std::size_t length = lead >= 0xC2 && lead <= 0xDF   ? 2
                       : lead >= 0xE0 && lead <= 0xEF ? 3
                       : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                      : 0;
  if (length == 0 || text.size() < length) return 0;
  for (std::size_t i = 1; i < length; ++i)
    if ((byte(i) & 0xC0) != 0x80) return 0;
  // No overlong forms, no surrogates, nothing past U+10FFFF.
  if ((lead == 0xE0 && byte(1) < 0xA0) || (lead == 0xED && byte(1) > 0x9F) ||
      (lead == 0xF0 && byte(1) < 0x90) || (lead == 0xF4 && byte(1) > 0x8F))
    return 0;
  return length;
}

// An area name as a label value: quoted as the format asks, and a byte that
// is no UTF-8 (a name in a single-byte code page) written as %XX, since the
// collector drops a whole file that holds one.
std::string LabelValue(std::string_view name) {
  constexpr char kHex[] = "0123456789ABCDEF";
  std::string out;
  while (!name.empty()) {
    std::size_t length = Utf8Length(name);
    if (length == 0) {
      auto byte = static_cast<unsigned char>(name.front());
      out += '%';
      out += kHex[byte >> 4];
      out += kHex[byte & 0xF];
      length = 1;
    } else if (name.front() == '\\' || name.front() == '"') {
      out += '\\';
      out += name.front();
    } else {
      out += name.substr(0, length);
    }
    name.remove_prefix(length);
  }
  return out;
}

// What the earlier text holds: runs by result, and areas by their label
// value as written.
struct Totals {
  std::map<std::string, std::int64_t, std::less<>> runs;
  std::map<std::string, AreaTotals, std::less<>> areas;
  std::int64_t dropped = 0;
};

// A sample's name{label="value"}: the name, and the value up to the closing
// quote and brace (empty without one); false when the braces are malformed.
bool SplitKey(std::string_view key, std::string_view& name, std::string_view& label) {
  name = key.substr(0, key.find('{'));
  label = {};
  if (name.size() == key.size()) return true;
  std::size_t quote = key.find('"');
  if (quote == std::string_view::npos || key.size() < quote + 3 ||
      key.substr(key.size() - 2) != "\"}")
    return false;
  label = key.substr(quote + 1, key.size() - quote - 3);
  return true;
}

void ReadTotals(std::string_view text, Totals& totals) {
  while (!text.empty()) {
    std::size_t end = text.find('\n');
    std::string_view line = text.substr(0, end);
    text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
    if (line.ends_with('\r')) line.remove_suffix(1);  // a copy that went through an editor
    std::size_t blank = line.rfind(' ');
    if (line.empty() || line.front() == '#' || blank == std::string_view::npos) continue;
    std::string_view number = line.substr(blank + 1);
    std::int64_t value = 0;
    auto [rest, error] = std::from_chars(number.data(), number.data() + number.size(), value);
    if (error != std::errc() || rest != number.data() + number.size() || value < 0) continue;
    std::string_view name, label;
    if (!SplitKey(line.substr(0, blank), name, label)) continue;
    if (name == "brimvel_entries_dropped_total") totals.dropped = value;
    if (name == "brimvel_runs_total") totals.runs[std::string(label)] = value;
    for (const PerArea& metric : kPerArea)
      if (name == metric.name && !label.empty())
        totals.areas[std::string(label)].*metric.field = value;
  }
}

void Header(std::string& out, std::string_view name, std::string_view type, std::string_view help) {
  out.append("# HELP ").append(name).append(" ").append(help).append("\n");
  out.append("# TYPE ").append(name).append(" ").append(type).append("\n");
}

void Sample(std::string& out, std::string_view name, std::string_view label, std::string_view value,
            std::int64_t number) {
  out.append(name);
  if (!label.empty()) out.append("{").append(label).append("=\"").append(value).append("\"}");
  out.append(" ").append(std::to_string(number)).append("\n");
}

}  // namespace

std::string MetricsText(std::string_view previous, const RunSummary& summary, int exitCode,
                        std::int64_t unixTime) {
  Totals totals;
  ReadTotals(previous, totals);
  for (const auto& [name, figures] : summary.Areas()) {
    AreaTotals& area = totals.areas[LabelValue(name)];
    area.handedOver += figures.handedOver;
    area.failed += figures.failed;
    area.bytes += figures.bytes;
    area.waiting = figures.waiting;
  }
  totals.dropped += summary.Dropped();

  std::string out;
  Header(out, "brimvel_last_run_timestamp_seconds", "gauge", "When the last run ended.");
  Sample(out, "brimvel_last_run_timestamp_seconds", "", "", unixTime);
  Header(out, "brimvel_last_run_exit_code", "gauge", "The exit code of the last run.");
  Sample(out, "brimvel_last_run_exit_code", "", "", exitCode);
  Header(out, "brimvel_last_run_result", "gauge",
         "What the last run came to: 1 for its result, 0 for the others.");
  for (const auto& [end, result] : kResults)
    Sample(out, "brimvel_last_run_result", "result", result, end == summary.End() ? 1 : 0);
  Header(out, "brimvel_runs_total", "counter", "Runs, by what they came to.");
  for (const auto& [end, result] : kResults)
    Sample(out, "brimvel_runs_total", "result", result,
           totals.runs[std::string(result)] + (end == summary.End() ? 1 : 0));
  for (const PerArea& metric : kPerArea) {
    Header(out, metric.name, metric.type, metric.help);
    for (const auto& [label, area] : totals.areas)
      Sample(out, metric.name, "area", label, area.*metric.field);
  }
  Header(out, "brimvel_entries_dropped_total", "counter",
         "DIRECTORY and FILE entries dropped from the configuration as finished.");
  Sample(out, "brimvel_entries_dropped_total", "", "", totals.dropped);
  return out;
}

int WriteMetricsFile(FileSystem& fs, const std::string& name, const RunSummary& summary,
                     int exitCode, std::int64_t unixTime) {
  // A link stays a link: the file it leads to is replaced.
  std::string real;
  if (fs.RealName(name, real) != 0) real = name;
  // Beside it, so the rename stays on one file system; the collector reads
  // only *.prom files, so it never reads the copy.
  const std::string copy = real + ".tmp";
  Handle handle = kNoHandle;
  if (int code = fs.Open(copy, OpenKind::kCreateLocked, handle); code != 0) return code;
  std::string previous;
  // A file not there yet starts every counter at 0.
  int code = ReadWholeFile(fs, real, previous);
  if (code == kFileNotFound) code = 0;
  std::string text = MetricsText(previous, summary, exitCode, unixTime);
  if (code == 0) code = fs.Write(handle, text.data(), text.size());
  if (code == 0) code = fs.Sync(handle);
  // A file made readable for the collector stays so (nothing to copy the
  // first time).
  if (code == 0) fs.CopyPermissions(real, copy);
  // Renamed while still locked: a run that ends at the same moment meets
  // the lock (32) rather than the old text, whose counts it would undo.
  if (code == 0) code = fs.Replace(copy, real);
  if (int closed = fs.Close(handle); code == 0) code = closed;
  if (code != 0) fs.Erase(copy);
  return code;
}

}  // namespace brimvel
