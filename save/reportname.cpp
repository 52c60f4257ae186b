#include "save/reportname.h"

#include "platform/platform.h"

namespace save {

namespace {

const QString kDialogTitle = QStringLiteral("Select a name and location for your report");
const QString kProposedName = QStringLiteral("DOVudize");

bool useExistingName(platform::Platform& platform) {
    return platform::askYesNo(
        platform, QStringLiteral("File exists!"),
        QStringLiteral("File name already exist...do you still want to use it"));
}

void tellToTryAgain(platform::Platform& platform) {
    platform::tell(
        platform, QStringLiteral("Try Again"),
        QStringLiteral("To continue you must select a name for your report ...please try again"));
}

} // namespace

std::optional<QString> getReportName(platform::Platform& platform, const QString& folder) {
    for (;;) {
        const auto chosen = platform.saveFileName({kDialogTitle, folder, kProposedName});
        // An empty name is no name, whatever the dialog let through.
        if (!chosen || chosen->isEmpty()) {
            tellToTryAgain(platform);
            return std::nullopt;
        }
        if (!platform.fileExists(*chosen) || useExistingName(platform)) return chosen;
    }
}

} // namespace save
