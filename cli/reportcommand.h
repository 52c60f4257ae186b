#pragma once

#include <QStringList>

class QIODevice;

namespace platform {
class Environment;
}

namespace cli {

struct CommandStreams {
    QIODevice& out;
    QIODevice& err;
    bool errIsTerminal = false; // progress is shown only on a terminal
};

// runtally-report: the window's report without the window. `arguments` include the program's
// name; the log that the user's setting names, and today's date, come from `environment`.
// Returns the exit status (platform::ExitStatus).
int runReportCommand(const QStringList& arguments, const CommandStreams& streams,
                     platform::Environment& environment);

} // namespace cli
