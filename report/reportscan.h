#pragma once

#include "io/bytesink.h"
#include "report/reportdata.h"
#include "scan/dateblocks.h"
#include "scan/recordsource.h"

#include <QString>
#include <optional>
#include <string_view>

class QIODevice;

namespace report {

// Where one scan writes. Each output may be left out; the scan lays out only those asked for.
struct ScanOutputs {
    io::ByteSink* reportFile = nullptr; // report.tmp, NAME.txt or standard output
    io::ByteSink* csvFile = nullptr;
    io::ByteSink* reportText = nullptr;   // the window's
    ReportCollector* collector = nullptr; // the data of the page and the JSON
};

struct ScanOutcome {
    // Why the log could not be read to its end, or the scan could not go on (an exception on any
    // of its threads); the outputs are then incomplete and the totals empty.
    std::optional<QString> failure;
    scan::ScanTotals totals;
};

// How a log is read.
struct ScanOptions {
    scan::Period period = {};         // the CUT records outside it are left out
    scan::ReadProgress progress = {}; // told after every block read
    size_t blockSize = scan::kReadBlockSize;
};

// Reads the whole log once into every output asked for: the report opening; every batch of the
// log laid out on the parsing threads and joined to the ones before in log order; the log end.
// `today` is the "Created on" date. The outputs are those of the log without its CUT records
// outside the period.
ScanOutcome scanLog(QIODevice& log, std::string_view today, const ScanOutputs& outputs,
                    const ScanOptions& options = {});

} // namespace report
