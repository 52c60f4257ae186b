#include "cli/reportcommand.h"

#include "cli/options.h"
#include "io/bytesink.h"
#include "io/reportfiles.h"
#include "platform/environment.h"
#include "platform/exitstatus.h"
#include "platform/files.h"
#include "platform/systemlog.h"
#include "report/fold.h"
#include "report/reportdata.h"
#include "report/reportlayout.h"
#include "scan/logblocks.h"
#include "webreport/machines.h"
#include "webreport/reportfile.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace cli {

namespace {

using platform::ExitStatus;

constexpr qint64 kQuietMilliseconds = 1000; // no progress for work quicker than this
constexpr qint64 kProgressInterval = 200;

const QString kName = QStringLiteral("runtally-report");
const QString kStandardOutput = QStringLiteral("standard output");

// Why the command ends without having done its work, and its exit status.
struct Failure {
    ExitStatus status;
    QString message;
};
using Outcome = std::optional<Failure>;

Failure failureWith(ExitStatus status, const io::FileProblem& problem) {
    return {status, QDir::toNativeSeparators(problem.path) + QStringLiteral(": ") + problem.reason};
}

// A log's path as the page and the JSON show it.
QString shownPath(const QString& log) {
    return QDir::toNativeSeparators(QFileInfo(log).absoluteFilePath());
}

class Command {
public:
    Command(const CommandStreams& streams, platform::Environment& environment)
        : streams_(streams), environment_(environment) {}

    Outcome run(const QStringList& arguments);
    void tell(const QString& text); // on standard error

private:
    Outcome findLogs();
    Outcome forOneLog();
    Outcome print(QFile& log);
    Outcome printPage(const std::function<void(io::ByteSink&)>& write);
    Outcome toFiles(QFile& log);
    Outcome refuseToReplace(const std::vector<QString>& paths);
    Outcome forMachines();
    Outcome refuseLogsGivenTwice();
    Outcome scanInto(QFile& log, std::vector<report::ScanOutput*> outputs,
                     const QString& machine = {});
    std::function<void(qint64)> progressFor(qint64 size);
    webreport::PageHeader pageHeader(const QString& log = {});
    // What the page and the JSON collect in a scan, in the options' date order, period and plan.
    report::ReportCollector collector() const;
    std::string today() { return platform::todayForReport(environment_); }

