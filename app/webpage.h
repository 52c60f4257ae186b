#pragma once

#include "io/fileproblem.h"

#include <QString>

// The window's report as a web page, "report.html" beside report.tmp and csv.tmp, written when
// the user asks for it and deleted with them when the window closes.
namespace webpage {

QString pagePath(const QString& folder);

// The page could not be written, or no browser could be started to show it.
QString problemTitle();
QString writeProblemText(const io::FileProblem& problem);
QString noBrowserText(const QString& path);

} // namespace webpage
