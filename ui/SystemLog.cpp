#include "ui/SystemLog.h"

#include <QByteArray>
#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <syslog.h>

namespace packshelf {

namespace {

QtMessageHandler previousHandler = nullptr;

bool isOwnDiagnostic(QtMsgType type, const QMessageLogContext& context) {
    return (type == QtDebugMsg || type == QtInfoMsg) && context.category &&
           QByteArray(context.category).startsWith("packshelf.");
}

void handle(QtMsgType type, const QMessageLogContext& context, const QString& message) {
    if (!isOwnDiagnostic(type, context)) {
        if (previousHandler)
            previousHandler(type, context, message);
        else
            std::fprintf(stderr, "%s\n", qPrintable(qFormatLogMessage(type, context, message)));
        return;
    }
    // The text is data, never the format.
    ::syslog(type == QtDebugMsg ? LOG_DEBUG : LOG_INFO, "%s: %s", context.category,
             message.toUtf8().constData());
}

} // namespace

void SystemLog::install() {
    ::openlog("packshelf", LOG_PID, LOG_USER);
    previousHandler = qInstallMessageHandler(handle);
}

} // namespace packshelf
