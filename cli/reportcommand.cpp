#include "cli/reportcommand.h"

#include "platform/environment.h"
#include "platform/exitstatus.h"
#include "platform/files.h"
#include "platform/stagedfile.h"
#include "platform/systemlog.h"
#include "report/dateorder.h"
#include "report/reportdata.h"
#include "report/reportfile.h"
#include "scan/bytesink.h"
#include "scan/logscan.h"
#include "scan/threadfailure.h"

#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <array>
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

struct Options {
    QString log;    // empty: the log that the user's setting names
    QString output; // empty: standard output
    bool csv = false;
    bool force = false;
    std::vector<report::ReportFormat> extras; // --html, --json
    report::DateOrder dateOrder = report::systemDateOrder();
};

class Command {
public:
    Command(const CommandStreams& streams, platform::Environment& environment)
        : streams_(streams), environment_(environment) {}
    int run(const QStringList& arguments);

private:
    // The exit status when the command is done after parsing (help, version, a usage error).
    std::optional<int> parse(const QStringList& arguments, Options& options);
    int findLog(Options& options);
    int toStandardOutput(QFile& log, const Options& options);
    int toFiles(QFile& log, const Options& options);
    int writeFiles(QFile& log, const std::array<QString, 2>& paths,
                   std::array<std::unique_ptr<platform::StagedFile>, 2>& files,
                   std::array<std::unique_ptr<scan::BufferedFileSink>, 2>& sinks);
    int scan(QFile& log, const scan::ScanOutputs& outputs);
    int withExtraReports(QFile& log, const Options& options);
    scan::ReadProgress progressFor(qint64 size);
    void say(const QString& text) { streams_.out.write(text.toLocal8Bit()); }
    int fail(int status, const QString& text);
    int failOn(int status, const QString& path, const QString& reason);
    int failOn(int status, const platform::FileProblem& problem) {
        return failOn(status, problem.path, problem.reason);
    }

    const CommandStreams& streams_;
    platform::Environment& environment_;
    scan::ScanEvents* listener_ = nullptr; // also told the scan's events, if set
};

int Command::fail(int status, const QString& text) {
    streams_.err.write((kName + QStringLiteral(": ") + text + QLatin1Char('\n')).toLocal8Bit());
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
                       "setting names."),
        QStringLiteral("[LOG]"));
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
        QStringLiteral("How the log's dates are read for the weeks and months of --html and "
                       "--json: mdy, dmy or ymd (by default the system's short date order)."),
        QStringLiteral("ORDER"));
    parser.addOptions({output, csv, force, html, json, dateOrder});
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
    const QStringList positional = parser.positionalArguments();
    if (positional.size() > 1) return fail(kExitUsage, QStringLiteral("only one LOG, please"));
    options.log = positional.value(0);
    options.output = parser.value(output);
    options.csv = parser.isSet(csv);
    options.force = parser.isSet(force);
    if (parser.isSet(output) && options.output.isEmpty())
        return fail(kExitUsage, QStringLiteral("-o needs a NAME"));
    if (options.csv && !options.output.isEmpty())
        return fail(kExitUsage, QStringLiteral("--csv goes without -o (which writes both files)"));
    if (parser.isSet(html)) options.extras.push_back(report::ReportFormat::Html);
    if (parser.isSet(json)) options.extras.push_back(report::ReportFormat::Json);
    if (options.output.isEmpty() && (options.csv ? size_t{1} : size_t{0}) + options.extras.size() > 1)
        return fail(kExitUsage, QStringLiteral("--csv, --html and --json print one at a time "
                                               "(-o NAME writes several files)"));
    if (parser.isSet(dateOrder)) {
        const auto order = report::dateOrderNamed(parser.value(dateOrder));
        if (!order) return fail(kExitUsage, QStringLiteral("--date-order is mdy, dmy or ymd"));
        options.dateOrder = *order;
    }
    return std::nullopt;
}

