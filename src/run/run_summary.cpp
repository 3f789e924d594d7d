#include "run/run_summary.h"

namespace brimvel {

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

AreaFigures& RunSummary::Of(const AreaRecord& area) { return areas_[area.name]; }

void RunSummary::AreaMet(const AreaRecord& area) {
  // A worked area is reported even when it had nothing to do.
  if (area.enabled) Of(area);
  if (next_ != nullptr) next_->AreaMet(area);
}

void RunSummary::HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) {
  AreaFigures& figures = Of(area);
  figures.handedOver += 1;
  figures.bytes += size;
  if (next_ != nullptr) next_->HandedOver(area, path, size);
}

void RunSummary::HandOverFailed(const AreaRecord& area, std::string_view path, std::int64_t size,
                                bool started) {
  Of(area).failed += 1;
  if (next_ != nullptr) next_->HandOverFailed(area, path, size, started);
}

void RunSummary::Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
                         WaitReason reason) {
  Of(area).waiting += 1;
  if (next_ != nullptr) next_->Waiting(area, path, size, reason);
}

void RunSummary::EntryNotReached(const AreaRecord& area) {
  waitingEntries_ += 1;
  if (next_ != nullptr) next_->EntryNotReached(area);
}

void RunSummary::EntryDropped(const AreaRecord& area) {
  dropped_ += 1;
  if (next_ != nullptr) next_->EntryDropped(area);
}

bool RunSummary::AnyFailed() const {
  for (const auto& [name, figures] : areas_)
    if (figures.failed > 0) return true;
  return false;
}

std::string RunSummary::Line() const {
  AreaFigures all;
  for (const auto& [name, figures] : areas_) {
    all.handedOver += figures.handedOver;
    all.bytes += figures.bytes;
    all.failed += figures.failed;
    all.waiting += figures.waiting;
  }
  std::string waiting = Plural(all.waiting, "file", "files");
  if (waitingEntries_ > 0) waiting += " and " + Plural(waitingEntries_, "entry", "entries");
  return "Summary: " + Plural(all.handedOver, "file", "files") + " handed over (" +
         Plural(all.bytes, "byte", "bytes") + "), " +
         Plural(all.failed, "hand-over", "hand-overs") + " failed, " + waiting + " waiting, " +
         Plural(dropped_, "entry", "entries") + " dropped";
}

}  // namespace brimvel
