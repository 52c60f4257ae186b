#include "scan/tempfiles.h"

#include <QDir>

namespace scan {

namespace {

QString inFolder(const QString& folder, const QString& name) {
    return folder + QDir::separator() + name;
}

} // namespace

QString reportTempPath(const QString& folder) {
    return inFolder(folder, QStringLiteral("report.tmp"));
}

QString csvTempPath(const QString& folder) {
    return inFolder(folder, QStringLiteral("csv.tmp"));
}

} // namespace scan
