#pragma once

#include <QString>
#include <optional>
#include <utility>

namespace scan {

// Why the exception being handled was thrown, in words for a message. Call it in a catch block.
QString describeCurrentException() noexcept;

// Runs `work` and returns why it failed when an exception left it. Every thread of the scan runs
// its work through this, so that a failure there (running out of memory, say) reaches the user
// as the scan's error instead of ending the program.
template <typename Work> std::optional<QString> exceptionFrom(Work&& work) noexcept {
    try {
        std::forward<Work>(work)();
        return std::nullopt;
    } catch (...) {
        return describeCurrentException();
    }
}

} // namespace scan
