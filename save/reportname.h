#pragma once

#include <QString>
#include <optional>

namespace platform {
class Platform;
}

namespace save {

// The dialog that asks for the report's name and folder.
class ReportNameDialog {
public:
    explicit ReportNameDialog(platform::Platform& platform) : platform_(platform) {}

    // Shows the Save As dialog, which opens in `folder` with "DOVudize" proposed. When a file of
    // exactly the chosen name exists, asks whether to use the name anyway; a No opens the dialog
    // afresh. Returns the chosen name exactly as the dialog gave it (a full path, any extension the
    // user typed included); nothing when the dialog was cancelled, after the "Try Again" message.
    std::optional<QString> getReportName(const QString& folder);

    // The name last read from the dialog, accepted or declined; a cancelled pass leaves it as it
    // was, and it is empty before the first name.
    const QString& reportName() const { return reportName_; }

private:
    platform::Platform& platform_;
    QString reportName_;
};

} // namespace save
