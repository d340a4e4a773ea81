#pragma once

#include <QByteArray>
#include <QString>
#include <vector>

namespace packshelf::test {

// Archives made to attack the expansion: path escapes, links, bombs,
// damage, unsupported features and awkward names. Deterministic.
struct HostileArchive {
    enum class Expect {
        Refused, // cannot be read: "Unzip error" in analysis, "Failed!" at install
        Damaged, // its listing is sound but its data is not: "OK" in analysis, "Failed!" at install
        Unwritable,    // sound, but the library cannot hold it as it is: "OK", then "Failed!"
        Analysed,      // reads (unsafe parts refused) and carries a top-level Runtime folder
        NeedsPassword, // encrypted: "Needs a password", never installed
    };
    QString fileName; // name in the source folder
    QByteArray bytes;
    Expect expect;
};

// `withLarge` adds the slow members: a 1 GiB high-ratio archive and 70,000
// entries.
std::vector<HostileArchive> hostileCorpus(bool withLarge);

} // namespace packshelf::test
