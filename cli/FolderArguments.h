#pragma once

#include <QString>
#include <QStringList>
#include <optional>

// Folder arguments whose bytes are not UTF-8. Qt would decode such a name
// into another one (each bad byte turned into U+FFFD), which names another
// folder or none. The arguments keep their bytes instead (see
// decodeNativeName()); such a folder is opened by its bytes, once, and the
// engine reaches it as "/proc/self/fd/N", which names that very folder in
// plain ASCII; every message and record shown names it by its own path
// again, with the bytes that are not UTF-8 escaped (lib\xff).
namespace packshelf::cli {

// The command line as text: each argument decoded from UTF-8 as Qt does it,
// or, when it is not valid UTF-8, with its bytes kept.
QStringList commandLineArguments(int argc, const char* const* argv);

enum class MissingFolder { Refused, Made };

// The absolute path the engine is to use for the folder `argument` names.
// A path that is valid UTF-8 (with the working folder before a relative
// one) is the argument made absolute, as ever, whether or not it is there.
// Any other is opened (made first when missing and `missing` is Made) and
// kept open; nothing when that fails.
std::optional<QString> folderForArgument(const QString& argument, MissingFolder missing);

// `text` as it is shown: each folder opened by folderForArgument() named by
// its own path, and kept bytes escaped.
QString shownText(const QString& text);

// False while shownText() leaves every text as it is: no argument kept
// bytes and no folder was opened by its bytes.
bool textsNeedShowing();

// Makes Qt's log messages (the engine's warnings) show folders as
// shownText() does.
void showFoldersInLogMessages();

} // namespace packshelf::cli
