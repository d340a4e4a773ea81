#include "archive/ArchiveKeyring.h"

#include <algorithm>

#include "archive/ArchiveIndex.h"
#include "archive/EntryDecoder.h"
#include "archive/EntrySupport.h"
#include "core/EngineText.h"

namespace packshelf {

namespace {

// The encrypted file entry whose decoding costs least and still proves a
// password: an empty one would take a wrong PKWARE password that passes
// the header's check, so one with content comes first.
const IndexEntry* smallestEncrypted(const ArchiveIndex& index) {
    const IndexEntry* smallest = nullptr;
    const auto better = [](const IndexEntry& entry, const IndexEntry& than) {
        if ((entry.uncompressedSize > 0) != (than.uncompressedSize > 0))
            return entry.uncompressedSize > 0;
        return entry.compressedSize < than.compressedSize;
    };
    for (const IndexEntry& entry : index.entries) {
        if (entry.encrypted && !entry.isFolder() && (!smallest || better(entry, *smallest)))
            smallest = &entry;
    }
    return smallest;
}

// Whether a failed decode says the password does not fit: the entry's
// check says so, or (PKWARE, whose check passes one wrong password in 256)
// what it decrypted is not the entry's data.
bool saysWrongPassword(const IndexEntry& entry, DecodeStatus status) {
    if (status == DecodeStatus::WrongPassword)
        return true;
    return entry.aesStrength == 0 &&
           (status == DecodeStatus::CrcError || status == DecodeStatus::Damaged ||
            status == DecodeStatus::TooLong);
}

} // namespace

ArchiveKeyring& ArchiveKeyring::shared() {
    static ArchiveKeyring keyring;
    return keyring;
}

void ArchiveKeyring::setPassword(FileKey file, SharedPassword password) {
    const std::lock_guard lock(m_mutex);
    m_byFile[file] = std::move(password);
}

void ArchiveKeyring::setPasswordsForAll(std::vector<SharedPassword> passwords) {
    const std::lock_guard lock(m_mutex);
    m_forAll = std::move(passwords);
}

void ArchiveKeyring::clear() {
    const std::lock_guard lock(m_mutex);
    m_byFile.clear();
    m_forAll.clear();
}

std::vector<SharedPassword> ArchiveKeyring::allPasswords() {
    std::vector<SharedPassword> all;
    const std::lock_guard lock(m_mutex);
    for (const auto& [file, password] : m_byFile)
        all.push_back(password);
    for (const SharedPassword& password : m_forAll) {
        if (std::find(all.begin(), all.end(), password) == all.end())
            all.push_back(password);
    }
    return all;
}

std::vector<SharedPassword> ArchiveKeyring::candidates(std::optional<FileKey> file,
                                                       const SharedPassword& inherited) {
    std::vector<SharedPassword> tried;
    const std::lock_guard lock(m_mutex);
    if (file) {
        if (const auto known = m_byFile.find(*file); known != m_byFile.end())
            tried.push_back(known->second);
    }
    if (inherited)
        tried.push_back(inherited);
    for (const SharedPassword& password : m_forAll) {
        if (std::find(tried.begin(), tried.end(), password) == tried.end())
            tried.push_back(password);
    }
    return tried;
}

Result<PasswordSearch> ArchiveKeyring::search(const ZipInput& input, const ArchiveIndex& index,
                                              std::optional<FileKey> file,
                                              const SharedPassword& inherited) {
    PasswordSearch search;
    const IndexEntry* probe = smallestEncrypted(index);
    if (!probe)
        return search;
    const std::vector<SharedPassword> tried = candidates(file, inherited);
    const QString encryption = EngineText::tr("%1 is encrypted (%2)")
                                   .arg(probe->name, describeEncryption(probe->aesStrength));
    if (tried.empty()) {
        search.outcome = PasswordSearch::Outcome::Missing;
        search.reason = encryption + EngineText::tr(": it needs a password");
        return search;
    }
    for (const SharedPassword& password : tried) {
        const DecodeStatus status = EntryDecoder(input, *probe, password.get(), nullptr)
                                        .decode([](const char*, std::size_t) { return true; });
        if (status == DecodeStatus::Ok) {
            if (file) {
                const std::lock_guard lock(m_mutex);
                m_byFile[*file] = password;
            }
            search.outcome = PasswordSearch::Outcome::Found;
            search.password = password;
            return search;
        }
        if (!saysWrongPassword(*probe, status))
            return fail(decodeProblem(status, probe->name));
    }
    search.outcome = PasswordSearch::Outcome::Wrong;
    search.reason =
        encryption +
        (tried.size() == 1
             ? EngineText::tr(": the password given does not open it")
             : EngineText::tr(": none of the %1 passwords given opens it").arg(tried.size()));
    return search;
}

} // namespace packshelf
