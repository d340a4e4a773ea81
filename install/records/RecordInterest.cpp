#include "install/records/RecordInterest.h"

#include <QChar>
#include <algorithm>
#include <optional>

#include "install/plan/InstallPlan.h"
#include "install/records/Manifest.h"

namespace packshelf {

namespace {

constexpr quint64 HashStart = 14695981039346656037ull;
constexpr quint64 HashPrime = 1099511628211ull;

quint64 mixed(quint64 hash, char16_t unit) {
    return (hash ^ unit) * HashPrime;
}

char16_t folded(char16_t unit) {
    if (unit < 0x80)
        return unit >= u'A' && unit <= u'Z' ? char16_t(unit + (u'a' - u'A')) : unit;
    return char16_t(QChar::toCaseFolded(char32_t(unit)));
}

// Calls `atFolder` with the hash of each folder of `path` and answers the
// hash of the whole path; nothing when the path holds a character outside
// the Basic Multilingual Plane, whose folding this does not follow.
template <typename AtFolder>
std::optional<quint64> hashOfPath(QStringView path, const AtFolder& atFolder) {
    quint64 hash = HashStart;
    for (const QChar c : path) {
        if (c.isSurrogate())
            return std::nullopt;
        if (c == QLatin1Char('/'))
            atFolder(hash);
        hash = mixed(hash, folded(c.unicode()));
    }
    return hash;
}

} // namespace

RecordInterest RecordInterest::everything() {
    RecordInterest interest;
    interest.m_everything = true;
    return interest;
}

RecordInterest RecordInterest::ofInstall(const InstallPlan& plan, const QString& archive,
                                         const Manifest* previous) {
    RecordInterest interest;
    interest.addInstall(plan, archive, previous);
    return interest;
}

void RecordInterest::addInstall(const InstallPlan& plan, const QString& archive,
                                const Manifest* previous) {
    addArchive(archive);
    for (const PlannedFile& file : plan.files)
        addPath(file.target);
    if (previous) {
        for (const Manifest::File& file : previous->files)
            addPath(file.path);
    }
}

RecordInterest RecordInterest::ofRemoval(const Manifest& package) {
    RecordInterest interest;
    interest.addArchive(package.archive);
    for (const Manifest::File& file : package.files)
        interest.addPath(file.path);
    for (const QString& folder : package.folders)
        interest.addPath(folder);
    return interest;
}

void RecordInterest::addPath(QStringView path) {
    const std::optional<quint64> hash =
        hashOfPath(path, [this](quint64 folder) { m_at.insert(folder); });
    if (!hash) {
        m_everything = true;
        return;
    }
    m_at.insert(*hash);
    m_below.insert(*hash);
}

void RecordInterest::addArchive(const QString& archive) {
    m_archives.insert(archive);
}

void RecordInterest::addVersion(const QString& key) {
    if (!key.isEmpty())
        m_versions.insert(key);
}

bool RecordInterest::wantsVersion(const QString& key) const {
    return m_everything || (!key.isEmpty() && m_versions.contains(key));
}

bool RecordInterest::wantsArchive(const QString& archive) const {
    return m_everything || m_archives.contains(archive);
}

bool RecordInterest::wantsOwner(const QString& previousOwner) const {
    return m_everything || (!previousOwner.isEmpty() && m_archives.contains(previousOwner));
}

bool RecordInterest::wantsRecord(QByteArrayView binary) const {
    Manifest header;
    bool wanted = m_everything;
    const bool whole = Manifest::readBinaryPassing(binary, header, [&](const Manifest::File& file) {
        wanted = wanted || wantsPath(file.path) || wantsOwner(file.previousOwner) ||
                 wantsVersion(file.before);
        return !wanted;
    });
    return wanted || !whole || wantsArchive(header.archive) ||
           std::any_of(header.folders.cbegin(), header.folders.cend(),
                       [&](const QString& folder) { return wantsPath(folder); });
}

bool RecordInterest::wantsPath(QStringView path) const {
    if (m_everything)
        return true;
    if (m_at.empty())
        return false;
    bool below = false;
    const std::optional<quint64> hash =
        hashOfPath(path, [&](quint64 folder) { below = below || m_below.count(folder) != 0; });
    return !hash || below || m_at.count(*hash) != 0;
}

} // namespace packshelf
