#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>
#include <QList>
#include <utility>

#include "analysis/ArchiveItem.h"

namespace packshelf::cli {

// One record as a JSON object: exactly the keys it holds, integers as JSON
// integers, texts as strings. The tree under "ZIP" only when `withTree`.
QJsonObject itemToJson(const ArchiveItem& item, bool withTree);

// A content tree as an array of node objects ("TYPE", "DIRNAME", "CONTENT",
// and "IS_RUNTIME"/"IS_DATA" where marked).
QJsonArray treeToJson(const ContentTree& tree);

// One line of output: the compact object and a newline.
QByteArray jsonLine(const QJsonObject& object);

// The same for an object of texts only, written directly (many lines are
// printed this way): keys in the given order, which should be sorted as the
// object's own output sorts them.
QByteArray jsonLine(const QList<std::pair<const char*, QString>>& fields);

// Writes the object as one line to standard output; `flush` hands it on at
// once, for lines that follow work as it happens.
void printLine(const QJsonObject& object, bool flush = true);

} // namespace packshelf::cli
