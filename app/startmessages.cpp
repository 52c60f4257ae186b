#include "app/startmessages.h"

namespace startMessages {

QString unreadableLogTitle() {
    return QStringLiteral("Can't read log file");
}

QString unreadableLogText(const io::FileProblem& problem) {
    return QStringLiteral("Sorry, I can't read your system log file:\n\n") + io::describe(problem) +
           QStringLiteral("\n\nNo times are shown, since they would be incomplete.");
}

QString tempFilesTitle() {
    return QStringLiteral("Can't write report files");
}

QString tempFilesText(const std::vector<io::FileProblem>& problems) {
    QString text = QStringLiteral("The cut times are complete, but the report files could not be "
                                  "written, so the reports can't be saved:");
    for (const io::FileProblem& problem : problems)
        text += QStringLiteral("\n\n") + io::describe(problem);
    return text;
}

} // namespace startMessages
