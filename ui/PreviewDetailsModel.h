#pragma once

#include <QAbstractItemModel>

#include "ui/PreviewSummary.h"

namespace packshelf {

// Every file an install would write, under its archive: the action (add,
// replace, same), the path and the package it conflicts with. An archive's
// row says in its first column what it does in total. Read in
// place from the summary, so that a package of many thousand files costs
// only the rows on screen.
class PreviewDetailsModel : public QAbstractItemModel {
    Q_OBJECT
public:
    enum Column { ActionColumn = 0, PathColumn = 1, ConflictColumn = 2, ColumnCount = 3 };

    explicit PreviewDetailsModel(QObject* parent = nullptr);

    void setSummary(PreviewSummary summary);
    // The number of files listed, all archives together.
    qsizetype fileCount() const;

    QModelIndex index(int row, int column, const QModelIndex& parent = {}) const override;
    QModelIndex parent(const QModelIndex& child) const override;
    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QVariant headerData(int section, Qt::Orientation orientation,
                        int role = Qt::DisplayRole) const override;

private:
    QString archiveText(const PackagePreview& preview) const;
    QVariant fileCell(const PackagePreview& preview, const PackagePreview::File& file,
                      int column) const;
    QString conflictOf(const PackagePreview& preview, const PackagePreview::File& file) const;

    PreviewSummary m_summary;
};

} // namespace packshelf
