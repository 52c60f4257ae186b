#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace io {

// A file that could not be opened, created, read or written, with the system's reason: the one
// form in which a failed file operation comes back.
struct FileProblem {
    QString path;
    QString reason;

    friend bool operator==(const FileProblem&, const FileProblem&) = default;
};

// The problem as the user reads it: the path with the platform's separators, a line break, and
// the reason.
QString describe(const FileProblem& problem);

// Why the exception being handled was thrown, in words for a message. Call it in a catch block.
QString describeCurrentException() noexcept;

// Runs `work`, which reads or writes `path`, and turns an exception that leaves it (running out
// of memory, a thread that cannot start) into a problem with that file. This is where exceptions
// end: wherever work meets a file, so that a failure reaches the user as a message instead of
// ending the program.
template <typename Work>
std::optional<FileProblem> problemFrom(const QString& path, Work&& work) noexcept {
    try {
        return std::forward<Work>(work)();
    } catch (...) {
        return FileProblem{path, describeCurrentException()};
    }
}

} // namespace io
