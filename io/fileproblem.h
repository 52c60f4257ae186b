#pragma once

#include <QDir>
#include <QString>

namespace io {

// A file that could not be opened, created, read or written, with the system's reason.
struct FileProblem {
    QString path;
    QString reason;
};

// The problem as the user reads it: the path with the platform's separators, a line break, and
// the reason.
inline QString describe(const FileProblem& problem) {
    return QDir::toNativeSeparators(problem.path) + QLatin1Char('\n') + problem.reason;
}

} // namespace io
