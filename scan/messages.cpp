#include "scan/messages.h"

#include <QDir>

namespace scan::messages {

namespace {

QString describe(const FileProblem& problem) {
    return QDir::toNativeSeparators(problem.path) + QStringLiteral("\n") + problem.reason;
}

} // namespace

QString missingLogTitle() {
    return QStringLiteral("Can't find log file");
}

QString missingLogText() {
    return QStringLiteral("Sorry, I can't find your system log file. Make sure that the ") +
           QLatin1Char('"') + QStringLiteral("Write system log") + QLatin1Char('"') +
           QStringLiteral(" option is turned on in the QD menu, and that you're using version "
                          "3.6.1 or later of the Milvane control software.");
}

QString unreadableLogTitle() {
    return QStringLiteral("Can't read log file");
}

QString unreadableLogText(const FileProblem& problem) {
    return QStringLiteral("Sorry, I can't read your system log file:\n\n") + describe(problem) +
           QStringLiteral("\n\nNo times are shown, since they would be incomplete.");
}

QString tempFilesTitle() {
    return QStringLiteral("Can't write report files");
}

QString tempFilesText(const std::vector<FileProblem>& problems) {
    QString text = QStringLiteral("The cut times are complete, but the report files could not be "
                                  "written, so the reports can't be saved:");
    for (const FileProblem& problem : problems)
        text += QStringLiteral("\n\n") + describe(problem);
    return text;
}

} // namespace scan::messages
