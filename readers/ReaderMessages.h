#pragma once

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <optional>

#include "analysis/Analyzer.h"
#include "core/Result.h"

// The messages between the application and a reader process, one per
// frame (ReaderChannel): the reader's greeting, a job to analyse, and the
// job's outcome. The application checks everything a reader says, as a
// reader that read a hostile archive may say anything: only the keys the
// analysis writes are taken from it, each of the type and the values the
// analysis gives it, and a tree only as deep as the analysis makes one.
namespace packshelf::readerwire {

inline constexpr quint32 ProtocolVersion = 3;

// What a reader says once it has started: the protocol it speaks and how
// it is confined ("Landlock ABI 7: ..." or why it is not).
struct Hello {
    quint32 version = ProtocolVersion;
    QString confinement;
};

QByteArray encodeHello(const Hello& hello);
Result<Hello> decodeHello(QByteArrayView message);

// The translation of the engine's texts the application uses (a .qm
// file's bytes), sent before the first job when it has one, so that the
// reasons a reader gives come in the application's language.
QByteArray encodeTranslation(const QByteArray& qm);
// The translation `message` carries; nothing when it is another message.
std::optional<QByteArray> translationIn(QByteArrayView message);

// What a reader needs of a job: the archive (the record's file name, with
// its bytes) and the option. The source and work folders are the reader's
// own, given when it started.
QByteArray encodeRequest(const AnalyzerJob& job);
// The job as the reader runs it: an archive of `sourceFolder`, read with
// `workFolder` as its work folder.
Result<AnalyzerJob> decodeRequest(QByteArrayView message, const QString& sourceFolder,
                                  const QString& workFolder);

// The outcome of a job: the analysis's keys of the record it hands back.
QByteArray encodeOutcome(const ArchiveItem& analysed);
// `record` (the application's own copy of the job's record) with the
// analysis's keys as the outcome gives them, or why the outcome cannot be
// taken.
Result<ArchiveItem> decodeOutcome(QByteArrayView message, ArchiveItem record);

} // namespace packshelf::readerwire
