#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

#include "core/Result.h"

namespace packshelf {

struct Manifest;

// Whether PackShelf may act in a folder outside the library that something
// read from the library names (a record of a package installed into a
// destination of the archive's own, or a journal of a change there). Only
// when this user's PackShelf wrote it, which a seal proves: an HMAC-SHA256,
// with a key of this user's kept outside every library, over the
// destination and the package's identity. Or when the user confirms that
// folder for the command at hand (the command line's --allow-outside DIR,
// the window's question).
class DestinationTrust {
public:
    // The folders the user confirmed for this command.
    explicit DestinationTrust(QStringList confirmed = {});

    // The user's key, made on first use: 32 random bytes in
    // $XDG_CONFIG_HOME/PackShelf/destination-key (~/.config when unset),
    // readable by the user alone. Fails when there is none and none can be
    // made, or when the file is not the user's alone.
    static Result<QByteArray> userKey();

    // Seals a record that names a destination, when the key can be had.
    static void seal(Manifest& manifest);
    // The seal of a journal's bytes, or of nothing without the key.
    static QByteArray sealOf(const QByteArray& bytes);
    static bool isSealed(const QByteArray& bytes, const QByteArray& seal);

    // True when the record names no destination, its seal proves it, or the
    // user confirmed its destination.
    bool trusts(const Manifest& manifest) const;
    bool confirms(const QString& folder) const { return m_confirmed.contains(folder); }
    const QStringList& confirmed() const { return m_confirmed; }

private:
    QStringList m_confirmed;
};

// The words every front end shows for a destination that needs the user's
// word before anything is done there.
QString needsConfirmationReason(const QString& folder);

} // namespace packshelf
