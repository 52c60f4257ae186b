#include "fuzz/fuzzscan.h"

#include "scan/bytesink.h"

#include <QIODevice>
#include <algorithm>
#include <cstring>

namespace fuzz {

namespace {

// Serves the log in reads of at most the next of the given sizes, as a disk or pipe might.
class ChoppedDevice final : public QIODevice {
public:
    ChoppedDevice(std::string_view bytes, const std::vector<size_t>& sizes)
        : bytes_(bytes), sizes_(sizes) {
        open(QIODevice::ReadOnly | QIODevice::Unbuffered);
    }
    bool isSequential() const override { return true; }

protected:
    qint64 readData(char* data, qint64 maxSize) override {
        size_t size = std::min(static_cast<size_t>(maxSize), bytes_.size());
        if (!sizes_.empty()) size = std::min(size, sizes_[next_++ % sizes_.size()]);
        if (size > 0) std::memcpy(data, bytes_.data(), size);
        bytes_.remove_prefix(size);
        return static_cast<qint64>(size);
    }
    qint64 writeData(const char*, qint64) override { return -1; }

private:
    std::string_view bytes_;
    const std::vector<size_t>& sizes_;
    size_t next_ = 0;
};

} // namespace

Outputs scanBytes(std::string_view log, const std::vector<size_t>& readSizes) {
    ChoppedDevice device(log, readSizes);
    scan::StringSink report, csv, text;
    Outputs outputs;
    constexpr size_t kBlockSize = 4096; // small blocks keep each run quick
    const auto failure =
        scan::scanLog(device, "12/7/2026", {report, csv, &text}, outputs.totals, {}, kBlockSize);
    require(!failure, "reading from memory never fails");
    outputs.reportFile = report.takeText();
    outputs.csvFile = csv.takeText();
    outputs.reportText = text.takeText();

    // Without the report text the lines are laid out on the parsing threads, batch by batch:
    // the files and the counters must come out the same.
    ChoppedDevice again(log, readSizes);
    scan::StringSink reportAlone, csvAlone;
    scan::ScanTotals totalsAlone;
    require(!scan::scanLog(again, "12/7/2026", {reportAlone, csvAlone}, totalsAlone, {}, kBlockSize),
            "reading from memory never fails");
    require(reportAlone.text() == outputs.reportFile && csvAlone.text() == outputs.csvFile,
            "the files are the same bytes with or without the report text");
    require(totalsAlone.total == outputs.totals.total &&
                totalsAlone.hasCutRecords == outputs.totals.hasCutRecords &&
                totalsAlone.days.size() == outputs.totals.days.size() &&
                std::equal(totalsAlone.days.begin(), totalsAlone.days.end(),
                           outputs.totals.days.begin(),
                           [](const scan::DayItem& a, const scan::DayItem& b) {
                               return a.date == b.date && a.total == b.total;
                           }),
            "the counters are the same with or without the report text");
    return outputs;
}

} // namespace fuzz
