#include "ui/InstallConfirmation.h"

#include <QDialog>
#include <QHeaderView>
#include <QLabel>
#include <algorithm>

#include "ui/MainWindow.h"
#include "ui_ConfirmSheet.h"

namespace packshelf {

namespace {
// Up to this many files the details open with every archive unfolded.
constexpr qsizetype UnfoldedFiles = 500;
} // namespace

InstallConfirmation::InstallConfirmation(MainWindow& window, QObject* parent)
    : QObject(parent)
    , m_ui(window.confirmControls())
    , m_sheet(window.confirmSheet()) {
    m_ui.mConfirmDetailsView->setModel(&m_details);
    QHeaderView* header = m_ui.mConfirmDetailsView->header();
    header->setStretchLastSection(false);
    header->setSectionResizeMode(PreviewDetailsModel::ActionColumn, QHeaderView::ResizeToContents);
    header->setSectionResizeMode(PreviewDetailsModel::PathColumn, QHeaderView::Stretch);
    header->setSectionResizeMode(PreviewDetailsModel::ConflictColumn,
                                 QHeaderView::ResizeToContents);
    // The sheet grows with the details and shrinks again without them.
    connect(m_ui.mConfirmDetailsButton, &QPushButton::toggled, this,
            [this] { MainWindow::fitSheetToContent(m_sheet); });
    // The texts are Tab stops, so that a screen reader reads what the install
    // does before the user reaches Install; each exposes its text as its
    // name, the description says which part of the question it is.
    for (QLabel* field : textFields()) {
        field->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        field->setFocusPolicy(Qt::StrongFocus);
    }
    connect(m_sheet, &QDialog::accepted, this, &InstallConfirmation::confirmed);
    connect(m_sheet, &QDialog::rejected, this, &InstallConfirmation::declined);
}

std::array<QLabel*, 5> InstallConfirmation::textFields() const {
    return {m_ui.mConfirmHeadline, m_ui.mConfirmArchivesField, m_ui.mConfirmTotalsField,
            m_ui.mConfirmConflictsField, m_ui.mConfirmProblemsField};
}

QString InstallConfirmation::headline(qsizetype archives) const {
    return tr("Install %Ln archive(s) into %1?", nullptr, int(archives)).arg(m_library);
}

bool InstallConfirmation::isOpen() const {
    return m_sheet->isVisible();
}

void InstallConfirmation::open(const QStringList& archives, const QString& library,
                               const QStringList& leftOut) {
    m_library = library;
    m_ui.mConfirmHeadline->setText(headline(archives.size()));
    m_ui.mConfirmArchivesField->setText(
        tr("To install: %1").arg(archives.join(QStringLiteral(", "))));
    m_ui.mConfirmTotalsField->setText(tr("Comparing the archives with the library…"));
    m_leftOut = leftOut.isEmpty()
                    ? QString()
                    : tr("Cannot be installed: %1").arg(leftOut.join(QStringLiteral(", ")));
    for (QLabel* field : {m_ui.mConfirmConflictsField, m_ui.mConfirmProblemsField}) {
        field->clear();
        field->hide();
    }
    m_ui.mConfirmProblemsField->setText(m_leftOut);
    m_ui.mConfirmProblemsField->setVisible(!m_leftOut.isEmpty());
    m_ui.mConfirmBusy->show();
    m_details.setSummary({});
    m_ui.mConfirmDetailsButton->setChecked(false);
    m_ui.mConfirmDetailsButton->setEnabled(false);
    m_ui.mConfirmInstallButton->setEnabled(false);
    m_sheet->open();
    // The question is heard first; Install comes only after the texts.
    m_ui.mConfirmHeadline->setFocus();
}

void InstallConfirmation::show(const PreviewSummary& summary) {
    m_ui.mConfirmBusy->hide();
    // The question counts what the install writes: archives left alone as
    // installed and unchanged, and those that cannot be installed, are not.
    m_ui.mConfirmHeadline->setText(
        headline(std::count_if(summary.archives().begin(), summary.archives().end(),
                               [](const PreviewSummary::Archive& archive) {
                                   return archive.installable && !archive.unchanged;
                               })));
    m_ui.mConfirmArchivesField->setText(summary.archivesText());
    m_ui.mConfirmTotalsField->setText(summary.totalsText());
    const QString conflicts = summary.conflictsText();
    m_ui.mConfirmConflictsField->setText(conflicts);
    m_ui.mConfirmConflictsField->setVisible(!conflicts.isEmpty());
    QStringList lines{m_leftOut, summary.problemsText()};
    lines.removeAll(QString());
    const QString problems = lines.join(QLatin1Char('\n'));
    m_ui.mConfirmProblemsField->setText(problems);
    m_ui.mConfirmProblemsField->setVisible(!problems.isEmpty());
    m_details.setSummary(summary);
    // An archive's row tells its totals across the whole width.
    for (int row = 0; row < m_details.rowCount(); ++row)
        m_ui.mConfirmDetailsView->setFirstColumnSpanned(row, {}, true);
    if (m_details.fileCount() <= UnfoldedFiles)
        m_ui.mConfirmDetailsView->expandAll();
    m_ui.mConfirmDetailsButton->setEnabled(true);
    m_ui.mConfirmInstallButton->setEnabled(true);
    MainWindow::fitSheetToContent(m_sheet);
    // The comparison is in: the focus moves to what the install does to
    // the library, so a screen reader says it, never to Install.
    m_ui.mConfirmTotalsField->setFocus();
}

} // namespace packshelf
