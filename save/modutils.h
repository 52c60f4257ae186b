#pragma once

#include <QString>
#include <functional>

namespace platform {
class Platform;
}

namespace modProgVar {

// The report name chosen in the Save As dialog, exactly as the dialog returned it (a full path,
// any extension the user typed included). Written only by getReportName.
extern QString reportName;

// How the last getReportName ended: modUtils::kNameChosen or modUtils::kNoName; 0 before the
// first call. A value greater than kNoName means a name was chosen.
extern qint16 reportNameStatus;

} // namespace modProgVar

namespace modUtils {

constexpr qint16 kNoName = 1;
constexpr qint16 kNameChosen = 9;

// Asks for the report's name and folder in the Save As dialog, which opens in `folder()` (read on
// every pass) with "DOVudize" proposed. When a file of exactly the chosen name exists, asks
// whether to use the name anyway; a No opens the dialog afresh. A cancelled dialog shows the
// "Try Again" message. Leaves its result in modProgVar::reportName and reportNameStatus.
void getReportName(platform::Platform& platform, const std::function<QString()>& folder);

} // namespace modUtils
