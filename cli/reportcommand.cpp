#include "cli/reportcommand.h"

#include "io/outputfiles.h"
#include "io/threadfailure.h"
#include "platform/environment.h"
#include "platform/exitstatus.h"
#include "platform/files.h"
#include "platform/systemlog.h"
#include "report/reportdata.h"
#include "report/reportscan.h"
#include "scan/dateorder.h"
#include "scan/period.h"
#include "webreport/machines.h"
#include "webreport/reportfile.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

namespace cli {

namespace {

using platform::kExitLogMissing;
using platform::kExitLogUnreadable;
using platform::kExitOk;
using platform::kExitUsage;
using platform::kExitWouldReplace;
using platform::kExitWriteFailed;

constexpr qint64 kQuietMilliseconds = 1000; // no progress for work quicker than this
constexpr qint64 kProgressInterval = 200;

const QString kName = QStringLiteral("runtally-report");
const QString kVersion = QStringLiteral(RUNTALLY_VERSION);
const QString kStandardOutput = QStringLiteral("standard output");

struct Options {
    QStringList logs; // none: the log that the user's setting names
    QString output;   // empty: standard output
    bool csv = false;
    bool force = false;
    std::vector<webreport::ReportFormat> extras; // --html, --json
    scan::DateOrder dateOrder = scan::systemDateOrder();
    scan::Period period; // read in dateOrder
};

// A log's path as the page and the JSON show it.
QString shownPath(const QString& log) {
    return QDir::toNativeSeparators(QFileInfo(log).absoluteFilePath());
}

// What is written to standard output.
using WriteTo = std::function<int(io::ByteSink& out)>;

class Command {
public:
    Command(const CommandStreams& streams, platform::Environment& environment)
        : streams_(streams), environment_(environment) {}
    int run(const QStringList& arguments);

private:
    // The exit status when the command is done after parsing (help, version, a usage error).
    std::optional<int> parse(const QStringList& arguments, Options& options);
    std::optional<int> parsePeriod(const QCommandLineParser& parser, const QCommandLineOption& from,
                                   const QCommandLineOption& to, Options& options);
    int findLog(Options& options);
    int forOneLog(const Options& options);
    int toStandardOutput(const WriteTo& write);
    int print(QFile& log, const Options& options, io::ByteSink& out);
    int printPage(const std::function<void()>& write);
    int toFiles(QFile& log, const Options& options);
    int refuseToReplace(const std::vector<QString>& paths, const Options& options);
    int writeExtraReports(const Options& options, const report::ReportData& data);
    int forMachines(const Options& options);
    int refuseLogsGivenTwice(const QStringList& logs);
    int scanMachines(const Options& options, std::vector<webreport::Machine>& machines);
    int scanInto(QFile& log, const report::ScanOutputs& outputs, const Options& options,
                 scan::ScanTotals& totals, const QString& machine = {});
    webreport::PageHeader pageHeader(const Options& options, const QString& log = {});
    scan::ReadProgress progressFor(qint64 size);
    void say(const QString& text) { streams_.out.write(text.toLocal8Bit()); }
    void tell(const QString& text); // on standard error
    int fail(int status, const QString& text);
    int failOn(int status, const QString& path, const QString& reason);
    int failOn(int status, const io::FileProblem& problem) {
        return failOn(status, problem.path, problem.reason);
    }

