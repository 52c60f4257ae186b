#include "cli/options.h"

#include <QCommandLineParser>
#include <optional>

namespace cli {

namespace {

const QString kName = QStringLiteral("runtally-report");

// Each rule refuses one way of putting the options together, and says why.
using Rule = std::optional<QString> (*)(const Options&, const QCommandLineParser&);

std::optional<QString> outputNeedsAName(const Options& options, const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("output")) && options.output.isEmpty())
        return QStringLiteral("-o needs a NAME");
    return std::nullopt;
}

std::optional<QString> csvGoesWithoutOutput(const Options& options, const QCommandLineParser&) {
    if (options.csv && !options.output.isEmpty())
        return QStringLiteral("--csv goes without -o (which writes both files)");
    return std::nullopt;
}

std::optional<QString> onePrintedAtATime(const Options& options, const QCommandLineParser&) {
    if (options.output.isEmpty() && (options.csv ? 1u : 0u) + options.extras.size() > 1)
        return QStringLiteral("--csv, --html and --json print one at a time (-o NAME writes "
                              "several files)");
    return std::nullopt;
}

std::optional<QString> severalLogsMakeAPage(const Options& options, const QCommandLineParser&) {
    if (options.logs.size() > 1 && (options.extras.empty() || options.csv))
        return QStringLiteral("several logs go with --html or --json: the report and the CSV are "
                              "for one log");
    return std::nullopt;
}

std::optional<QString> periodEndsInOrder(const Options& options, const QCommandLineParser& parser) {
    const scan::Period& period = options.period;
    if (period.from && period.to && *period.to < *period.from)
        return QStringLiteral("--to %1 comes before --from %2")
            .arg(parser.value(QStringLiteral("to")), parser.value(QStringLiteral("from")));
    return std::nullopt;
}

// Shifts and a rate change only the page and the JSON.
std::optional<QString> planAndCostGoWithAPage(const Options& options,
                                              const QCommandLineParser& parser) {
    if (!options.extras.empty()) return std::nullopt;
    for (const char* option : {"shift", "workdays", "rate", "currency"}) {
        if (parser.isSet(QLatin1String(option)))
            return QStringLiteral("--%1 goes with --html or --json: the report and the CSV do not "
                                  "change")
                .arg(QLatin1String(option));
    }
    return std::nullopt;
}

std::optional<QString> workdaysNeedShifts(const Options&, const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("workdays")) && !parser.isSet(QStringLiteral("shift")))
        return QStringLiteral("--workdays goes with --shift");
    return std::nullopt;
}

std::optional<QString> currencyNeedsARate(const Options&, const QCommandLineParser& parser) {
    if (parser.isSet(QStringLiteral("currency")) && !parser.isSet(QStringLiteral("rate")))
        return QStringLiteral("--currency goes with --rate");
    return std::nullopt;
}

constexpr Rule kRules[] = {outputNeedsAName,     csvGoesWithoutOutput, onePrintedAtATime,
                           severalLogsMakeAPage, periodEndsInOrder,    planAndCostGoWithAPage,
                           workdaysNeedShifts,   currencyNeedsARate};

void addOptions(QCommandLineParser& parser) {
    parser.setApplicationDescription(
        QStringLiteral("Adds up the cut time in a Milvane system log and writes the report and "
                       "the CSV that Milvane Runtally shows and saves."));
    parser.addPositionalArgument(
        QStringLiteral("LOG"),
        QStringLiteral("The log to read; by default the mvsys.log that the user's Milvane "
                       "setting names. With --html or --json, several logs, one per machine, "
                       "each named after its folder."),
        QStringLiteral("[LOG...]"));
    parser.addOptions({
        {{QStringLiteral("o"), QStringLiteral("output")},
         QStringLiteral("Write NAME.txt (the report) and NAME.csv."),
         QStringLiteral("NAME")},
        {QStringLiteral("csv"), QStringLiteral("Without -o: print the CSV instead of the report.")},
        {QStringLiteral("force"), QStringLiteral("With -o: replace existing files.")},
        {QStringLiteral("html"),
         QStringLiteral("Without -o: print the report as a web page. With -o: also write "
                        "NAME.html.")},
        {QStringLiteral("json"),
         QStringLiteral("Without -o: print the report as JSON. With -o: also write NAME.json.")},
        {QStringLiteral("date-order"),
         QStringLiteral("How dates are read, the log's and those of --from and --to, for the "
                        "weeks and months of --html and --json too: mdy, dmy or ymd (by default "
                        "the system's short date order)."),
         QStringLiteral("ORDER")},
        {QStringLiteral("from"),
         QStringLiteral("Count only the runs of this date and later (in the date order, or "
                        "YYYY-MM-DD)."),
         QStringLiteral("DATE")},
        {QStringLiteral("to"),
         QStringLiteral("Count only the runs of this date and earlier (in the date order, or "
                        "YYYY-MM-DD)."),
         QStringLiteral("DATE")},
        {QStringLiteral("shift"),
         QStringLiteral("With --html or --json: a shift the machine is planned to work, such as "
                        "06:00-14:00 (one that ends before it starts runs past midnight); "
                        "repeat it for each shift. The page and the JSON then show each day's "
                        "utilisation."),
         QStringLiteral("FROM-TO")},
        {QStringLiteral("workdays"),
         QStringLiteral("With --shift: the days the shifts are worked, such as mon-fri (the "
                        "default), sun-thu or mon,wed,fri."),
         QStringLiteral("DAYS")},
        {QStringLiteral("rate"),
         QStringLiteral("With --html or --json: the cost of an hour of cutting, such as 85 or "
                        "1.15. The page and the JSON then show what the cut time cost."),
         QStringLiteral("AMOUNT")},
        {QStringLiteral("currency"),
         QStringLiteral("With --rate: the currency's label, such as EUR, shown as given."),
         QStringLiteral("TEXT")},
    });
    parser.addHelpOption();
    parser.addVersionOption();
}

