#include "report/reportdata.h"

#include <algorithm>
#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif
#include <cstring>
#include <unordered_map>
#include <limits>
#include <map>

namespace report {

namespace {

constexpr qint64 kMost = std::numeric_limits<qint64>::max();
constexpr qint64 kLeast = std::numeric_limits<qint64>::min();

qint64 timesHeld(qint64 value, qint64 factor) {
    if (value > kMost / factor) return kMost;
    if (value < kLeast / factor) return kLeast;
    return value * factor;
}

void addPeriod(std::map<int, PeriodTotal>& periods, int key, const QString& name,
               const DateBlock& block) {
    PeriodTotal& period = periods[key];
    period.period = name;
    period.runs += block.runs;
    period.totalSeconds = addSeconds(period.totalSeconds, totalSecondsOf(block.total));
}

std::vector<PeriodTotal> inDateOrder(std::map<int, PeriodTotal>&& periods) {
    std::vector<PeriodTotal> list;
    list.reserve(periods.size());
    for (auto& [key, period] : periods)
        list.push_back(std::move(period));
    return list;
}

// A hash of a cut file name, eight bytes at a time: names are short and looked up for every run.
std::uint64_t nameHash(std::string_view name) {
    constexpr std::uint64_t kMultiplier = 0xFF51AFD7ED558CCDULL;
    std::uint64_t hash = 0x9E3779B97F4A7C15ULL ^ name.size();
    while (name.size() >= sizeof(std::uint64_t)) {
        std::uint64_t word;
        std::memcpy(&word, name.data(), sizeof word);
        hash = (hash ^ word) * kMultiplier;
        hash ^= hash >> 32;
        name.remove_prefix(sizeof word);
    }
    std::uint64_t tail = 0;
    if (!name.empty()) std::memcpy(&tail, name.data(), name.size());
    hash = (hash ^ tail) * kMultiplier;
    return hash ^ (hash >> 29);
}

// Asks the processor to bring `address` into the cache; a hint only.
void prefetch(const void* address) {
#if defined(__GNUC__) || defined(__clang__)
    __builtin_prefetch(address);
#elif defined(_M_X64) || defined(_M_IX86)
    _mm_prefetch(static_cast<const char*>(address), _MM_HINT_T0);
#else
    (void)address;
#endif
}

// How many runs ahead a run's slot, and then its entry, are fetched: the entry needs the slot
// in the cache first.
constexpr size_t kSlotFetchDistance = 16;
constexpr size_t kEntryFetchDistance = 8;

} // namespace

qint64 addSeconds(qint64 a, qint64 b) {
    if (b > 0 && a > kMost - b) return kMost;
    if (b < 0 && a < kLeast - b) return kLeast;
    return a + b;
}

qint64 totalSecondsOf(const scan::TimeAmount& amount) {
    return addSeconds(addSeconds(timesHeld(amount.hours, 3600), timesHeld(amount.minutes, 60)),
                      amount.seconds);
}

void ReportCollector::dateOpening(std::string_view date) {
    data_.blocks.push_back(DateBlock{std::string(date), {}, 0, {}});
}

void ReportCollector::dateClosing(std::string_view, const scan::TimeAmount& dayTotal) {
    // The closing always belongs to the last block opened; at the end of a log without any
    // counted record there is none.
    if (!data_.blocks.empty()) data_.blocks.back().total = dayTotal;
}

void ReportCollector::runsAhead(std::span<const scan::CutRecord> records) {
    aheadHashes_.resize(records.size()); // first: if it fails, no run is taken for told ahead
    ahead_ = records;
    nextAhead_ = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        aheadHashes_[i] = nameHash(records[i].cutFileName);
        if (i < kSlotFetchDistance) files_.fetchSlot(aheadHashes_[i]);
    }
}

// The hash of a run's file name: worked out ahead for a run told ahead, which also fetches the
// table for the runs that follow it.
std::uint64_t ReportCollector::hashOfRun(const scan::CutRecord& record) {
    if (nextAhead_ >= ahead_.size() || &record != &ahead_[nextAhead_])
        return nameHash(record.cutFileName);
    const size_t i = nextAhead_++;
    if (i + kSlotFetchDistance < ahead_.size()) files_.fetchSlot(aheadHashes_[i + kSlotFetchDistance]);
    if (i + kEntryFetchDistance < ahead_.size())
        files_.fetchEntry(aheadHashes_[i + kEntryFetchDistance]);
    return aheadHashes_[i];
}

