#include "analysis/DirectoryListing.h"

#include <QCollator>
#include <QFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <dirent.h>
#include <numeric>

#include "core/PosixHandles.h"
#include "core/PosixIo.h"

namespace packshelf {

namespace {

// One collator per thread: collators are not shared between threads.
const QCollator& collator() {
    thread_local const QCollator instance = [] {
        QCollator made{QLocale(QLocale::English, QLocale::UnitedStates)};
        made.setCaseSensitivity(Qt::CaseInsensitive);
        made.setNumericMode(true);
        return made;
    }();
    return instance;
}

} // namespace

bool listingOrderLess(const QString& a, const QString& b) {
    const int collated = collator().compare(a, b);
    if (collated != 0)
        return collated < 0;
    return QFile::encodeName(a) < QFile::encodeName(b);
}

std::vector<std::size_t> listingOrder(const QStringList& names) {
    // A folder of one entry, as many are, needs no collation.
    if (names.size() < 2)
        return std::vector<std::size_t>(std::size_t(names.size()), 0);
    std::vector<QCollatorSortKey> keys;
    keys.reserve(std::size_t(names.size()));
    for (const QString& name : names)
        keys.push_back(collator().sortKey(name));
    std::vector<std::size_t> order(keys.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        const int collated = keys[a].compare(keys[b]);
        if (collated != 0)
            return collated < 0;
        return QFile::encodeName(names[qsizetype(a)]) < QFile::encodeName(names[qsizetype(b)]);
    });
    return order;
}

namespace {

// A file name without its extension: "Pack Update" of "Pack Update.zip".
QStringView stemOf(const QString& name) {
    const qsizetype dot = name.lastIndexOf(QLatin1Char('.'));
    return dot > 0 ? QStringView(name).left(dot) : QStringView(name);
}

} // namespace

bool fileNameOrderLess(const QString& a, const QString& b) {
    const int stems = collator().compare(stemOf(a), stemOf(b));
    if (stems != 0)
        return stems < 0;
    return listingOrderLess(a, b);
}

std::vector<std::size_t> fileNameOrder(const QStringList& names) {
    if (names.size() < 2)
        return std::vector<std::size_t>(std::size_t(names.size()), 0);
    std::vector<QCollatorSortKey> stems;
    std::vector<QCollatorSortKey> whole;
    stems.reserve(std::size_t(names.size()));
    whole.reserve(std::size_t(names.size()));
    for (const QString& name : names) {
        stems.push_back(collator().sortKey(stemOf(name).toString()));
        whole.push_back(collator().sortKey(name));
    }
    std::vector<std::size_t> order(stems.size());
    std::iota(order.begin(), order.end(), std::size_t(0));
    std::stable_sort(order.begin(), order.end(), [&](std::size_t a, std::size_t b) {
        if (const int collated = stems[a].compare(stems[b]); collated != 0)
            return collated < 0;
        if (const int collated = whole[a].compare(whole[b]); collated != 0)
            return collated < 0;
        return QFile::encodeName(names[qsizetype(a)]) < QFile::encodeName(names[qsizetype(b)]);
    });
    return order;
}

Result<std::vector<ListedName>> listFolder(const QString& folder) {
    const QByteArray nativePath = QFile::encodeName(folder);
    handles::UniqueDir dir(::opendir(nativePath.constData()));
    if (!dir)
        return fail(systemReason(errno));
    std::vector<ListedName> listed;
    QStringList names;
    // readdir() answers nothing both at the end and on an error; only
    // errno tells them apart, and a listing cut short must not pass for a
    // whole one.
    for (;;) {
        errno = 0;
        const dirent* entry = ::readdir(dir.get());
        if (!entry && errno != 0)
            return fail(systemReason(errno));
        if (!entry)
            break;
        const char* name = entry->d_name;
        if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0)
            continue;
        listed.push_back({QFile::decodeName(name), QByteArray(name)});
        names.append(listed.back().name);
    }
    std::vector<ListedName> sorted;
    sorted.reserve(listed.size());
    for (std::size_t position : fileNameOrder(names))
        sorted.push_back(std::move(listed[position]));
    return sorted;
}

Result<QStringList> sortedEntryNames(const QString& folder) {
    const Result<std::vector<ListedName>> listed = listFolder(folder);
    if (!listed)
        return listed.failure();
    QStringList names;
    names.reserve(qsizetype(listed->size()));
    for (const ListedName& entry : *listed)
        names.append(entry.name);
    return names;
}

} // namespace packshelf