// The end of a period as written after --from or --to, read in the date order.
std::optional<QString> readPeriodEnd(const QCommandLineParser& parser, const QString& option,
                                     Options& options, std::optional<QDate>& end) {
    if (!parser.isSet(option)) return std::nullopt;
    const QString written = parser.value(option);
    end = scan::readPeriodEnd(written, options.dateOrder);
    if (end) return std::nullopt;
    return QStringLiteral("--%1 \"%2\" is not a date: write it as %3 or YYYY-MM-DD")
        .arg(option, written, QString::fromLatin1(scan::dateOrderWords(options.dateOrder)));
}

// The shifts and workdays of --shift and --workdays, if any.
std::optional<QString> readPlan(const QCommandLineParser& parser, Options& options) {
    const QStringList written = parser.values(QStringLiteral("shift"));
    if (written.isEmpty()) return std::nullopt;
    timeline::WorkPlan plan;
    for (const QString& text : written) {
        const auto shift = timeline::readShift(text);
        if (!shift)
            return QStringLiteral("--shift \"%1\" is not a shift: write FROM-TO, each H:MM or "
                                  "HH:MM from 00:00 to 23:59, such as 06:00-14:00, and the two "
                                  "different")
                .arg(text);
        plan.shifts.push_back(*shift);
    }
    if (const auto overlap = timeline::firstOverlap(plan.shifts)) {
        const auto shiftText = [](const timeline::Shift& shift) {
            return QString::fromStdString(scan::clockMinutesText(shift.from) + '-' +
                                          scan::clockMinutesText(shift.to));
        };
        return QStringLiteral("--shift %1 and --shift %2 overlap")
            .arg(shiftText(overlap->first), shiftText(overlap->second));
    }
    if (parser.isSet(QStringLiteral("workdays"))) {
        const QString days = parser.value(QStringLiteral("workdays"));
        const auto workdays = timeline::Workdays::read(days);
        if (!workdays)
            return QStringLiteral("--workdays \"%1\" is not a list of days: write them as "
                                  "mon-fri, sun-thu or mon,wed,fri")
                .arg(days);
        plan.workdays = *workdays;
    }
    options.plan = std::move(plan);
    return std::nullopt;
}

// The rate and currency of --rate and --currency, if any.
std::optional<QString> readPricing(const QCommandLineParser& parser, Options& options) {
    if (!parser.isSet(QStringLiteral("rate"))) return std::nullopt;
    const QString written = parser.value(QStringLiteral("rate"));
    const auto rate = report::Rate::read(written);
    if (!rate)
        return QStringLiteral("--rate \"%1\" is not an amount: write a number of 0 or more with "
                              "at most 4 decimals after a \".\", such as 85 or 1.15")
            .arg(written);
    options.pricing = report::Pricing{*rate, std::nullopt};
    if (parser.isSet(QStringLiteral("currency")))
        options.pricing->currency = parser.value(QStringLiteral("currency"));
    return std::nullopt;
}

// The values as the options give them, or why one is not a value.
std::optional<QString> readValues(const QCommandLineParser& parser, Options& options) {
    options.logs = parser.positionalArguments();
    options.output = parser.value(QStringLiteral("output"));
    options.csv = parser.isSet(QStringLiteral("csv"));
    options.force = parser.isSet(QStringLiteral("force"));
    if (parser.isSet(QStringLiteral("html")))
        options.extras.push_back(webreport::ReportFormat::Html);
    if (parser.isSet(QStringLiteral("json")))
        options.extras.push_back(webreport::ReportFormat::Json);
    if (parser.isSet(QStringLiteral("date-order"))) {
        const auto order = scan::dateOrderNamed(parser.value(QStringLiteral("date-order")));
        if (!order) return QStringLiteral("--date-order is mdy, dmy or ymd");
        options.dateOrder = *order;
    }
    options.period.order = options.dateOrder;
    if (auto wrong = readPeriodEnd(parser, QStringLiteral("from"), options, options.period.from))
        return wrong;
    if (auto wrong = readPeriodEnd(parser, QStringLiteral("to"), options, options.period.to))
        return wrong;
    if (auto wrong = readPlan(parser, options)) return wrong;
    return readPricing(parser, options);
}

} // namespace

std::variant<Options, WrongUse> parseOptions(const QStringList& arguments) {
    QCommandLineParser parser;
    addOptions(parser);
    if (!parser.parse(arguments)) return WrongUse{parser.errorText()};
    Options options;
    if (parser.isSet(QStringLiteral("help"))) {
        options.printOnly = parser.helpText();
        return options;
    }
    if (parser.isSet(QStringLiteral("version"))) {
        options.printOnly = kName + QLatin1Char(' ') + QStringLiteral(RUNTALLY_VERSION) + '\n';
        return options;
    }
    if (auto wrong = readValues(parser, options)) return WrongUse{*wrong};
    for (Rule rule : kRules) {
        if (auto wrong = rule(options, parser)) return WrongUse{*wrong};
    }
    return options;
}

} // namespace cli
