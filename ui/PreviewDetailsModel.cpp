#include "ui/PreviewDetailsModel.h"

namespace packshelf {

namespace {
// A file row carries its archive's row plus one; an archive row nothing.
constexpr quintptr ArchiveRow = 0;
} // namespace

PreviewDetailsModel::PreviewDetailsModel(QObject* parent)
    : QAbstractItemModel(parent) {}

void PreviewDetailsModel::setSummary(PreviewSummary summary) {
    beginResetModel();
    m_summary = std::move(summary);
    endResetModel();
}

qsizetype PreviewDetailsModel::fileCount() const {
    qsizetype files = 0;
    for (const PackagePreview& preview : m_summary.previews())
        files += qsizetype(preview.files.size());
    return files;
}

QModelIndex PreviewDetailsModel::index(int row, int column, const QModelIndex& parent) const {
    if (!hasIndex(row, column, parent))
        return {};
    return createIndex(row, column, parent.isValid() ? quintptr(parent.row()) + 1 : ArchiveRow);
}

QModelIndex PreviewDetailsModel::parent(const QModelIndex& child) const {
    if (!child.isValid() || child.internalId() == ArchiveRow)
        return {};
    return createIndex(int(child.internalId() - 1), 0, ArchiveRow);
}

int PreviewDetailsModel::rowCount(const QModelIndex& parent) const {
    const auto& previews = m_summary.previews();
    if (!parent.isValid())
        return int(previews.size());
    if (parent.internalId() != ArchiveRow || parent.column() != 0)
        return 0;
    return int(previews[std::size_t(parent.row())].files.size());
}

int PreviewDetailsModel::columnCount(const QModelIndex&) const {
    return ColumnCount;
}

QVariant PreviewDetailsModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::ToolTipRole))
        return {};
    const auto& previews = m_summary.previews();
    if (index.internalId() == ArchiveRow)
        return index.column() == 0 ? archiveText(previews[std::size_t(index.row())]) : QVariant();
    const PackagePreview& preview = previews[std::size_t(index.internalId() - 1)];
    return fileCell(preview, preview.files[std::size_t(index.row())], index.column());
}

QString PreviewDetailsModel::archiveText(const PackagePreview& preview) const {
    const PreviewSummary::Archive* archive = m_summary.archive(preview.archive);
    if (!archive || !archive->installable)
        return tr("%1 — cannot be installed: %2").arg(preview.archive, preview.problem);
    if (archive->unchanged)
        return tr("%1 — already installed and unchanged: left alone").arg(preview.archive);
    return tr("%1 — %2").arg(
        preview.archive,
        PreviewSummary::filesText(archive->added, archive->replaced, archive->same));
}

QVariant PreviewDetailsModel::fileCell(const PackagePreview& preview,
                                       const PackagePreview::File& file, int column) const {
    switch (column) {
    case ActionColumn:
        return PreviewSummary::actionText(file.kind);
    case PathColumn:
        return file.path;
    case ConflictColumn:
        return conflictOf(preview, file);
    default:
        return {};
    }
}

// One vocabulary for every file: it is added, replaces its owner's file,
// is the same as its owner's, or was written before by an earlier archive
// of this install, whatever the library holds now.
QString PreviewDetailsModel::conflictOf(const PackagePreview& preview,
                                        const PackagePreview::File& file) const {
    using Kind = PreviewSummary::Kind;
    QStringList parts;
    const QString earlier = m_summary.earlierWriter(preview.archive, file.path);
    if (!earlier.isEmpty())
        parts << tr("written before by %1, earlier in this install").arg(earlier);
    else if (file.kind == Kind::Replace)
        parts << (file.owner.isEmpty() ? tr("replaces a file no package installed")
                                       : tr("replaces the file of %1").arg(file.owner));
    else if (file.kind == Kind::Same && !file.owner.isEmpty())
        parts << tr("the same as the file of %1").arg(file.owner);
    if (!file.overwrittenBy.isEmpty())
        parts << tr("written again by %1, later in this install").arg(file.overwrittenBy);
    return parts.join(QStringLiteral("; "));
}

QVariant PreviewDetailsModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole)
        return {};
    switch (section) {
    case ActionColumn:
        return tr("Action");
    case PathColumn:
        return tr("Path");
    case ConflictColumn:
        return tr("Conflict");
    default:
        return {};
    }
}

} // namespace packshelf
