#pragma once

namespace packshelf {

// Where the window's diagnostics go: the lines PackShelf writes for itself
// ("Got result for index …", "File:…, Runtime:…, Data:…") reach the system
// log (syslog, read with journalctl), not the terminal the window was
// started from; warnings and everything of Qt's own keep Qt's handling.
class SystemLog {
public:
    // Opens the log under the program's name and takes PackShelf's own
    // diagnostics from here on.
    static void install();
};

} // namespace packshelf
