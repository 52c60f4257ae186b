#pragma once

#include "report/cost.h"
#include "scan/period.h"

#include <QString>
#include <optional>

namespace webreport {

// What the page names besides the numbers of the scan.
struct PageHeader {
    QString createdOn;                           // today's date in the user's short date form
    QString logPath;                             // as the user should read it
    scan::Period period = {};                    // the dates counted
    std::optional<report::Pricing> pricing = {}; // what cut time costs, if asked
};

} // namespace webreport
