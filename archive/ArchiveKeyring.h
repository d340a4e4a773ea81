#pragma once

#include <QString>
#include <map>
#include <mutex>
#include <optional>
#include <utility>
#include <vector>

#include "archive/Password.h"
#include "core/Result.h"

namespace packshelf {

class ZipInput;
struct ArchiveIndex;

// What opening an archive's encrypted entries found.
struct PasswordSearch {
    enum class Outcome {
        NotNeeded, // no entry is encrypted
        Found,     // `password` opens them
        Missing,   // no password was given
        Wrong,     // none of the passwords given opens them
    };
    Outcome outcome = Outcome::NotNeeded;
    SharedPassword password;
    // Missing and Wrong: which entry, which encryption, in a sentence.
    QString reason;
};

// The passwords of the archives of this run, held in memory only: one
// given for an archive (the window asks for it once per archive), and those
// given for every archive (the command line's). The one that opens an
// archive is remembered for it, so that the analysis tries them and the
// install that follows finds it at once. An archive is known by its file
// (device and inode): another file at its path has to be opened anew.
class ArchiveKeyring {
public:
    using FileKey = std::pair<quint64, quint64>;

    // The process's keyring.
    static ArchiveKeyring& shared();

    void setPassword(FileKey file, SharedPassword password);
    void setPasswordsForAll(std::vector<SharedPassword> passwords);
    // Lets every password go.
    void clear();
    // Every password held, each once: what a reader in another process
    // tries on the archives it is given.
    std::vector<SharedPassword> allPasswords();

    // The password that opens the encrypted entries of the archive `input`
    // indexed as `index`: the one known for `file` (when it is a file of its
    // own), then `inherited` (the password of the archive it is nested in),
    // then those for every archive, tried in that order on its smallest
    // encrypted entry, which must decode whole. A password is wrong only
    // when the entry says so; damaged data fail as damaged data.
    Result<PasswordSearch> search(const ZipInput& input, const ArchiveIndex& index,
                                  std::optional<FileKey> file,
                                  const SharedPassword& inherited = nullptr);

private:
    std::vector<SharedPassword> candidates(std::optional<FileKey> file,
                                           const SharedPassword& inherited);

    std::mutex m_mutex;
    std::map<FileKey, SharedPassword> m_byFile;
    std::vector<SharedPassword> m_forAll;
};

} // namespace packshelf
