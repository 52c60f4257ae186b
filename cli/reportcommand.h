#pragma once

#include <QStringList>

class QIODevice;

namespace cli {

// Exit statuses beyond the log's own (scan::kExitLogMissing, scan::kExitLogUnreadable).
enum CommandStatus : int {
    kExitUsage = 1,
    kExitWriteFailed = 4,
    kExitWouldReplace = 5,
};

struct CommandStreams {
    QIODevice& out;
    QIODevice& err;
    bool errIsTerminal = false; // progress is shown only on a terminal
};

// runtally-report: the window's report without the window. `arguments` include the program's
// name. Returns the exit status.
int runReportCommand(const QStringList& arguments, const CommandStreams& streams);

} // namespace cli
