#pragma once

#include <QObject>
#include <QString>
#include <array>

#include "ui/PreviewDetailsModel.h"
#include "ui/PreviewSummary.h"

class QDialog;
class QLabel;

namespace Ui {
class ConfirmSheet;
}

namespace packshelf {

class MainWindow;

// The sheet that asks before an install: the archives it installs and those
// it leaves alone as already installed, the files they
// add, replace and leave the same in total, the packages they conflict
// with, the archives that cannot be installed and why, and on request
// every file. It opens while the comparison with the library still runs;
// Install is offered once the comparison is shown. The focus is on the
// question, then on the totals: a screen reader hears what the install does
// before anyone reaches Install.
class InstallConfirmation : public QObject {
    Q_OBJECT
public:
    explicit InstallConfirmation(MainWindow& window, QObject* parent = nullptr);

    // `archives` are those of the install, in its order; `leftOut` names
    // the listed archives that are not installed, each with why ("name
    // (reason)"). Once shown, the comparison tells which of the archives
    // are left alone as installed and unchanged.
    void open(const QStringList& archives, const QString& library, const QStringList& leftOut);
    void show(const PreviewSummary& summary);
    bool isOpen() const;

signals:
    void confirmed();
    void declined();

private:
    // The sheet's texts, question first.
    std::array<QLabel*, 5> textFields() const;
    QString headline(qsizetype archives) const;

    Ui::ConfirmSheet& m_ui;
    QDialog* m_sheet;
    PreviewDetailsModel m_details;
    QString m_leftOut; // the line naming the archives left out, if any
    QString m_library;
};

} // namespace packshelf
