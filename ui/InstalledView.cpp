#include "ui/InstalledView.h"

#include <QDialog>
#include <QHeaderView>
#include <QTreeWidget>

#include "ui/ItemDescription.h"
#include "ui/MainWindow.h"
#include "ui/PlatformServices.h"
#include "ui_InstalledSheet.h"

namespace packshelf {

namespace {

enum Column { ArchiveColumn = 0, InstalledColumn = 1, FilesColumn = 2, ReplacedColumn = 3 };

// A row of `list`, which owns it.
QTreeWidgetItem* addPackageRow(QTreeWidget* list, const Manifest& manifest) {
    using Action = Manifest::File::Action;
    const int replaced = manifest.count(Action::Replaced);
    auto* row = new QTreeWidgetItem(
        list, QStringList{manifest.archive, installedWhen(manifest.installed),
                          QString::number(manifest.count(Action::New) + replaced),
                          QString::number(replaced)});
    for (int column : {FilesColumn, ReplacedColumn})
        row->setTextAlignment(column, Qt::AlignRight | Qt::AlignVCenter);
    return row;
}

// One paragraph per package: what was removed, put back, left to a later
// package, and kept because it changed since.
QString removalText(const LibraryAccess::Removal& removal) {
    if (!removal.found)
        return InstalledView::tr("%1 is no longer installed.").arg(removal.archive);
    const RemovalOutcome& outcome = removal.outcome;
    QStringList sentences{
        InstalledView::tr("%1 uninstalled.").arg(removal.archive),
        InstalledView::tr("%n file(s) removed.", nullptr, outcome.removed),
        InstalledView::tr("%n file(s) put back as they were before.", nullptr, outcome.restored)};
    if (outcome.handedOn > 0)
        sentences << InstalledView::tr("%n file(s) left to a later package that wrote over them.",
                                       nullptr, outcome.handedOn);
    QStringList lines{sentences.join(QLatin1Char(' '))};
    for (qsizetype i = 0; i < outcome.kept.size(); ++i) {
        const QString& reason = outcome.keptReasons.value(i);
        if (reason.startsWith(QLatin1String("changed since")))
            lines << InstalledView::tr("Kept, changed since the install: %1").arg(outcome.kept[i]);
        else
            lines << InstalledView::tr("Kept as it is: %1 (%2)").arg(outcome.kept[i], reason);
    }
    for (const QString& problem : removal.problems)
        lines << InstalledView::tr("Not done: %1").arg(problem);
    return lines.join(QLatin1Char('\n'));
}

} // namespace

InstalledView::InstalledView(MainWindow& window, LibraryAccess& library, PlatformServices& services,
                             QObject* parent)
    : QObject(parent)
    , m_ui(window.installedControls())
    , m_sheet(window.installedSheet())
    , m_library(library)
    , m_services(services) {
    QHeaderView* header = m_ui.mInstalledList->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(ArchiveColumn, QHeaderView::Stretch);
    for (int column : {InstalledColumn, FilesColumn, ReplacedColumn})
        header->setSectionResizeMode(column, QHeaderView::ResizeToContents);
    connect(m_ui.mUninstallButton, &QPushButton::clicked, this, &InstalledView::uninstallSelected);
    connect(m_ui.mInstalledList, &QTreeWidget::itemSelectionChanged, this,
            &InstalledView::enableUninstall);
}

bool InstalledView::isOpen() const {
    return m_sheet->isVisible();
}

void InstalledView::open(const QString& library) {
    m_shown = library;
    m_ui.mInstalledHeadline->setText(tr("Reading the library %1…").arg(library));
    m_ui.mInstalledList->clear();
    m_ui.mInstalledProblemsField->clear();
    m_ui.mUninstallResultField->clear();
    enableUninstall();
    m_sheet->open();
    m_ui.mInstalledList->setFocus();
}

void InstalledView::show(const LibraryAccess::Snapshot& snapshot) {
    if (!isOpen() || snapshot.library != m_shown)
        return;
    if (snapshot.missing)
        m_ui.mInstalledHeadline->setText(
            tr("The library folder %1 does not exist.").arg(snapshot.library));
    else if (!snapshot.problem.isEmpty())
        m_ui.mInstalledHeadline->setText(
            tr("The library cannot be read: %1").arg(snapshot.problem));
    else
        m_ui.mInstalledHeadline->setText(
            tr("%n package(s) installed in %1", nullptr, int(snapshot.manifests.size()))
                .arg(snapshot.library));
    showPackages(snapshot.manifests);
    QStringList problems;
    for (const QString& unreadable : snapshot.unreadable)
        problems << tr("Cannot be read, its package is unknown and left alone: %1").arg(unreadable);
    m_ui.mInstalledProblemsField->setText(problems.join(QLatin1Char('\n')));
}

// In the order they were installed.
void InstalledView::showPackages(const std::vector<Manifest>& manifests) {
    const QStringList selected = selectedArchives();
    QTreeWidget* list = m_ui.mInstalledList;
    list->clear();
    for (const Manifest& manifest : manifests)
        addPackageRow(list, manifest)->setSelected(selected.contains(manifest.archive));
    // Uninstall is at hand from the keyboard: something is always selected.
    if (list->topLevelItemCount() > 0 && list->selectedItems().isEmpty())
        list->setCurrentItem(list->topLevelItem(0));
    enableUninstall();
}

// The selection, the latest install first: uninstalled in that order, no
// file needs handing on from one to the next.
QStringList InstalledView::selectedArchives() const {
    QStringList archives;
    QTreeWidget* list = m_ui.mInstalledList;
    for (int row = list->topLevelItemCount() - 1; row >= 0; --row) {
        if (list->topLevelItem(row)->isSelected())
            archives << list->topLevelItem(row)->text(ArchiveColumn);
    }
    return archives;
}

void InstalledView::enableUninstall() {
    m_ui.mUninstallButton->setEnabled(!m_uninstalling && !selectedArchives().isEmpty());
}

void InstalledView::uninstallSelected() {
    const QStringList archives = selectedArchives();
    if (archives.isEmpty() || m_uninstalling)
        return;
    const QString question =
        tr("Uninstall %n package(s): %1? The files installed from them are removed from the "
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
                        [this](LibraryAccess::UninstallReport report) { uninstalled(report); });
}

void InstalledView::uninstalled(const LibraryAccess::UninstallReport& report) {
    m_uninstalling = false;
    QStringList paragraphs;
    if (!report.problem.isEmpty())
        paragraphs << tr("The library cannot be changed: %1").arg(report.problem);
    for (const LibraryAccess::Removal& removal : report.removals)
        paragraphs << removalText(removal);
    m_ui.mUninstallResultField->setText(paragraphs.join(QStringLiteral("\n")));
    enableUninstall();
    emit libraryChanged();
}

} // namespace packshelf
