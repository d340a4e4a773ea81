#pragma once

namespace packshelf::cli {

// Exit codes of the command-line front end.
enum ExitCode { ExitOk = 0, ExitFailed = 1, ExitUsage = 2 };

} // namespace packshelf::cli
