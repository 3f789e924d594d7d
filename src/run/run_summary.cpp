#include "run/run_summary.h"

namespace brimvel {

namespace {

std::string Plural(std::int64_t n, const char* one, const char* many) {
  return std::to_string(n) + " " + (n == 1 ? one : many);
}

}  // namespace

void RunSummary::AreaMet(const AreaRecord& area) {
  if (next_ != nullptr) next_->AreaMet(area);
}

void RunSummary::HandedOver(const AreaRecord& area, std::string_view path, std::int64_t size) {
  handedOver_ += 1;
  bytes_ += size;
  if (next_ != nullptr) next_->HandedOver(area, path, size);
}

void RunSummary::HandOverFailed(const AreaRecord& area, std::string_view path, std::int64_t size,
                                bool started) {
  failed_ += 1;
  if (next_ != nullptr) next_->HandOverFailed(area, path, size, started);
}

void RunSummary::Waiting(const AreaRecord& area, std::string_view path, std::int64_t size,
                         WaitReason reason) {
  waitingFiles_ += 1;
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

std::string RunSummary::Line() const {
  std::string waiting = Plural(waitingFiles_, "file", "files");
  if (waitingEntries_ > 0) waiting += " and " + Plural(waitingEntries_, "entry", "entries");
  return "Summary: " + Plural(handedOver_, "file", "files") + " handed over (" +
         Plural(bytes_, "byte", "bytes") + "), " + Plural(failed_, "hand-over", "hand-overs") +
         " failed, " + waiting + " waiting, " + Plural(dropped_, "entry", "entries") + " dropped";
}

}  // namespace brimvel
