#pragma once

#include <QByteArray>
#include <QList>
#include <QPair>
#include <QString>

namespace packshelf::bench {

using FileList = QList<QPair<QString, QByteArray>>; // entry name, content

// Writes a zip archive holding `files` with the archive layer's own writing
// side. Answers false when anything could not be written.
bool writeArchive(const QString& zipPath, const FileList& files);

// A small library that shows every verdict: ready packages (top level,
// nested, Runtime and Data apart), duplicates, no Runtime, a damaged
// archive, and names with blanks and non-ASCII letters.
bool makeSampleLibrary(const QString& folder);

} // namespace packshelf::bench