int Command::findLog(Options& options) {
    if (!options.log.isEmpty()) {
        if (platform::isOrdinaryFile(options.log)) return kExitOk;
        return fail(kExitLogMissing, platform::missingLogTitle() + QStringLiteral(": ") +
                                         QDir::toNativeSeparators(options.log));
    }
    const std::optional<QString> log = platform::findSystemLog(environment_);
    if (!log) return fail(kExitLogMissing, platform::missingLogText());
    options.log = *log;
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

int Command::scan(QFile& log, const scan::ScanOutputs& layoutOutputs) {
    scan::ScanOutputs outputs = layoutOutputs;
    outputs.listener = listener_;
    scan::ScanTotals totals;
    const std::string today = platform::todayForReport(environment_);
    std::optional<QString> failure;
    if (auto thrown = scan::exceptionFrom(
            [&] { failure = scan::scanLog(log, today, outputs, totals, progressFor(log.size())); }))
        failure = thrown;
    if (failure) return failOn(kExitLogUnreadable, log.fileName(), *failure);
    return kExitOk;
}

int Command::toStandardOutput(QFile& log, const Options& options) {
    const QString path = QStringLiteral("standard output");
    std::optional<scan::BufferedFileSink> out;
    if (auto thrown = scan::exceptionFrom([&] { out.emplace(streams_.out, path); }))
        return failOn(kExitWriteFailed, path, *thrown);
    scan::NullSink other;
    const scan::ScanOutputs outputs =
        options.csv ? scan::ScanOutputs{other, *out} : scan::ScanOutputs{*out, other};
    if (const int status = scan(log, outputs); status != kExitOk) {
        out->abandon();
        return status;
    }
    if (!out->flush()) return failOn(kExitWriteFailed, path, out->error());
    return kExitOk;
}

// Both files are written beside their targets and put in place only when complete, the CSV
// first; an existing file is replaced only with --force, and never lost to a failure.
int Command::toFiles(QFile& log, const Options& options) {
    const std::array<QString, 2> paths = {options.output + QStringLiteral(".csv"),
                                          options.output + QStringLiteral(".txt")};
    for (const QString& path : paths) {
        if (!options.force && platform::pathTaken(path))
            return failOn(kExitWouldReplace, path,
                          QStringLiteral("already exists (--force replaces it)"));
    }
    std::array<std::unique_ptr<platform::StagedFile>, 2> files;
    std::array<std::unique_ptr<scan::BufferedFileSink>, 2> sinks;
    for (size_t i = 0; i < files.size(); ++i) {
        files[i] = std::make_unique<platform::StagedFile>(paths[i]);
        if (!files[i]->open()) return failOn(kExitWriteFailed, files[i]->problem());
        // Starting its writing thread can fail; the sinks started go before their files.
        if (auto thrown = scan::exceptionFrom([&] {
                sinks[i] = std::make_unique<scan::BufferedFileSink>(
                    files[i]->device(), paths[i], scan::BufferedFileSink::Finish::Commit);
            }))
            return failOn(kExitWriteFailed, paths[i], *thrown);
    }
    const int status = writeFiles(log, paths, files, sinks);
    // On a failure the files are dropped uncommitted, once their writing threads let go of them.
    for (auto& sink : sinks)
        sink->abandon();
    return status;
}

int Command::writeFiles(QFile& log, const std::array<QString, 2>& paths,
                        std::array<std::unique_ptr<platform::StagedFile>, 2>& files,
                        std::array<std::unique_ptr<scan::BufferedFileSink>, 2>& sinks) {
    if (const int status = scan(log, {*sinks[1], *sinks[0]}); status != kExitOk) return status;
    for (auto& sink : sinks)
        sink->finishWriting();
    for (size_t i = 0; i < files.size(); ++i) {
        // Flushed and checked before either file is committed.
        if (!sinks[i]->flush()) return failOn(kExitWriteFailed, paths[i], sinks[i]->error());
        if (!files[i]->flush()) return failOn(kExitWriteFailed, files[i]->problem());
    }
    for (size_t i = 0; i < files.size(); ++i) {
        if (!files[i]->commit()) return failOn(kExitWriteFailed, files[i]->problem());
    }
    return kExitOk;
}

int Command::run(const QStringList& arguments) {
    Options options;
    if (const auto done = parse(arguments, options)) return *done;
    if (const int status = findLog(options); status != kExitOk) return status;

    QFile log(options.log);
    if (!log.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
        return failOn(kExitLogUnreadable, options.log, log.errorString());
    if (!options.extras.empty()) return withExtraReports(log, options);
    return options.output.isEmpty() ? toStandardOutput(log, options) : toFiles(log, options);
}

// The page or the JSON on standard output; or, with -o, NAME.html and NAME.json after NAME.txt
// and NAME.csv, each written beside and put in place when complete, under the same rule for
// existing files, checked before anything is written.
int Command::withExtraReports(QFile& log, const Options& options) {
    report::ReportCollector collector;
    listener_ = &collector;
    const report::PageHeader header{
        environment_.todayShortDate(),
        QDir::toNativeSeparators(QFileInfo(options.log).absoluteFilePath())};

    if (options.output.isEmpty()) {
        scan::NullSink none;
        if (const int status = scan(log, {none, none}); status != kExitOk) return status;
        const QString path = QStringLiteral("standard output");
        std::optional<scan::BufferedFileSink> out;
        // Starting the writing thread, or the page's memory, can fail like the scan's.
        if (auto thrown = scan::exceptionFrom([&] {
                out.emplace(streams_.out, path);
                report::writeReport(options.extras.front(),
                                    collector.takeData(options.dateOrder), header, *out);
            })) {
            if (out) out->abandon();
            return failOn(kExitWriteFailed, path, *thrown);
        }
        if (!out->flush()) return failOn(kExitWriteFailed, path, out->error());
        return kExitOk;
    }

    for (report::ReportFormat kind : options.extras) {
        const QFileInfo info(options.output + report::fileSuffix(kind));
        if (!options.force && (info.exists() || info.isSymLink()))
            return failOn(kExitWouldReplace, info.filePath(),
                          QStringLiteral("already exists (--force replaces it)"));
    }
    if (const int status = toFiles(log, options); status != kExitOk) return status;
    const report::ReportData data = collector.takeData(options.dateOrder);
    for (report::ReportFormat kind : options.extras) {
        if (auto problem = report::writeReportFile(options.output + report::fileSuffix(kind), kind,
                                                data, header))
            return failOn(kExitWriteFailed, *problem);
    }
    return kExitOk;
}

} // namespace

int runReportCommand(const QStringList& arguments, const CommandStreams& streams,
                     platform::Environment& environment) {
    return Command(streams, environment).run(arguments);
}

} // namespace cli
