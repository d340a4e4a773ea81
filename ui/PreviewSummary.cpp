#include "ui/PreviewSummary.h"

#include <QLocale>

namespace packshelf {

namespace {

QString writerKey(const QString& archive, const QString& path) {
    return archive + QLatin1Char('\n') + path.toCaseFolded();
}

void addOnce(QStringList& names, const QString& name) {
    if (!name.isEmpty() && !names.contains(name))
        names.append(name);
}

QString joined(const QStringList& names) {
    return names.join(QStringLiteral(", "));
}

// Archives of the install in list order, the order the install takes them.
void sortInListOrder(QStringList& names, const QHash<QString, int>& positions) {
    std::sort(names.begin(), names.end(), [&](const QString& a, const QString& b) {
        return positions.value(a) < positions.value(b);
    });
}

} // namespace

PreviewSummary PreviewSummary::of(std::vector<PackagePreview> previews) {
    PreviewSummary summary;
    summary.m_previews = std::move(previews);
    QHash<QString, int> positions;
    for (const PackagePreview& preview : summary.m_previews) {
        positions.insert(preview.archive, int(positions.size()));
        for (const PackagePreview::File& file : preview.files) {
            if (!file.overwrittenBy.isEmpty())
                summary.m_earlierWriters.insert(writerKey(file.overwrittenBy, file.path),
                                                preview.archive);
        }
    }
    for (const PackagePreview& preview : summary.m_previews) {
        Archive archive{preview.archive,
                        preview.problem.isEmpty() ? Status() : Status(fail(preview.problem)),
                        preview.count(Kind::Add),
                        preview.count(Kind::Replace),
                        preview.count(Kind::Same),
                        {},
                        {},
                        preview.unchanged};
        for (const PackagePreview::File& file : preview.files) {
            // A file left the same replaces nothing of its owner.
            if (file.kind == Kind::Replace)
                addOnce(archive.installedConflicts, file.owner);
            addOnce(archive.batchConflicts, file.overwrittenBy);
            addOnce(archive.batchConflicts, summary.earlierWriter(preview.archive, file.path));
        }
        archive.installedConflicts.removeAll(preview.archive);
        archive.batchConflicts.removeAll(preview.archive);
        sortInListOrder(archive.batchConflicts, positions);
        summary.m_archives.push_back(std::move(archive));
    }
    return summary;
}

const PreviewSummary::Archive* PreviewSummary::archive(const QString& name) const {
    for (const Archive& archive : m_archives) {
        if (archive.name == name)
            return &archive;
    }
    return nullptr;
}

QString PreviewSummary::earlierWriter(const QString& archive, const QString& path) const {
    return m_earlierWriters.value(writerKey(archive, path));
}

QString PreviewSummary::filesText(int added, int replaced, int same) {
    return tr("Files: %1 added, %2 replaced, %3 already the same")
        .arg(QLocale().toString(added), QLocale().toString(replaced), QLocale().toString(same));
}

QString PreviewSummary::actionText(Kind kind) {
    switch (kind) {
    case Kind::Add:
        return tr("Add");
    case Kind::Replace:
        return tr("Replace");
    case Kind::Same:
        return tr("Same");
    }
    return {};
}

QString PreviewSummary::archiveText(const QString& name) const {
    const Archive* found = archive(name);
    if (!found)
        return {};
    if (!found->installable)
        return tr("Cannot be installed: %1").arg(found->installable.reason());
    if (found->unchanged)
        return tr("Already installed from this archive, and every file is as it was installed: "
                  "it is left alone.");
    QStringList lines{filesText(found->added, found->replaced, found->same)};
    if (!found->installedConflicts.isEmpty())
        lines << tr("Replaces files installed by: %1").arg(joined(found->installedConflicts));
    if (!found->batchConflicts.isEmpty())
        lines << tr("Writes the same files as %1 in this install; the archive later in the "
                    "list wins")
                     .arg(joined(found->batchConflicts));
    return lines.join(QLatin1Char('\n'));
}

QString PreviewSummary::totalsText() const {
    // Counted against the library as it is before the install: a file that
    // several archives of it write counts once, as added when nothing stood
    // there, the same when every archive writes what is there already, and
    // replaced otherwise. Archives that cannot be installed write nothing.
    struct Path {
        Kind first;
        int writers = 1;
        bool changedAgain = false;
    };
    QHash<QString, Path> paths;
    QStringList order;
    for (const PackagePreview& preview : m_previews) {
        if (!preview.problem.isEmpty())
            continue;
        for (const PackagePreview::File& file : preview.files) {
            const QString key = file.path.toCaseFolded();
            const auto found = paths.find(key);
            if (found == paths.end()) {
                paths.insert(key, Path{file.kind});
                order << key;
                continue;
            }
            ++found->writers;
            found->changedAgain = found->changedAgain || file.kind != Kind::Same;
        }
    }
    int counts[3] = {};
    int several = 0;
    for (const QString& key : order) {
        const Path& path = paths[key];
        const Kind kind =
            path.first == Kind::Add || !path.changedAgain ? path.first : Kind::Replace;
        ++counts[int(kind)];
        several += path.writers > 1 ? 1 : 0;
    }
    QString text =
        filesText(counts[int(Kind::Add)], counts[int(Kind::Replace)], counts[int(Kind::Same)]);
    if (several > 0)
        text += tr("; %Ln written by several of these archives, the one later in the list kept",
                   nullptr, several);
    return text;
}

QString PreviewSummary::archivesText() const {
    QStringList installed;
    QStringList unchanged;
    for (const Archive& archive : m_archives) {
        if (archive.unchanged)
            unchanged << archive.name;
        else if (archive.installable)
            installed << archive.name;
    }
    QStringList lines;
    if (!installed.isEmpty())
        lines << tr("To install: %1").arg(joined(installed));
    if (!unchanged.isEmpty())
        lines << tr("Left alone, already installed and unchanged: %1").arg(joined(unchanged));
    return lines.join(QLatin1Char('\n'));
}

QString PreviewSummary::conflictsText() const {
    QStringList installed;
    QStringList batch; // in list order
    for (const Archive& archive : m_archives) {
        for (const QString& name : archive.installedConflicts)
            addOnce(installed, name);
        if (!archive.batchConflicts.isEmpty())
            batch << archive.name;
    }
    if (installed.isEmpty() && batch.isEmpty())
        return tr("No conflicts: no file of an installed package is replaced, and no two of "
                  "these archives write the same file.");
    QStringList lines;
    if (!installed.isEmpty())
        lines << tr("Replaces files of installed packages: %1").arg(joined(installed));
    if (!batch.isEmpty())
        lines << tr("Archives of this install that write the same files (the one later in the "
                    "list wins): %1")
                     .arg(joined(batch));
    return lines.join(QLatin1Char('\n'));
}

QString PreviewSummary::problemsText() const {
    QStringList lines;
    for (const Archive& archive : m_archives) {
        if (!archive.installable)
            lines
                << tr("%1 cannot be installed: %2").arg(archive.name, archive.installable.reason());
    }
    return lines.join(QLatin1Char('\n'));
}

} // namespace packshelf
