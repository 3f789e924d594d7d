#include "run/driver.h"
#include "support/platform.h"

int main(int argc, char** argv) {
  using namespace brimvel;
  FileSystem& fs = platform::SystemFileSystem();
  TextFile console = TextFile::Console(fs, platform::StandardOutput());
  TextFile errors = TextFile::Console(fs, platform::StandardError());
  RunEnvironment env{fs,
                     platform::SystemProcessRunner(),
                     platform::SystemClock(),
                     console,
                     errors,
                     [](std::string_view title) { platform::ShowConsoleTitle(std::string(title)); },
                     platform::WatchInterruptions,
                     platform::Interruption};
  env.consoleIsJournal = platform::StandardOutputIsJournal();
  platform::SaveConsoleTitle();
  int code = RunMain(env, platform::CommandLineParameters(argc, argv));
  platform::RestoreConsoleTitle();
  return code;
}
