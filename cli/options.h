#pragma once

#include "report/cost.h"
#include "scan/dateorder.h"
#include "scan/period.h"
#include "timeline/workplan.h"
#include "webreport/reportfile.h"

#include <QString>
#include <QStringList>
#include <optional>
#include <variant>
#include <vector>

namespace cli {

// What runtally-report is asked to do.
struct Options {
    QStringList logs; // none: the log that the user's setting names
    QString output;   // -o NAME; empty: standard output
    bool csv = false;
    bool force = false;
    std::vector<webreport::ReportFormat> extras; // --html, --json
    scan::DateOrder dateOrder = scan::systemDateOrder();
    scan::Period period;                    // read in dateOrder
    std::optional<timeline::WorkPlan> plan; // --shift and --workdays
    std::optional<report::Pricing> pricing; // --rate and --currency
    QString printOnly; // the help or the version: printed, and nothing else is done
};

// Options that do not go together, or a value that is not one: why, for the user.
struct WrongUse {
    QString reason;
};

// Reads the command line (the program's name first).
std::variant<Options, WrongUse> parseOptions(const QStringList& arguments);

} // namespace cli
