#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace io {

// Why the exception being handled was thrown, in words for a message. Call it in a catch block.
QString describeCurrentException() noexcept;

// Runs `work` and returns why it failed when an exception left it. Every thread of the program
// but the main one runs its work through this, and so does the main thread where it starts or
// feeds them, so that a failure there (running out of memory, say) reaches the user as a message
// instead of ending the program.
template <typename Work> std::optional<QString> exceptionFrom(Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
        return std::nullopt;
    } catch (...) {
        return describeCurrentException();
    }
}

} // namespace io
