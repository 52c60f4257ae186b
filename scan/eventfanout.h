#pragma once

#include "scan/cuttally.h"

namespace scan {

// Hands every event of a scan to two listeners, the first before the second: the report layout
// and whatever else builds its output from the same single pass over the log.
class EventFanOut final : public ScanEvents {
public:
    EventFanOut(ScanEvents& first, ScanEvents& second) : first_(first), second_(second) {}

    void reportOpening() override {
        first_.reportOpening();
        second_.reportOpening();
    }
    void dateClosing(std::string_view date, const TimeAmount& dayTotal) override {
        first_.dateClosing(date, dayTotal);
        second_.dateClosing(date, dayTotal);
    }
    void dateOpening(std::string_view date) override {
        first_.dateOpening(date);
        second_.dateOpening(date);
    }
    void runLine(const RunLine& run) override {
        first_.runLine(run);
        second_.runLine(run);
    }
    void runsAhead(std::span<const CutRecord> records) override {
        first_.runsAhead(records);
        second_.runsAhead(records);
    }
    void logEnd(std::string_view firstDate, std::string_view lastDate,
                const TimeAmount& total) override {
        first_.logEnd(firstDate, lastDate, total);
        second_.logEnd(firstDate, lastDate, total);
    }

private:
    ScanEvents& first_;
    ScanEvents& second_;
};

} // namespace scan
