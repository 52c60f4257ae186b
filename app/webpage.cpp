#include "app/webpage.h"

#include <QDir>

namespace webpage {

QString pagePath(const QString& folder) {
    return folder + QDir::separator() + QStringLiteral("report.html");
}

QString problemTitle() {
    return QStringLiteral("Can't show the web page");
}

QString writeProblemText(const io::FileProblem& problem) {
    return QStringLiteral("The web page could not be written.\n\n%1: %2")
        .arg(QDir::toNativeSeparators(problem.path), problem.reason);
}

QString noBrowserText(const QString& path) {
    return QStringLiteral("No web browser could be started. The page is here, until the window "
                          "closes:\n\n%1")
        .arg(QDir::toNativeSeparators(path));
}

} // namespace webpage
