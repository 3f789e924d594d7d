#include "run/driver.h"
#include "support/platform.h"

int main(int argc, char** argv) {
  using namespace brimvel;
  platform::IgnoreOutputSignals();
  FileSystem& fs = platform::SystemFileSystem();
  TextWriter console = TextWriter::Console(fs, platform::StandardOutput());
  TextWriter errors = TextWriter::Console(fs, platform::StandardError());
  RunEnvironment env{
      fs,
      platform::SystemProcessRunner(),
      platform::SystemClock(),
      console,
      errors,
      [](std::string_view title) { platform::ShowConsoleTitle(std::string(title)); },
      platform::WatchInterruptions,
      platform::Interruption,
      nullptr,
      platform::RunEditor,
      [&fs] {
        // One line from standard input, without its line end.
        std::string answer;
        char c = 0;
        std::size_t got = 0;
        while (fs.Read(platform::StandardInput(), &c, 1, got) == 0 && got == 1 && c != '\n')
          answer += c;
        return answer;
      }};
  env.consoleIsJournal = platform::StandardOutputIsJournal();
  platform::SaveConsoleTitle();
  int code = RunMain(env, platform::CommandLineParameters(argc, argv));
  platform::RestoreConsoleTitle();
  return code;
}
