#pragma once

#include <QByteArray>
#include <QJsonArray>
#include <QJsonObject>

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

} // namespace packshelf::cli
