#pragma once

namespace brimvel {

// The whole run; always ends the process.
[[noreturn]] void RunMain(int argc, char** argv);

}  // namespace brimvel
