#include "save/reportsave.h"

#include "io/reportfiles.h"
#include "platform/platform.h"
#include "save/reportname.h"

#include <QFile>

namespace save {

namespace {

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

// Copies a temporary file, unchanged, into the sink of its report.
std::optional<io::FileProblem> copyInto(const QString& source, io::ByteSink& sink) {
    QFile file(source);
    if (!file.open(QIODevice::ReadOnly)) return io::FileProblem{source, file.errorString()};
    QByteArray block(io::ByteSink::kBlockSize, Qt::Uninitialized);
    for (;;) {
        const qint64 got = file.read(block.data(), block.size());
        if (got < 0) return io::FileProblem{source, file.errorString()};
        if (got == 0) return std::nullopt;
        sink << std::string_view(block.constData(), static_cast<size_t>(got));
    }
}

// Copies both temporary files into place before either is given up, so that a failure at any
// step leaves both temporary files ready for another try. Only what was there when the user was
// asked may be replaced.
bool placeReports(platform::Platform& platform, const QString& folder,
                  const io::ReportFiles& targets,
                  const std::function<bool(const QString&)>& asked) {
    io::StagedFiles files;
    const std::optional<io::FileProblem> problem = io::problemFrom(targets.csv, [&] {
        const io::StagedFiles::ReportSinks sinks = files.stageReport(targets, asked);
        std::optional<io::FileProblem> failed = copyInto(report::csvTempPath(folder), sinks.csv);
        if (!failed) failed = copyInto(report::reportTempPath(folder), sinks.text);
        return failed ? failed : files.commit();
    });
    if (problem) {
        showProblem(platform,
                    files.committed() == 0 ? QStringLiteral("The reports were not saved:")
                                           : QStringLiteral("Only the CSV report was saved:"),
                    {*problem});
        return false;
    }
    // Both reports are complete in place; what cannot be removed here goes when the window closes.
    QFile::remove(report::csvTempPath(folder));
    QFile::remove(report::reportTempPath(folder));
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

    const io::ReportFiles targets = io::reportFilesNamed(*name);
    const bool textPresent = platform.fileExists(targets.text);
    const bool csvPresent = platform.fileExists(targets.csv);
    if ((textPresent || csvPresent) && !overwriteAllowed(platform)) return AfterClick::StayOpen;

    const auto asked = [&](const QString& target) {
        return target == targets.csv ? csvPresent : textPresent;
    };
    return placeReports(platform, temp.folder, targets, asked) ? AfterClick::CloseWindow
                                                               : AfterClick::StayOpen;
}

} // namespace save
