#include "readers/ReaderService.h"

#include <QByteArray>
#include <csignal>
#include <cstdio>

#include "archive/ArchiveKeyring.h"
#include "core/EngineText.h"
#include "readers/ReaderChannel.h"
#include "readers/ReaderMessages.h"

namespace packshelf {

namespace {

// The test hook for the archive `fileName`, if one is set for it.
void testHook(const QString& fileName) {
    static const QString hook = qEnvironmentVariable("PACKSHELF_READER_TEST");
    if (hook.isEmpty())
        return;
    if (hook == QLatin1String("crash:") + fileName) {
        // As a decoder's crash ends it, also where a sanitizer would catch
        // the signal and abort instead.
        std::signal(SIGSEGV, SIG_DFL);
        std::raise(SIGSEGV);
    } else if (hook == QLatin1String("stop:") + fileName)
        std::raise(SIGSTOP);
}

} // namespace

int serveReader(ReaderChannel& channel, const QString& sourceFolder, const QString& workFolder,
                const QString& confinement) {
    if (!channel.send(readerwire::encodeHello({readerwire::ProtocolVersion, confinement}),
                      std::nullopt))
        return 1;
    for (;;) {
        ReaderChannel::Received request = channel.receive(std::nullopt);
        if (request.ending == ReaderChannel::Ending::Closed)
            return 0;
        if (request.ending != ReaderChannel::Ending::Message) {
            std::fprintf(stderr, "packshelf-reader: %s\n", qPrintable(request.problem));
            return 1;
        }
        if (const std::optional<QByteArray> qm = readerwire::translationIn(request.message)) {
            EngineText::useTranslation(*qm);
            continue;
        }
        Result<AnalyzerJob> job =
            readerwire::decodeRequest(request.message, sourceFolder, workFolder);
        if (!job) {
            std::fprintf(stderr, "packshelf-reader: %s\n", qPrintable(job.reason()));
            return 1;
        }
        testHook(job->data.fileName());
        ArchiveKeyring::shared().setPasswordsForAll(std::move(job->passwords));
        QByteArray outcome;
        analyzerThread(std::move(*job), [&outcome](AnalyzerReport report) {
            outcome = readerwire::encodeOutcome(report.data);
        });
        if (!channel.send(outcome, std::nullopt))
            return 1;
    }
}

} // namespace packshelf
