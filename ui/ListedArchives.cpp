#include "ui/ListedArchives.h"

#include <QFile>

#include "analysis/SourceScan.h"

namespace packshelf {

void ListedArchives::forget(const QStringList& fileNames) {
    for (const QString& name : fileNames)
        m_stamps.remove(name);
}

std::vector<ArchiveItem> ListedArchives::itemsOf(const SourceScan& scan,
                                                 const QString& sourceFolder, bool following,
                                                 const QSet<QString>& leftOut,
                                                 std::vector<ArchiveItem> previous) {
    QHash<QString, ArchiveItem*> analysed;
    QSet<QString> present;
    for (ArchiveItem& item : previous) {
        present.insert(item.fileName());
        if (item.state() != ItemState::New)
            analysed.insert(item.fileName(), &item);
    }
    const QByteArray folder = QFile::encodeName(sourceFolder) + '/';
    QHash<QString, FileStamp> stamps;
    std::vector<ArchiveItem> items;
    items.reserve(std::size_t(scan.fileNames.size()));
    for (qsizetype i = 0; i < scan.fileNames.size(); ++i) {
        const QString& name = scan.fileNames[i];
        if (leftOut.contains(name))
            continue;
        const FileStamp stamp = FileStamp::of(folder + scan.nativeNames[i]);
        stamps.insert(name, stamp);
        const bool unchanged = m_stamps.value(name) == stamp;
        if (following && unchanged && !present.contains(name))
            continue;
        if (following && unchanged && analysed.contains(name))
            items.push_back(std::move(*analysed.value(name)));
        else
            items.push_back(ArchiveItem::create(name, scan.nativeNames[i]));
    }
    m_stamps = std::move(stamps);
    return items;
}

QString ListedArchives::emptyListText(SourceProblem problem, const QString& source) const {
    switch (problem) {
    case SourceProblem::NotChosen:
        return tr("Choose the folder that holds your downloaded archives (zip, 7z or RAR), the "
                  "library to install them into and a work folder. PackShelf then looks into "
                  "every archive and tells you what it would install.");
    case SourceProblem::Missing:
        return tr("The source folder %1 does not exist. Choose another folder, or connect the "
                  "drive that holds it.")
            .arg(source);
    case SourceProblem::Unreadable:
        return tr("The source folder %1 cannot be read.").arg(source);
    case SourceProblem::None:
        break;
    }
    if (!m_stamps.isEmpty())
        return tr("Nothing is left to install from %1: every archive there has been installed "
                  "or dropped. Archives that arrive there appear here.")
            .arg(source);
    return tr("There are no zip archives in %1 yet. Save or drag archives there: they "
              "appear here as they arrive.")
        .arg(source);
}

} // namespace packshelf
