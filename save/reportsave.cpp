#include "save/reportsave.h"

#include "platform/platform.h"
#include "save/reportname.h"
#include "save/stagedcopy.h"

#include <QFile>
#include <array>

namespace save {

namespace {

const QString kCsvExtension = QStringLiteral(".csv");
const QString kTextExtension = QStringLiteral(".txt");

bool overwriteAllowed(platform::Platform& platform) {
    if (platform::askYesNo(
            platform, QStringLiteral("File already exists"),
            QStringLiteral("A report already exists with that name...OK to overwrite it")))
        return true;
    platform::tell(platform, QStringLiteral("Try again"),
                   QStringLiteral("Click the button to try again"));
    return false;
}

void showProblem(platform::Platform& platform, const QString& intro,
                 const std::vector<io::FileProblem>& problems) {
    QString text = intro;
    for (const io::FileProblem& problem : problems)
        text += QStringLiteral("\n\n") + io::describe(problem);
    platform::showError(platform, QStringLiteral("Can't save reports"), text);
}

// One temporary file and the report file it becomes.
struct Move {
    QString source;
    QString target;
    bool targetPresent;
};

// Copies both files into place before either temporary file is given up, so that a failure at
// any step leaves both temporary files ready for another try.
bool placeReports(platform::Platform& platform, const std::array<Move, 2>& moves) {
    std::array<StagedCopy, 2> copies = {StagedCopy(moves[0].source, moves[0].target),
                                        StagedCopy(moves[1].source, moves[1].target)};
    for (size_t i = 0; i < moves.size(); ++i) {
        if (!copies[i].prepare(moves[i].targetPresent)) {
            showProblem(platform, QStringLiteral("The reports were not saved:"),
                        {copies[i].problem()});
            return false;
        }
    }
    for (size_t i = 0; i < moves.size(); ++i) {
        if (!copies[i].commit()) {
            const QString intro = i == 0 ? QStringLiteral("The reports were not saved:")
                                         : QStringLiteral("Only the CSV report was saved:");
            showProblem(platform, intro, {copies[i].problem()});
            return false;
        }
    }
    // Both reports are complete in place; what cannot be removed here goes when the window closes.
    for (const Move& move : moves)
        QFile::remove(move.source);
    return true;
}

} // namespace

AfterClick saveReports(platform::Platform& platform, const report::TempReports& temp) {
    if (!temp.complete()) {
        showProblem(platform,
                    QStringLiteral("The reports could not be prepared when the log was read, so "
                                   "they can't be saved:"),
                    temp.problems);
        return AfterClick::StayOpen;
    }

    const std::optional<QString> name = getReportName(platform, temp.folder);
    if (!name) return AfterClick::CloseWindow;

    const QString csvTarget = *name + kCsvExtension;
    const QString textTarget = *name + kTextExtension;
    const bool textPresent = platform.fileExists(textTarget);
    const bool csvPresent = platform.fileExists(csvTarget);
    if ((textPresent || csvPresent) && !overwriteAllowed(platform)) return AfterClick::StayOpen;

    const std::array<Move, 2> moves = {
        Move{report::csvTempPath(temp.folder), csvTarget, csvPresent},
        Move{report::reportTempPath(temp.folder), textTarget, textPresent}};
    return placeReports(platform, moves) ? AfterClick::CloseWindow : AfterClick::StayOpen;
}

} // namespace save
