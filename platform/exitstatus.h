#pragma once

namespace platform {

// How runtally and runtally-report end, as their exit status.
enum ExitStatus : int {
    kExitOk = 0,
    kExitUsage = 1,         // runtally-report: wrong use
    kExitLogMissing = 2,    // no log where it was looked for
    kExitLogUnreadable = 3, // the log could not be opened or read to its end
    kExitWriteFailed = 4,   // runtally-report: an output could not be written
    kExitWouldReplace = 5,  // runtally-report: an output exists and --force was not given
};

} // namespace platform