    const CommandStreams& streams_;
    platform::Environment& environment_;
};

void Command::tell(const QString& text) {
    streams_.err.write((kName + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit());
}

int Command::fail(int status, const QString& text) {
    tell(text);
    return status;
}

int Command::failOn(int status, const QString& path, const QString& reason) {
    return fail(status, QDir::toNativeSeparators(path) + QStringLiteral(": ") + reason);
}

std::optional<int> Command::parse(const QStringList& arguments, Options& options) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Adds up the cut time in a Milvane system log and writes the report and "
                       "the CSV that Milvane Runtally shows and saves."));
    parser.addPositionalArgument(
        QStringLiteral("LOG"),
        QStringLiteral("The log to read; by default the mvsys.log that the user's Milvane "
                       "setting names. With --html or --json, several logs, one per machine, "
                       "each named after its folder."),
        QStringLiteral("[LOG...]"));
    const QCommandLineOption output({QStringLiteral("o"), QStringLiteral("output")},
                                    QStringLiteral("Write NAME.txt (the report) and NAME.csv."),
                                    QStringLiteral("NAME"));
    const QCommandLineOption csv(
        QStringLiteral("csv"), QStringLiteral("Without -o: print the CSV instead of the report."));
    const QCommandLineOption force(QStringLiteral("force"),
                                   QStringLiteral("With -o: replace existing files."));
    const QCommandLineOption html(
        QStringLiteral("html"),
        QStringLiteral("Without -o: print the report as a web page. With -o: also write "
                       "NAME.html."));
    const QCommandLineOption json(
        QStringLiteral("json"),
        QStringLiteral("Without -o: print the report as JSON. With -o: also write NAME.json."));
    const QCommandLineOption dateOrder(
        QStringLiteral("date-order"),
        QStringLiteral("How dates are read, the log's and those of --from and --to, for the "
                       "weeks and months of --html and --json too: mdy, dmy or ymd (by default "
                       "the system's short date order)."),
        QStringLiteral("ORDER"));
    const QCommandLineOption from(
        QStringLiteral("from"),
        QStringLiteral("Count only the runs of this date and later (in the date order, or "
                       "YYYY-MM-DD)."),
        QStringLiteral("DATE"));
    const QCommandLineOption to(
        QStringLiteral("to"),
        QStringLiteral("Count only the runs of this date and earlier (in the date order, or "
                       "YYYY-MM-DD)."),
        QStringLiteral("DATE"));
    parser.addOptions({output, csv, force, html, json, dateOrder, from, to});
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();

    if (!parser.parse(arguments)) return fail(kExitUsage, parser.errorText());
    if (parser.isSet(help)) {
        say(parser.helpText());
        return kExitOk;
    }
    if (parser.isSet(version)) {
        say(kName + QLatin1Char(' ') + kVersion + QLatin1Char('\n'));
        return kExitOk;
    }
    options.logs = parser.positionalArguments();
    options.output = parser.value(output);
    options.csv = parser.isSet(csv);
    options.force = parser.isSet(force);
    if (parser.isSet(output) && options.output.isEmpty())
        return fail(kExitUsage, QStringLiteral("-o needs a NAME"));
    if (options.csv && !options.output.isEmpty())
        return fail(kExitUsage, QStringLiteral("--csv goes without -o (which writes both files)"));
    if (parser.isSet(html)) options.extras.push_back(webreport::ReportFormat::Html);
    if (parser.isSet(json)) options.extras.push_back(webreport::ReportFormat::Json);
    if (options.output.isEmpty() &&
        (options.csv ? size_t{1} : size_t{0}) + options.extras.size() > 1)
        return fail(kExitUsage, QStringLiteral("--csv, --html and --json print one at a time "
                                               "(-o NAME writes several files)"));
    if (parser.isSet(dateOrder)) {
        const auto order = scan::dateOrderNamed(parser.value(dateOrder));
        if (!order) return fail(kExitUsage, QStringLiteral("--date-order is mdy, dmy or ymd"));
        options.dateOrder = *order;
    }
    if (options.logs.size() > 1 && (options.extras.empty() || options.csv))
        return fail(kExitUsage, QStringLiteral("several logs go with --html or --json: the report "
                                               "and the CSV are for one log"));
    return parsePeriod(parser, from, to, options);
}

std::optional<int> Command::parsePeriod(const QCommandLineParser& parser,
                                        const QCommandLineOption& from,
                                        const QCommandLineOption& to, Options& options) {
    options.period.order = options.dateOrder;
    for (const auto& [option, end] :
         {std::pair{&from, &options.period.from}, std::pair{&to, &options.period.to}}) {
        if (!parser.isSet(*option)) continue;
        const QString written = parser.value(*option);
        *end = scan::readPeriodEnd(written, options.dateOrder);
        if (!*end)
            return fail(kExitUsage,
                        QStringLiteral("--%1 \"%2\" is not a date: write it as %3 or YYYY-MM-DD")
                            .arg(option->names().constFirst(), written,
                                 QString::fromLatin1(scan::dateOrderWords(options.dateOrder))));
    }
    if (options.period.from && options.period.to && *options.period.to < *options.period.from)
        return fail(kExitUsage, QStringLiteral("--to %1 comes before --from %2")
                                    .arg(parser.value(to), parser.value(from)));
    return std::nullopt;
}

int Command::findLog(Options& options) {
    if (!options.logs.isEmpty()) {
        for (const QString& log : options.logs) {
            if (!platform::isOrdinaryFile(log))
                return fail(kExitLogMissing, platform::missingLogTitle() + QStringLiteral(": ") +
                                                 QDir::toNativeSeparators(log));
        }
        return kExitOk;
    }
    const std::optional<QString> log = platform::findSystemLog(environment_);
    if (!log) return fail(kExitLogMissing, platform::missingLogText());
    options.logs = {*log};
    return kExitOk;
}

