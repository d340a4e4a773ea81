#include "ui/InstalledView.h"

#include <QStyle>

#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QHeaderView>
#include <QLineEdit>
#include <QLocale>
#include <QSet>
#include <QTreeView>
#include <algorithm>

#include "analysis/DirectoryListing.h"
#include "ui/ContentListProxy.h"
#include "ui/ItemDescription.h"
#include "ui/MainWindow.h"
#include "ui/PlatformServices.h"
#include "ui_InstalledSheet.h"

namespace packshelf {

namespace {

enum Column {
    ArchiveColumn = 0,
    InstalledColumn = 1,
    FilesColumn = 2,
    ReplacedColumn = 3,
    SizeColumn = 4,
    ColumnCount = 5
};
// What a column sorts by: the install order, counts and bytes as numbers.
constexpr int SortRole = Qt::UserRole;

// The order and the filter of the packages shown. Archive names sort as
// the source list does; ties keep the install order.
class PackageView : public QSortFilterProxyModel {
public:
    using QSortFilterProxyModel::QSortFilterProxyModel;

    void setNeedle(const QString& text) {
        m_needle = ContentListProxy::folded(text);
        invalidateRowsFilter();
    }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        if (left.column() == ArchiveColumn)
            return fileNameOrderLess(left.data().toString(), right.data().toString());
        return left.data(SortRole).toULongLong() < right.data(SortRole).toULongLong();
    }
    bool filterAcceptsRow(int row, const QModelIndex& parent) const override {
        const QString archive = sourceModel()->index(row, ArchiveColumn, parent).data().toString();
        return m_needle.isEmpty() || ContentListProxy::folded(archive).contains(m_needle);
    }

private:
    QString m_needle;
};

quint64 writtenBytes(const Manifest& manifest) {
    quint64 bytes = 0;
    for (const Manifest::File& file : manifest.files) {
        if (file.written())
            bytes += file.size;
    }
    return bytes;
}

QStandardItem* cell(const QString& text, const QVariant& order) {
    auto* item = new QStandardItem(text);
    item->setData(order, SortRole);
    return item;
}

QStandardItem* countCell(quint64 count) {
    QStandardItem* item = cell(QLocale().toString(count), count);
    item->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    return item;
}

// A row of `model`, which owns its cells.
void addPackageRow(QStandardItemModel& model, const Manifest& manifest) {
    using Action = Manifest::File::Action;
    const int replaced = manifest.count(Action::Replaced);
    const quint64 bytes = writtenBytes(manifest);
    QStandardItem* size = cell(readableSize(bytes), bytes);
    size->setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    model.appendRow({cell(manifest.archive, manifest.sequence),
                     cell(installedWhen(manifest.installed), manifest.sequence),
                     countCell(quint64(manifest.count(Action::New) + replaced)),
                     countCell(quint64(replaced)), size});
}

// One paragraph per package: what was removed, put back, left to a later
// package, and kept because it changed since.
QString removalText(const LibraryJobs::Removal& removal) {
    if (!removal.found)
        return InstalledView::tr("%1 is no longer installed.").arg(removal.archive);
    if (!removal.problems.isEmpty())
        return InstalledView::tr("%1 not uninstalled: %2")
            .arg(removal.archive, removal.problems.join(QLatin1Char(' ')));
    if (!removal.outcome.needsConfirmation.isEmpty())
        return InstalledView::tr("%1 not uninstalled: it is in %2, outside the library.")
            .arg(removal.archive, removal.outcome.needsConfirmation);
    const RemovalOutcome& outcome = removal.outcome;
    QStringList sentences{
        InstalledView::tr("%1 uninstalled.").arg(removal.archive),
        InstalledView::tr("%Ln file(s) removed.", nullptr, outcome.removed),
        InstalledView::tr("%Ln file(s) put back as they were before.", nullptr, outcome.restored)};
    if (outcome.handedOn > 0)
        sentences << InstalledView::tr("%Ln file(s) left to a later package that wrote over them.",
                                       nullptr, outcome.handedOn);
    QStringList lines{sentences.join(QLatin1Char(' '))};
    for (qsizetype i = 0; i < outcome.kept.size(); ++i) {
        const QString& reason = outcome.keptReasons.value(i);
        if (reason.startsWith(QLatin1String("changed since")))
            lines << InstalledView::tr("Kept, changed since the install: %1").arg(outcome.kept[i]);
        else
            lines << InstalledView::tr("Kept as it is: %1 (%2)").arg(outcome.kept[i], reason);
    }
    for (qsizetype i = 0; i < outcome.originalsOf.size(); ++i)
        lines << InstalledView::tr("Your earlier version of %1 is beside it: %2")
                     .arg(outcome.originalsOf[i], outcome.originalsAt[i]);
    for (const QString& warning : outcome.warnings)
        lines << InstalledView::tr("Not as it should be: %1").arg(warning);
    for (const QString& problem : removal.problems)
        lines << InstalledView::tr("Not done: %1").arg(problem);
    return lines.join(QLatin1Char('\n'));
}

// What verifying one package found, in a line: the counts, then the files.
QString checkText(const PackageCheck& check) {
    using State = FileCheck::State;
    QStringList counts;
    for (const State state : {State::Changed, State::Missing, State::NotAFile, State::Unreadable}) {
        if (check.count(state) > 0)
            counts << InstalledView::tr("%1 %2").arg(QLocale().toString(check.count(state)),
                                                     fileStateName(state));
    }
    QStringList files;
    for (const FileCheck& file : check.files)
        files << InstalledView::tr("%1 (%2)").arg(file.path, fileStateName(file.state));
    return InstalledView::tr("%1 is not as installed: %2. %3")
        .arg(check.archive, counts.join(QStringLiteral(", ")), files.join(QStringLiteral("; ")));
}

} // namespace

