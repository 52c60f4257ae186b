#pragma once

#include "report/tempreports.h"

namespace platform {
class Platform;
}

namespace save {

// What the window does after a click on "Save reports?".
enum class AfterClick { CloseWindow, StayOpen };

// The save button's work. Asks for a name, then turns csv.tmp into the name with ".csv" appended
// and report.tmp into the name with ".txt" appended, the CSV first, asking before it replaces
// existing report files. Temporary files that are not complete are not saved. After a save, and
// after a cancelled name dialog, the window closes; after a declined overwrite or a failure it
// stays open with both temporary files in place.
AfterClick saveReports(platform::Platform& platform, const report::TempReports& temp);

} // namespace save
