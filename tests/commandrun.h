#pragma once

#include "cli/reportcommand.h"
#include "platform/environment.h"

#include <QBuffer>
#include <QStringList>

// One run of runtally-report, with its standard output and error caught.
struct CommandRun {
    int status;
    QByteArray out;
    QByteArray err;
};

inline CommandRun runCommand(platform::Environment& environment, QStringList arguments,
                             QIODevice* out = nullptr) {
    QBuffer outBuffer, errBuffer;
    outBuffer.open(QIODevice::WriteOnly);
    errBuffer.open(QIODevice::WriteOnly);
    arguments.prepend(QStringLiteral("runtally-report"));
    const int status =
        cli::runReportCommand(arguments, {out ? *out : outBuffer, errBuffer, false}, environment);
    return {status, outBuffer.data(), errBuffer.data()};
}