InstalledView::InstalledView(MainWindow& window, LibraryJobs& library, PlatformServices& services,
                             QObject* parent)
    : QObject(parent)
    , m_ui(window.installedControls())
    , m_sheet(window.installedSheet())
    , m_library(library)
    , m_services(services)
    , m_view(new PackageView(this)) {
    m_packages.setHorizontalHeaderLabels(
        {tr("Archive"), tr("Installed"), tr("Files"), tr("Replaced"), tr("Size")});
    m_view->setSourceModel(&m_packages);
    QTreeView* list = m_ui.mInstalledList;
    list->setModel(m_view);
    list->sortByColumn(InstalledColumn, Qt::AscendingOrder);
    QHeaderView* header = list->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ArchiveColumn, QHeaderView::Stretch);
    for (int column : {InstalledColumn, FilesColumn, ReplacedColumn, SizeColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(m_ui.mUninstallButton, &QPushButton::clicked, this, &InstalledView::uninstallSelected);
    connect(m_ui.mVerifyButton, &QPushButton::clicked, this, &InstalledView::verify);
    connect(m_ui.mRepairButton, &QPushButton::clicked, this, &InstalledView::repairSelected);
    connect(list->selectionModel(), &QItemSelectionModel::selectionChanged, this,
            &InstalledView::enableUninstall);
    connect(m_ui.mInstalledFilterField, &QLineEdit::textChanged, this, [this](const QString& text) {
        static_cast<PackageView*>(m_view)->setNeedle(text);
        keepSelection(selectedArchives(), 0);
    });
}

bool InstalledView::isOpen() const {
    return m_sheet->isVisible();
}

void InstalledView::open(const QString& library) {
    m_shown = library;
    m_ui.mInstalledHeadline->setText(tr("Reading the library %1…").arg(library));
    m_packages.removeRows(0, m_packages.rowCount());
    m_ui.mInstalledFilterField->clear();
    m_ui.mInstalledProblemsField->clear();
    m_ui.mUninstallResultField->clear();
    m_notAsInstalled.clear();
    enableUninstall();
    m_sheet->open();
    m_ui.mInstalledList->setFocus();
}

void InstalledView::show(const LibraryJobs::Snapshot& snapshot) {
    if (!isOpen() || snapshot.library != m_shown)
        return;
    if (snapshot.missing)
        m_ui.mInstalledHeadline->setText(
            tr("The library folder %1 does not exist.").arg(snapshot.library));
    else if (!snapshot.opened)
        m_ui.mInstalledHeadline->setText(
            tr("The library cannot be read: %1").arg(snapshot.opened.reason()));
    else
        m_ui.mInstalledHeadline->setText(
            tr("%Ln package(s) installed in %1", nullptr, int(snapshot.manifests.size()))
                .arg(snapshot.library));
    showPackages(snapshot.manifests);
    QStringList problems;
    for (const QString& unreadable : snapshot.unreadable)
        problems << tr("Cannot be read, its package is unknown and left alone: %1").arg(unreadable);
    m_ui.mInstalledProblemsField->setText(problems.join(QLatin1Char('\n')));
}

void InstalledView::showPackages(const std::vector<Manifest>& manifests) {
    const QStringList selected = selectedArchives();
    const QModelIndexList rows = m_ui.mInstalledList->selectionModel()->selectedRows();
    const auto first = std::min_element(
        rows.begin(), rows.end(), [](const auto& a, const auto& b) { return a.row() < b.row(); });
    m_packages.removeRows(0, m_packages.rowCount());
    for (const Manifest& manifest : manifests)
        addPackageRow(m_packages, manifest);
    markUnverified();
    keepSelection(selected, first == rows.end() ? 0 : first->row());
}

void InstalledView::keepSelection(const QStringList& wanted, int row) {
    QTreeView* list = m_ui.mInstalledList;
    QItemSelectionModel* selection = list->selectionModel();
    const QSet<QString> keep(wanted.begin(), wanted.end());
    QItemSelection rows;
    for (int shown = 0; shown < m_view->rowCount(); ++shown) {
        const QModelIndex index = m_view->index(shown, ArchiveColumn);
        if (keep.contains(index.data().toString()))
            rows.select(index, index);
    }
    // One change for the whole selection, however many rows it holds.
    selection->select(rows, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Uninstall is at hand from the keyboard: something is always selected.
    if (m_view->rowCount() > 0 && !selection->hasSelection())
        list->setCurrentIndex(m_view->index(std::min(row, m_view->rowCount() - 1), ArchiveColumn));
    enableUninstall();
}

// The selection, the latest install first: uninstalled in that order, no
// file needs handing on from one to the next.
QStringList InstalledView::selectedArchives() const {
    QModelIndexList rows = m_ui.mInstalledList->selectionModel()->selectedRows(ArchiveColumn);
    std::sort(rows.begin(), rows.end(), [](const QModelIndex& a, const QModelIndex& b) {
        return a.data(SortRole).toLongLong() > b.data(SortRole).toLongLong();
    });
    QStringList archives;
    for (const QModelIndex& row : rows)
        archives << row.data().toString();
    return archives;
}

void InstalledView::enableUninstall() {
    m_ui.mUninstallButton->setEnabled(!m_uninstalling && !selectedArchives().isEmpty());
    const bool busy = m_uninstalling || m_verifying || m_repairing;
    m_ui.mVerifyButton->setEnabled(!busy && m_packages.rowCount() > 0);
    const QStringList selected = selectedArchives();
    m_ui.mRepairButton->setEnabled(!busy && !selected.isEmpty() && archivesAtHand(selected));
}

void InstalledView::setFolders(const QString& source, const QString& work) {
    m_source = source;
    m_work = work;
}

// Repair takes a package's files from its archive in the source folder.
bool InstalledView::archivesAtHand(const QStringList& archives) const {
    if (m_source.isEmpty())
        return false;
    const QDir source(m_source);
    return std::all_of(archives.begin(), archives.end(), [&](const QString& archive) {
        return QFileInfo(source.filePath(archive)).isFile();
    });
}

void InstalledView::repairSelected() {
    const QStringList archives = selectedArchives();
    if (archives.isEmpty() || m_repairing || m_uninstalling || !archivesAtHand(archives))
        return;
    const QString question =
        tr("Repair %Ln package(s): %1? Their changed and missing files are written again from "
           "their archives; a version of yours is first kept in the library's records folder.",
           nullptr, int(archives.size()))
            .arg(archives.join(QStringLiteral(", ")));
    if (!m_services.confirm(m_sheet, tr("Repair"), question))
        return;
    m_repairing = true;
    enableUninstall();
    m_ui.mUninstallResultField->setText(tr("Repairing…"));
    m_library.repair(m_shown, archives, m_source, m_work,
                     [this](LibraryJobs::Repairing repairing) { repaired(repairing); });
}

void InstalledView::repaired(const LibraryJobs::Repairing& repairing) {
    m_repairing = false;
    QStringList lines;
    if (!repairing.status)
        lines << tr("The library cannot be changed: %1").arg(repairing.status.reason());
    for (const RepairOutcome& outcome : repairing.report.packages) {
        if (!outcome.needsConfirmation.isEmpty() &&
            m_services.confirm(m_sheet, tr("Repair"),
                               tr("%1 was installed into %2, outside the library, and nothing "
                                  "shows that PackShelf recorded it for you. Repair it there?")
                                   .arg(outcome.archive, outcome.needsConfirmation))) {
            m_repairing = true;
            m_library.repair(m_shown, {outcome.archive}, m_source, m_work,
                             [this](LibraryJobs::Repairing again) { repaired(again); },
                             {outcome.needsConfirmation});
            return;
        }
        if (!outcome.problem.isEmpty()) {
            lines << tr("%1 not repaired: %2").arg(outcome.archive, outcome.problem);
            continue;
        }
        lines << tr("%1: %Ln file(s) written again.", nullptr, outcome.rewritten)
                     .arg(outcome.archive);
        for (qsizetype i = 0; i < outcome.keptFrom.size(); ++i)
            lines << tr("Your version of %1 is kept as %2")
                         .arg(outcome.keptFrom[i], outcome.keptAs.value(i));
        if (outcome.repaired())
            m_notAsInstalled.remove(outcome.archive);
    }
    m_ui.mUninstallResultField->setText(lines.join(QLatin1Char('\n')));
    markUnverified();
    enableUninstall();
    emit libraryChanged();
}

// Checks every package's files against its record, off the main thread and
// writing nothing.
void InstalledView::verify() {
    if (m_verifying || m_uninstalling)
        return;
    m_verifying = true;
    enableUninstall();
    m_ui.mUninstallResultField->setText(tr("Verifying every installed file…"));
    m_library.verify(m_shown, [this, library = m_shown](LibraryJobs::Verification verification) {
        m_verifying = false;
        if (library == m_shown)
            verified(verification);
        enableUninstall();
    });
}

void InstalledView::verified(const LibraryJobs::Verification& verification) {
    m_notAsInstalled.clear();
    QStringList lines;
    if (!verification.status)
        lines << tr("The library cannot be read: %1").arg(verification.status.reason());
    for (const PackageCheck& check : verification.report.packages) {
        if (!check.asInstalled())
            m_notAsInstalled.insert(check.archive, checkText(check));
    }
    for (const QString& problem : verification.report.problems)
        lines << tr("Cannot be read: %1").arg(problem);
    if (verification.status && m_notAsInstalled.isEmpty())
        lines << tr("Every file of %Ln package(s) is as its install wrote it.", nullptr,
                    int(verification.report.packages.size()));
    for (const PackageCheck& check : verification.report.packages) {
        if (!check.asInstalled())
            lines << m_notAsInstalled.value(check.archive);
    }
    m_ui.mUninstallResultField->setText(lines.join(QLatin1Char('\n')));
    markUnverified();
}

// A package the last verification found not as installed carries a warning
// sign, and what was found in its tooltip and for screen readers.
void InstalledView::markUnverified() {
    const QIcon warning = m_sheet->style()->standardIcon(QStyle::SP_MessageBoxWarning);
    for (int row = 0; row < m_packages.rowCount(); ++row) {
        QStandardItem* archive = m_packages.item(row, ArchiveColumn);
        const QString found = m_notAsInstalled.value(archive->text());
        archive->setIcon(found.isEmpty() ? QIcon() : warning);
        archive->setToolTip(found);
        archive->setData(found.isEmpty() ? QVariant() : QVariant(tr("not as installed")),
                         Qt::AccessibleDescriptionRole);
    }
}

void InstalledView::uninstallSelected() {
    const QStringList archives = selectedArchives();
    if (archives.isEmpty() || m_uninstalling)
        return;
    const QString question =
        tr("Uninstall %Ln package(s): %1? The files installed from them are removed from the "
           "library and the files they replaced are put back; a file changed since the install "
           "is kept.",
           nullptr, int(archives.size()))
            .arg(archives.join(QStringLiteral(", ")));
    if (!m_services.confirm(m_sheet, tr("Uninstall"), question))
        return;
    m_uninstalling = true;
    enableUninstall();
    m_ui.mUninstallResultField->setText(tr("Uninstalling…"));
    m_library.uninstall(m_shown, archives,
                        [this](LibraryJobs::UninstallReport report) { uninstalled(report); });
}

void InstalledView::uninstalled(const LibraryJobs::UninstallReport& report) {
    m_uninstalling = false;
    // A package outside the library is uninstalled there only when the
    // user says so, for that folder.
    for (const LibraryJobs::Removal& removal : report.removals) {
        const QString folder = removal.outcome.needsConfirmation;
        if (!folder.isEmpty() &&
            m_services.confirm(m_sheet, tr("Uninstall"),
                               tr("%1 was installed into %2, outside the library, and nothing "
                                  "shows that PackShelf recorded it for you. Uninstall it there?")
                                   .arg(removal.archive, folder))) {
            m_uninstalling = true;
            m_library.uninstall(m_shown, {removal.archive},
                                [this](LibraryJobs::UninstallReport again) { uninstalled(again); },
                                {folder});
            return;
        }
    }
    QStringList paragraphs;
    if (!report.opened)
        paragraphs << tr("The library cannot be changed: %1").arg(report.opened.reason());
    for (const LibraryJobs::Removal& removal : report.removals)
        paragraphs << removalText(removal);
    m_ui.mUninstallResultField->setText(paragraphs.join(QStringLiteral("\n")));
    enableUninstall();
    emit libraryChanged();
}

} // namespace packshelf
