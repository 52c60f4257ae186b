// Any log: the threaded reading, in read blocks of several sizes, gives the outputs of a plain
// reading of the same bytes, and so does a period's, which leaves the other runs out as if the
// log did not hold them (the period covers some of the seed logs' dates). The outputs keep their
// shape and agree with the totals.
#include "fuzz/differential.h"

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::vector<std::string_view> linesOf(std::string_view text) {
    std::vector<std::string_view> lines;
    for (size_t at = text.find("\r\n"); at != std::string_view::npos; at = text.find("\r\n")) {
        lines.push_back(text.substr(0, at));
        text.remove_prefix(at + 2);
    }
    fuzz::require(text.empty(), "every line of a file ends with CR LF");
    return lines;
}

bool noLineEndInside(const std::vector<std::string_view>& lines) {
    for (std::string_view line : lines)
        if (line.find_first_of("\r\n") != std::string_view::npos) return false;
    return true;
}

size_t commas(std::string_view row) {
    return static_cast<size_t>(std::count(row.begin(), row.end(), ','));
}

std::string twoDigitTotals(const scan::TimeAmount& total, char separator) {
    std::string text;
    scan::appendTwoDigit(text, total.hours);
    text += separator;
    scan::appendTwoDigit(text, total.minutes);
    text += separator;
    scan::appendTwoDigit(text, total.seconds);
    return text;
}

// Run rows (six fields) come in date blocks, each closed by a day-total row (nine fields) of the
// same date before the empty row that ends the block.
void checkDateBlocks(const std::vector<std::string_view>& rows) {
    std::vector<std::string_view> openRuns;
    for (size_t i = 1; i + 1 < rows.size(); ++i) {
        const std::string_view row = rows[i];
        const std::string_view date = row.substr(0, row.find(','));
        if (row.empty()) {
            fuzz::require(openRuns.empty(), "no run row is left outside a closed date block");
        } else if (commas(row) == 5) {
            openRuns.push_back(date);
        } else {
            fuzz::require(commas(row) == 8, "a CSV row has six or nine fields");
            for (std::string_view run : openRuns)
                fuzz::require(run == date, "a day-total row closes the runs of its own date");
            openRuns.clear();
            fuzz::require(rows[i + 1].empty(), "an empty row follows each day-total row");
        }
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, size_t size) {
    const std::string_view log(reinterpret_cast<const char*>(data), size);
    const fuzz::Outputs out = fuzz::plainScan(log);
    for (size_t blockSize : {size_t{16}, size_t{4096}})
        fuzz::require(fuzz::pipelineScan(log, {}, blockSize) == out,
                      "the threaded reading gives what the plain reading gives");
    const scan::Period period{QDate(2026, 11, 3), QDate(2026, 11, 4),
                              scan::DateOrder::MonthDayYear};
    fuzz::require(fuzz::pipelineScan(log, {}, 64, nullptr, period) == fuzz::plainScan(log, period),
                  "a period's threaded reading gives what its plain reading gives");
    const auto report = linesOf(out.reportFile);
    const auto csv = linesOf(out.csvFile);
    fuzz::require(noLineEndInside(report) && noLineEndInside(csv), "lines are whole");

    fuzz::require(report.back() == "Total cut time  -  " + twoDigitTotals(out.totals.total, ':'),
                  "the report's total line is the scan's total");
    fuzz::require(csv.back() == "Total,,,,,," + twoDigitTotals(out.totals.total, ','),
                  "the CSV's grand-total row is the scan's total");
    fuzz::require(out.reportText.rfind("\r\n", 0) == 0 &&
                      out.reportText.size() + 2 >= out.reportFile.size(),
                  "the report text starts with its empty line");
    checkDateBlocks(csv);
    return 0;
}
