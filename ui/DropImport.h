#pragma once

#include <QObject>
#include <QString>
#include <QStringList>

#include "core/Warnings.h"

class QWidget;

namespace packshelf {

class MainThreadCall;
struct PlatformServices;

// Archives dropped on the window: copied into the source folder off the
// main thread, after asking before one replaces a file there; other files
// are refused with their names.
class DropImport : public QObject {
    Q_OBJECT
public:
    DropImport(QWidget& window, PlatformServices& services, MainThreadCall& mainThread,
               QObject* parent = nullptr);

    // Copies `archives` and names `others`, the files dropped with them
    // that are not archives, in the line that ends the drop.
    void import(const QStringList& archives, const QStringList& others,
                const QString& sourceFolder);
    // Whether a copy is still under way.
    bool busy() const { return m_running > 0; }

signals:
    void said(const QString& what);
    void refused(const QString& why);
    // A copy has ended (the folder may have changed).
    void copied();

private:
    QStringList confirmedOnes(const QStringList& paths, const QString& sourceFolder) const;
    static QString notAdded(const QStringList& others);
    void ended(qsizetype count, const Warnings& failures, const QString& othersLine);

    QWidget& m_window;
    PlatformServices& m_services;
    MainThreadCall& m_mainThread;
    int m_running = 0;
};

} // namespace packshelf
