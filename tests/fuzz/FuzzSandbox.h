#pragma once

#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QStringList>
#include <QTemporaryDir>
#include <cstdio>
#include <cstdlib>

// The folders a fuzz target works in: outer/inner holds the input archive
// and the work folder. After every input, outer must hold nothing but inner,
// inner nothing but the input and an empty work folder, and no symbolic
// link may exist anywhere below outer; otherwise the target aborts, which
// libFuzzer reports as a crash.
class FuzzSandbox {
public:
    FuzzSandbox() {
        // The archive layer's log lines would only slow the fuzzer down.
        QLoggingCategory::setFilterRules(QStringLiteral("packshelf.*=false"));
        QDir().mkpath(work());
        QDir().mkpath(source());
    }
    QString outer() const { return m_dir.filePath("outer"); }
    QString inner() const { return outer() + "/inner"; }
    QString source() const { return inner() + "/source"; }
    QString work() const { return inner() + "/work"; }
    QString archive() const { return source() + "/input.zip"; }

    void writeInput(const uint8_t* data, size_t size) const {
        QFile file(archive());
        if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate))
            std::abort();
        file.write(reinterpret_cast<const char*>(data), qint64(size));
    }

    void checkNothingEscaped() const {
        expectEntries(outer(), {"inner"});
        expectEntries(inner(), {"source", "work"});
        expectEntries(source(), {"input.zip"});
        expectEntries(work(), {});
    }

private:
    static void expectEntries(const QString& folder, const QStringList& expected) {
        const QStringList found = QDir(folder).entryList(
            QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
        if (found != expected) {
            std::fprintf(stderr, "unexpected entries in %s: %s\n", qPrintable(folder),
                         qPrintable(found.join(", ")));
            std::abort();
        }
        for (const QString& name : found) {
            if (QFileInfo(folder + "/" + name).isSymLink()) {
                std::fprintf(stderr, "symbolic link created: %s/%s\n", qPrintable(folder),
                             qPrintable(name));
                std::abort();
            }
        }
    }

    QTemporaryDir m_dir;
};
