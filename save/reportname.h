#pragma once

#include <QString>
#include <optional>

namespace platform {
class Platform;
}

namespace save {

// Asks for the report's name and folder: shows the Save As dialog, which opens in `folder` with
// "DOVudize" proposed. When a file of exactly the chosen name exists, asks whether to use the
// name anyway; a No opens the dialog afresh. Returns the chosen name exactly as the dialog gave it
// (a full path, any extension the user typed included); nothing when the dialog was cancelled,
// after the "Try Again" message.
std::optional<QString> getReportName(platform::Platform& platform, const QString& folder);

} // namespace save
