#pragma once

#include "scan/period.h"

#include <QString>

namespace webreport {

// What the page's header names besides the numbers.
struct PageHeader {
    QString createdOn;        // today's date in the user's short date form
    QString logPath;          // as the user should read it
    scan::Period period = {}; // the dates counted
};

} // namespace webreport
