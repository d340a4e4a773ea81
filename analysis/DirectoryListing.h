#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace packshelf {

// The names of one folder's entries (hidden ones included, no recursion),
// sorted case-insensitively by Unicode case folding with ties broken by byte
// order, so that every listing, and every first match found in it, is the
// same on every machine. Nothing when the folder cannot be read; `error`
// then receives the system's description.
std::optional<QStringList> sortedEntryNames(const QString& folder, QString* error = nullptr);

// The same order as a comparison, for callers that sort names themselves.
bool listingOrderLess(const QString& a, const QString& b);

} // namespace packshelf
