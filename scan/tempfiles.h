#pragma once

#include <QString>

namespace scan {

// Where the scan puts the temporary report and CSV in a folder: report.tmp and csv.tmp.
QString reportTempPath(const QString& folder);
QString csvTempPath(const QString& folder);

} // namespace scan
