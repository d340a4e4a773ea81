#pragma once

#include <QString>
#include <atomic>
#include <memory>

#include "archive/ArchiveIndex.h"
#include "archive/ZipInput.h"
#include "core/Result.h"

namespace packshelf {

struct IndexEntry;
class Password;

// What reading the archives nested in one archive may cost: the bytes held
// in memory at once, the bytes inflated in all, and how many are read. One
// budget serves one top-level archive on one thread.
class NestedBudget {
public:
    // Nested archives up to this size are inflated into memory (while the
    // memory budget lasts); larger ones go to a temporary file.
    static constexpr quint64 InMemoryLimit = 64ull << 20;
    static constexpr quint64 MemoryTotal = 96ull << 20;
    static constexpr quint64 InflateTotal = 4ull << 30;
    static constexpr int ArchiveTotal = 4096;

    quint64 memoryLeft() const { return m_memoryLeft; }

    // Charges what checking a nested archive's whole content inflates (its
    // entries' declared sizes), so that an archive of small nested archives
    // that inflate to much more is refused before anything is inflated;
    // fails when the budget is spent.
    Status chargeContent(quint64 bytes);

private:
    friend class NestedArchive;
    quint64 m_memoryLeft = MemoryTotal;
    quint64 m_inflateLeft = InflateTotal;
    int m_archivesLeft = ArchiveTotal;
};

// What the files of an archive inflate to, as its index declares them.
quint64 declaredContent(const ArchiveIndex& index);

// An archive stored as an entry of another one, made readable without
// expanding anything: inflated (its CRC-32 checked) into memory, or, when
// it is large or memory is spent, into an unlinked temporary file in the
// scratch folder, gone as soon as it is closed.
class NestedArchive {
public:
    // Fails, saying why, when the entry cannot be read or the budget is
    // spent. `password` opens the entry when it is encrypted.
    static Result<std::unique_ptr<NestedArchive>>
    load(const ZipInput& parent, const IndexEntry& entry, NestedBudget& budget,
         const QString& scratchFolder, const std::atomic<bool>* cancel = nullptr,
         const Password* password = nullptr);
    ~NestedArchive();
    NestedArchive(const NestedArchive&) = delete;
    NestedArchive& operator=(const NestedArchive&) = delete;

    const ZipInput& input() const { return *m_input; }

private:
    NestedArchive(std::unique_ptr<ZipInput> input, NestedBudget* budget, quint64 memoryHeld)
        : m_input(std::move(input))
        , m_budget(budget)
        , m_memoryHeld(memoryHeld) {}

    std::unique_ptr<ZipInput> m_input;
    NestedBudget* m_budget;
    quint64 m_memoryHeld;
};

} // namespace packshelf
