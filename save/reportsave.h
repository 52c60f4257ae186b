#pragma once

#include "platform/fileproblem.h"
#include "save/reportname.h"

#include <QString>
#include <vector>

namespace platform {
class Platform;
}

namespace save {

// What the window does after a click on "Save reports?".
enum class AfterClick { CloseWindow, StayOpen };

// The temporary files that the scan left for saving.
struct TempReports {
    // Their folder.
    QString folder;
    // Why they are not complete, if they are not: then nothing is saved.
    std::vector<platform::FileProblem> problems;
};

// The save button's work. It keeps the name dialog, and with it the name last chosen, from one
// click to the next.
class ReportSave {
public:
    explicit ReportSave(platform::Platform& platform)
        : platform_(platform), nameDialog_(platform) {}

    // Asks for a name, then turns csv.tmp into the name with ".csv" appended and report.tmp into
    // the name with ".txt" appended, the CSV first, asking before it replaces existing report
    // files. After a save, and after a cancelled name dialog, the window closes; after a declined
    // overwrite or a failure it stays open with both temporary files in place.
    AfterClick saveReports(const TempReports& temp);

    const ReportNameDialog& nameDialog() const { return nameDialog_; }

private:
    platform::Platform& platform_;
    ReportNameDialog nameDialog_;
};

} // namespace save