void ReportCollector::runLine(const scan::RunLine& run) {
    ++data_.runs;
    ++data_.blocks.back().runs;
    auto& entries = files_.entries();
    const std::string_view name = run.record.cutFileName;
    const std::uint64_t hash = hashOfRun(run.record);
    if (lastFile_ < 0 || entries[static_cast<size_t>(lastFile_)].name != name) {
        const FileTallies::Entry& found = files_.of(name, hash); // may move the entries
        lastFile_ = &found - entries.data();
    }
    FileTallies::Entry& file = entries[static_cast<size_t>(lastFile_)];
    ++file.runs;
    scan::addDuration(file.total, run.record.duration);
    keepRunRow(run.record);
}

ReportCollector::FileTallies::Entry& ReportCollector::FileTallies::of(std::string_view name,
                                                                      std::uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = slots_[slot];
        if (at == 0) {
            entries_.push_back(Entry{std::string(name), hash, 0, {}});
            slots_[slot] = static_cast<std::uint32_t>(entries_.size());
            if (entries_.size() * 2 > slots_.size()) grow();
            return entries_.back();
        }
        Entry& entry = entries_[at - 1];
        if (entry.hash == hash && entry.name == name) return entry;
    }
}

void ReportCollector::FileTallies::fetchSlot(std::uint64_t hash) const {
    prefetch(&slots_[hash & (slots_.size() - 1)]);
}

void ReportCollector::FileTallies::fetchEntry(std::uint64_t hash) const {
    const std::uint32_t at = slots_[hash & (slots_.size() - 1)];
    if (at != 0 && at <= entries_.size()) prefetch(&entries_[at - 1]);
}

void ReportCollector::FileTallies::grow() {
    std::vector<std::uint32_t> wider(slots_.size() * 2);
    const size_t mask = wider.size() - 1;
    for (size_t i = 0; i < entries_.size(); ++i) {
        size_t slot = entries_[i].hash & mask;
        while (wider[slot] != 0)
            slot = (slot + 1) & mask;
        wider[slot] = static_cast<std::uint32_t>(i + 1);
    }
    slots_.swap(wider);
}

void ReportCollector::keepRunRow(const scan::CutRecord& record) {
    if (data_.runRowsOmitted) return;
    if (data_.runs > runRowLimit_) {
        data_.runRowsOmitted = true;
        std::vector<RunRow>().swap(data_.runRows);
        return;
    }
    data_.runRows.push_back(RunRow{data_.blocks.size() - 1, std::string(record.cutFileName),
                                   std::string(record.startTime),
                                   std::string(record.durationText)});
}

void ReportCollector::logEnd(std::string_view, std::string_view, const scan::TimeAmount& total) {
    data_.total = total;
}

ReportData ReportCollector::takeData(DateOrder order) {
    data_.dateOrder = order;

    data_.files.reserve(files_.entries().size());
    for (FileTallies::Entry& entry : files_.entries())
        data_.files.push_back(
            FileTotal{std::move(entry.name), entry.runs, totalSecondsOf(entry.total)});
    files_ = FileTallies();
    lastFile_ = -1;
    ahead_ = {};
    nextAhead_ = 0;
    std::sort(data_.files.begin(), data_.files.end(), [](const FileTotal& a, const FileTotal& b) {
        return a.totalSeconds != b.totalSeconds ? a.totalSeconds > b.totalSeconds : a.name < b.name;
    });

    std::map<int, PeriodTotal> weeks, months;
    std::unordered_map<std::string_view, size_t> unparsedAt;
    for (DateBlock& block : data_.blocks) {
        block.day = parseLogDate(block.date, order);
        if (block.day.isValid()) {
            int weekYear = 0;
            const int week = block.day.weekNumber(&weekYear);
            addPeriod(weeks, weekYear * 100 + week, isoWeekOf(block.day), block);
            addPeriod(months, block.day.year() * 100 + block.day.month(), monthOf(block.day),
                      block);
            continue;
        }
        auto [at, isNew] = unparsedAt.try_emplace(block.date, data_.unparsed.size());
        if (isNew) data_.unparsed.push_back(UnparsedDate{block.date, 0, 0});
        UnparsedDate& unparsed = data_.unparsed[at->second];
        unparsed.runs += block.runs;
        unparsed.totalSeconds = addSeconds(unparsed.totalSeconds, totalSecondsOf(block.total));
    }
    data_.weeks = inDateOrder(std::move(weeks));
    data_.months = inDateOrder(std::move(months));
    return std::move(data_);
}

} // namespace report
