#include "support/run_end.h"

#include <string>
#include <vector>

#include "support/platform.h"

namespace brimvel {

namespace {
std::vector<ExitProcedure>& ExitProcedures() {
  static std::vector<ExitProcedure> procedures;
  return procedures;
}

void RunExitProcedures() {
  auto& procedures = ExitProcedures();
  while (!procedures.empty()) {
    ExitProcedure procedure = procedures.back();
    procedures.pop_back();
    procedure();
  }
}
}  // namespace

void RegisterExitProcedure(ExitProcedure procedure) { ExitProcedures().push_back(procedure); }

void EndRun(std::int32_t code) {
  RunExitProcedures();
  platform::ExitProcess(code);
}

void RuntimeErrorReport(std::int32_t code) {
  RunExitProcedures();
  std::string line = "Runtime error " + std::to_string(code) + "\r\n";
  platform::WriteFile(platform::StandardError(), line.data(), line.size());
  platform::ExitProcess(code);
}

}  // namespace brimvel