// Bytes read of the total on a terminal, once the work has taken longer than a second.
scan::ReadProgress Command::progressFor(qint64 size) {
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

// Reads the log into the outputs: the exit status, the reason told when the log fails part way.
// Says how many CUT records the period left out, with the machine's name if there are several.
int Command::scanInto(QFile& log, const report::ScanOutputs& outputs, const Options& options,
                      scan::ScanTotals& totals, const QString& machine) {
    const std::string today = platform::todayForReport(environment_);
    report::ScanOutcome scanned = report::scanLog(
        log, today, outputs, {.period = options.period, .progress = progressFor(log.size())});
    if (scanned.failure) return failOn(kExitLogUnreadable, log.fileName(), *scanned.failure);
    totals = std::move(scanned.totals);
    if (const qint64 left = totals.outsidePeriod; left > 0) {
        tell((machine.isEmpty() ? QString() : machine + QStringLiteral(": ")) +
             (left == 1 ? QStringLiteral("1 CUT record outside the period was left out")
                        : QStringLiteral("%1 CUT records outside the period were "
                                         "left out")
                              .arg(left)));
    }
    return kExitOk;
}

webreport::PageHeader Command::pageHeader(const Options& options, const QString& log) {
    return {environment_.todayShortDate(), log.isEmpty() ? QString() : shownPath(log),
            options.period};
}

int Command::forOneLog(const Options& options) {
    QFile log(options.logs.front());
    if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failOn(kExitLogUnreadable, log.fileName(), log.errorString());
    if (!options.output.isEmpty()) return toFiles(log, options);
    return toStandardOutput([&](io::ByteSink& out) { return print(log, options, out); });
}

int Command::toStandardOutput(const WriteTo& write) {
    io::OutputFiles out;
    io::ByteSink* sink = out.attach(streams_.out, kStandardOutput);
    if (!sink) return failOn(kExitWriteFailed, out.problem());
    if (const int status = write(*sink); status != kExitOk) return status;
    if (const auto problems = out.finish(); !problems.empty())
        return failOn(kExitWriteFailed, problems.front());
    return kExitOk;
}

// The report, the CSV, the page or the JSON.
int Command::print(QFile& log, const Options& options, io::ByteSink& out) {
    scan::ScanTotals totals;
    if (options.extras.empty()) {
        report::ScanOutputs outputs;
        (options.csv ? outputs.csvFile : outputs.reportFile) = &out;
        return scanInto(log, outputs, options, totals);
    }
    report::ReportCollector collector;
    if (const int status = scanInto(log, {.collector = &collector}, options, totals);
        status != kExitOk)
        return status;
    return printPage([&] {
        webreport::writeReport(options.extras.front(),
                               collector.takeData(options.dateOrder, totals),
                               pageHeader(options, log.fileName()), out);
    });
}

// The page's memory can run out like the scan's.
int Command::printPage(const std::function<void()>& write) {
    if (auto thrown = io::exceptionFrom(write))
        return failOn(kExitWriteFailed, kStandardOutput, *thrown);
    return kExitOk;
}

int Command::refuseToReplace(const std::vector<QString>& paths, const Options& options) {
    if (options.force) return kExitOk;
    for (const QString& path : paths) {
        if (platform::pathTaken(path))
            return failOn(kExitWouldReplace, path,
                          QStringLiteral("already exists (--force replaces it)"));
    }
    return kExitOk;
}

// NAME.txt and NAME.csv, then NAME.html and NAME.json if asked for, each written beside its
// target and put in place only when complete. An existing file is replaced only with --force,
// checked for every file before anything is written, and never lost to a failure. The page and
// the JSON come after the two files, one at a time, so that on a nearly full disk the two have
// their room first.
int Command::toFiles(QFile& log, const Options& options) {
    const QString csvPath = options.output + QStringLiteral(".csv");
    const QString textPath = options.output + QStringLiteral(".txt");
    std::vector<QString> paths = {csvPath, textPath};
    for (webreport::ReportFormat kind : options.extras)
        paths.push_back(options.output + webreport::fileSuffix(kind));
    if (const int status = refuseToReplace(paths, options); status != kExitOk) return status;

    // The CSV first, as the window's save puts it in place first.
    io::OutputFiles files;
    io::ByteSink* csv = files.stage(csvPath);
    if (!csv) return failOn(kExitWriteFailed, files.problem());
    io::ByteSink* text = files.stage(textPath);
    if (!text) return failOn(kExitWriteFailed, files.problem());
    report::ReportCollector collector;
    const report::ScanOutputs outputs{.reportFile = text,
                                      .csvFile = csv,
                                      .collector = options.extras.empty() ? nullptr : &collector};
    scan::ScanTotals totals;
    if (const int status = scanInto(log, outputs, options, totals); status != kExitOk)
        return status;
    // Both are written whole and checked before either is put in place.
    if (const auto problems = files.finish(); !problems.empty())
        return failOn(kExitWriteFailed, problems.front());
    if (const auto problem = files.commit()) return failOn(kExitWriteFailed, *problem);
    if (options.extras.empty()) return kExitOk;
    return writeExtraReports(options, collector.takeData(options.dateOrder, totals));
}

int Command::writeExtraReports(const Options& options, const report::ReportData& data) {
    const webreport::PageHeader header = pageHeader(options, options.logs.front());
    for (webreport::ReportFormat kind : options.extras) {
        if (auto problem = webreport::writeReportFile(options.output + webreport::fileSuffix(kind),
                                                      kind, data, header))
            return failOn(kExitWriteFailed, *problem);
    }
    return kExitOk;
}

// The page or the JSON of several machines: every log is looked for, and the files that -o would
// replace are checked, before any is read; each log is read once, and nothing is written unless
// all of them were read to their end.
int Command::forMachines(const Options& options) {
    if (const int status = refuseLogsGivenTwice(options.logs); status != kExitOk) return status;
    std::vector<webreport::ReportTarget> targets;
    std::vector<QString> paths;
    if (!options.output.isEmpty()) {
        for (webreport::ReportFormat kind : options.extras) {
            targets.push_back({options.output + webreport::fileSuffix(kind), kind});
            paths.push_back(targets.back().path);
        }
    }
    if (const int status = refuseToReplace(paths, options); status != kExitOk) return status;

    std::vector<webreport::Machine> machines;
    if (const int status = scanMachines(options, machines); status != kExitOk) return status;
    const webreport::PageHeader header = pageHeader(options);
    if (options.output.isEmpty()) {
        return toStandardOutput([&](io::ByteSink& out) {
            return printPage(
                [&] { webreport::writeReport(options.extras.front(), machines, header, out); });
        });
    }
    if (auto problem = webreport::writeReportFiles(targets, machines, header))
        return failOn(kExitWriteFailed, *problem);
    return kExitOk;
}

// The same file given twice would count its machine twice. Each path is made canonical once.
int Command::refuseLogsGivenTwice(const QStringList& logs) {
    std::map<QString, QString> given; // canonical path to the path as given
    for (const QString& log : logs) {
        QString key = QFileInfo(log).canonicalFilePath();
#ifdef Q_OS_WIN
        key = key.toCaseFolded(); // one file, however its name is spelt
#endif
        if (const auto [at, isNew] = given.try_emplace(key, log); !isNew)
            return failOn(kExitUsage, log,
                          QStringLiteral("given more than once (as %1)")
                              .arg(QDir::toNativeSeparators(at->second)));
    }
    return kExitOk;
}

int Command::scanMachines(const Options& options, std::vector<webreport::Machine>& machines) {
    std::vector<QString> paths;
    for (const QString& log : options.logs)
        paths.push_back(QFileInfo(log).absoluteFilePath());
    const std::vector<QString> names = webreport::machineNames(paths);
    for (size_t i = 0; i < paths.size(); ++i) {
        QFile log(paths[i]);
        if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            return failOn(kExitLogUnreadable, paths[i], log.errorString());
        report::ReportCollector collector;
        scan::ScanTotals totals;
        if (const int status = scanInto(log, {.collector = &collector}, options, totals, names[i]);
            status != kExitOk)
            return status;
        machines.push_back(
            {names[i], shownPath(paths[i]), collector.takeData(options.dateOrder, totals)});
    }
    return kExitOk;
}

int Command::run(const QStringList& arguments) {
    Options options;
    if (const auto done = parse(arguments, options)) return *done;
    if (const int status = findLog(options); status != kExitOk) return status;
    return options.logs.size() > 1 ? forMachines(options) : forOneLog(options);
}

} // namespace

int runReportCommand(const QStringList& arguments, const CommandStreams& streams,
                     platform::Environment& environment) {
    return Command(streams, environment).run(arguments);
}

} // namespace cli