    const CommandStreams& streams_;
    platform::Environment& environment_;
    Options options_;
};

void Command::tell(const QString& text) {
    streams_.err.write((kName + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit());
}

Outcome Command::run(const QStringList& arguments) {
    auto parsed = parseOptions(arguments);
    if (const auto* wrong = std::get_if<WrongUse>(&parsed))
        return Failure{platform::kExitUsage, wrong->reason};
    options_ = std::move(std::get<Options>(parsed));
    if (!options_.printOnly.isEmpty()) {
        streams_.out.write(options_.printOnly.toLocal8Bit());
        return std::nullopt;
    }
    if (auto failure = findLogs()) return failure;
    return options_.logs.size() > 1 ? forMachines() : forOneLog();
}

Outcome Command::findLogs() {
    for (const QString& log : options_.logs) {
        if (!platform::isOrdinaryFile(log))
            return Failure{platform::kExitLogMissing, platform::missingLogTitle() +
                                                          QStringLiteral(": ") +
                                                          QDir::toNativeSeparators(log)};
    }
    if (!options_.logs.isEmpty()) return std::nullopt;
    const std::optional<QString> log = platform::findSystemLog(environment_);
    if (!log) return Failure{platform::kExitLogMissing, platform::missingLogText()};
    options_.logs = {*log};
    return std::nullopt;
}

// Bytes read of the total on a terminal, once the work has taken longer than a second.
std::function<void(qint64)> Command::progressFor(qint64 size) {
    if (!streams_.errIsTerminal || size <= 0) return {};
    auto clock = std::make_shared<QElapsedTimer>();
    auto lastShown = std::make_shared<qint64>(0);
    clock->start();
    return [this, size, clock, lastShown](qint64 bytesRead) {
        const qint64 now = clock->elapsed();
        const bool done = bytesRead >= size;
        if (now < kQuietMilliseconds || (!done && now - *lastShown < kProgressInterval)) return;
        *lastShown = now;
        const QString line = QStringLiteral("\rread %1 of %2 MB (%3%)")
                                 .arg(bytesRead / 1e6, 0, 'f', 1)
                                 .arg(size / 1e6, 0, 'f', 1)
                                 .arg(bytesRead * 100 / size);
        streams_.err.write((line + (done ? QStringLiteral("\n") : QString())).toLocal8Bit());
    };
}

// Reads the log into the outputs. Says how many CUT records the period left out, with the
// machine's name if there are several.
Outcome Command::scanInto(QFile& log, std::vector<report::ScanOutput*> outputs,
                          const QString& machine) {
    const report::ScanOutcome scanned = report::scanLog(
        log, outputs, {.period = options_.period, .progress = progressFor(log.size())});
    if (scanned.failure)
        return failureWith(platform::kExitLogUnreadable, {log.fileName(), *scanned.failure});
    if (const qint64 left = scanned.totals.outsidePeriod; left > 0) {
        tell((machine.isEmpty() ? QString() : machine + QStringLiteral(": ")) +
             (left == 1
                  ? QStringLiteral("1 CUT record outside the period was left out")
                  : QStringLiteral("%1 CUT records outside the period were left out").arg(left)));
    }
    return std::nullopt;
}

webreport::PageHeader Command::pageHeader(const QString& log) {
    return {environment_.todayShortDate(), log.isEmpty() ? QString() : shownPath(log),
            options_.period, options_.pricing};
}

report::ReportCollector Command::collector() const {
    return report::ReportCollector(options_.dateOrder, {options_.period, options_.plan});
}

Outcome Command::forOneLog() {
    QFile log(options_.logs.front());
    if (auto problem = scan::openLog(log))
        return failureWith(platform::kExitLogUnreadable, *problem);
    return options_.output.isEmpty() ? print(log) : toFiles(log);
}

// The report, the CSV, the page or the JSON, on standard output.
Outcome Command::print(QFile& log) {
    if (!options_.extras.empty()) {
        report::ReportCollector collector = this->collector();
        if (auto failure = scanInto(log, {&collector})) return failure;
        const report::ReportData data = collector.takeData();
        const webreport::PageHeader header = pageHeader(log.fileName());
        return printPage([&](io::ByteSink& out) {
            webreport::writeReport(options_.extras.front(), data, header, out);
        });
    }
    io::ByteSink out(streams_.out, kStandardOutput);
    report::ReportLayout layout(today(), options_.csv ? nullptr : &out,
                                options_.csv ? &out : nullptr, nullptr);
    if (auto failure = scanInto(log, {&layout})) return failure;
    if (auto problem = out.finish()) return failureWith(platform::kExitWriteFailed, *problem);
    return std::nullopt;
}

// A page or a JSON on standard output, whose memory can run out like the scan's.
Outcome Command::printPage(const std::function<void(io::ByteSink&)>& write) {
    io::ByteSink out(streams_.out, kStandardOutput);
    if (auto problem = io::problemFrom(kStandardOutput, [&] {
            write(out);
            return out.finish();
        }))
        return failureWith(platform::kExitWriteFailed, *problem);
    return std::nullopt;
}

Outcome Command::refuseToReplace(const std::vector<QString>& paths) {
    if (options_.force) return std::nullopt;
    if (const std::optional<QString> taken = io::firstTaken(paths))
        return failureWith(platform::kExitWouldReplace,
                           {*taken, QStringLiteral("already exists (--force replaces it)")});
    return std::nullopt;
}

// NAME.csv and NAME.txt, then NAME.html and NAME.json if asked for, each written beside its
// target and put in place only when complete. An existing file is replaced only with --force,
// checked for every file before anything is written. The page and the JSON come after the two
// files, one at a time, so that on a nearly full disk the two have their room first.
Outcome Command::toFiles(QFile& log) {
    const io::ReportFiles reportFiles = io::reportFilesNamed(options_.output);
    std::vector<QString> paths = reportFiles.inOrder();
    for (webreport::ReportFormat format : options_.extras)
        paths.push_back(options_.output + webreport::fileSuffix(format));
    if (auto failure = refuseToReplace(paths)) return failure;

    io::StagedFiles files;
    const io::StagedFiles::ReportSinks sinks =
        files.stageReport(reportFiles, [this](const QString&) { return options_.force; });
    if (auto problem = files.stagingProblem())
        return failureWith(platform::kExitWriteFailed, *problem);
    report::ReportLayout layout(today(), &sinks.text, &sinks.csv, nullptr);
    report::ReportCollector collector = this->collector();
    std::vector<report::ScanOutput*> outputs{&layout};
    if (!options_.extras.empty()) outputs.push_back(&collector);
    if (auto failure = scanInto(log, outputs)) return failure;
    if (auto problem = files.commit()) {
        Failure failure = failureWith(platform::kExitWriteFailed, *problem);
        if (files.committed() > 0)
            failure.message +=
                QStringLiteral(" (%1 was written)").arg(QDir::toNativeSeparators(reportFiles.csv));
        return failure;
    }

    const report::ReportData data = collector.takeData();
    const webreport::PageHeader header = pageHeader(log.fileName());
    for (webreport::ReportFormat format : options_.extras) {
        if (auto problem = webreport::writeReportFile(
                options_.output + webreport::fileSuffix(format), format, data, header))
            return failureWith(platform::kExitWriteFailed, *problem);
    }
    return std::nullopt;
}

// The page or the JSON of several machines: every log is looked for, and the files that -o would
// replace are checked, before any is read; each log is read once, and nothing is written unless
// all of them were read to their end.
Outcome Command::forMachines() {
    if (auto failure = refuseLogsGivenTwice()) return failure;
    std::vector<webreport::ReportTarget> targets;
    std::vector<QString> paths;
    if (!options_.output.isEmpty()) {
        for (webreport::ReportFormat format : options_.extras) {
            targets.push_back({options_.output + webreport::fileSuffix(format), format});
            paths.push_back(targets.back().path);
        }
    }
    if (auto failure = refuseToReplace(paths)) return failure;

    std::vector<QString> logPaths;
    for (const QString& log : options_.logs)
        logPaths.push_back(QFileInfo(log).absoluteFilePath());
    const std::vector<QString> names = webreport::machineNames(logPaths);
    std::vector<webreport::Machine> machines;
    for (size_t i = 0; i < logPaths.size(); ++i) {
        QFile log(logPaths[i]);
        if (auto problem = scan::openLog(log))
            return failureWith(platform::kExitLogUnreadable, *problem);
        report::ReportCollector collector = this->collector();
        if (auto failure = scanInto(log, {&collector}, names[i])) return failure;
        machines.push_back({names[i], shownPath(logPaths[i]), collector.takeData()});
    }

    const webreport::PageHeader header = pageHeader();
    if (!targets.empty()) {
        if (auto problem = webreport::writeReportFiles(targets, machines, header))
            return failureWith(platform::kExitWriteFailed, *problem);
        return std::nullopt;
    }
    return printPage([&](io::ByteSink& out) {
        webreport::writeReport(options_.extras.front(), machines, header, out);
    });
}

// The same file given twice would count its machine twice. Each path is made canonical once.
Outcome Command::refuseLogsGivenTwice() {
    std::map<QString, QString> given; // canonical path to the path as given
    for (const QString& log : options_.logs) {
        QString key = QFileInfo(log).canonicalFilePath();
#ifdef Q_OS_WIN
        key = key.toCaseFolded(); // one file, however its name is spelt
#endif
        if (const auto [at, isNew] = given.try_emplace(key, log); !isNew)
            return failureWith(platform::kExitUsage,
                               {log, QStringLiteral("given more than once (as %1)")
                                         .arg(QDir::toNativeSeparators(at->second))});
    }
    return std::nullopt;
}

} // namespace

int runReportCommand(const QStringList& arguments, const CommandStreams& streams,
                     platform::Environment& environment) {
    Command command(streams, environment);
    Outcome failure;
    try {
        failure = command.run(arguments);
    } catch (...) { // running out of memory where no file is at work
        failure = Failure{platform::kExitWriteFailed, io::describeCurrentException()};
    }
    if (!failure) return platform::kExitOk;
    command.tell(failure->message);
    return failure->status;
}

} // namespace cli
