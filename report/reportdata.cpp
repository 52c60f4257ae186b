#include "report/reportdata.h"

#include <algorithm>
#if defined(_MSC_VER) && !defined(__clang__)
#include <xmmintrin.h>
#endif
#include <cstring>
#include <limits>
#include <map>
#include <unordered_map>

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

// How many names ahead a name's slot, and then its entry, are fetched while a batch's names are
// added up: with many names the table is seldom in the cache, and the wait for it was most of the
// time spent per name. The entry needs the slot in the cache first.
constexpr size_t kSlotFetchDistance = 16;
constexpr size_t kEntryFetchDistance = 8;

// A batch's name table has at least twice as many slots as the batch has records.
constexpr size_t kFewestBatchSlots = 64;

// "2026-W07": the ISO 8601 week of a day, with the week's own year.
QString isoWeekOf(const QDate& day) {
    int weekYear = 0;
    const int week = day.weekNumber(&weekYear);
    return QStringLiteral("%1-W%2")
        .arg(weekYear, 4, 10, QLatin1Char('0'))
        .arg(week, 2, 10, QLatin1Char('0'));
}

// "2026-02".
QString monthOf(const QDate& day) {
    return QStringLiteral("%1-%2")
        .arg(day.year(), 4, 10, QLatin1Char('0'))
        .arg(day.month(), 2, 10, QLatin1Char('0'));
}

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

void BatchFiles::tally(std::span<const scan::CutRecord> records) {
    entries_.clear();
    entryOfRecord_.clear();
    size_t slotCount = kFewestBatchSlots;
    while (slotCount < 2 * records.size())
        slotCount *= 2;
    slots_.assign(slotCount, 0);
    const size_t mask = slotCount - 1;
    std::uint32_t last = 0; // entry + 1 of the record before: runs of one file often follow
    for (const scan::CutRecord& record : records) {
        const std::string_view name = record.cutFileName;
        if (last == 0 || entries_[last - 1].name != name) {
            const std::uint64_t hash = nameHash(name);
            size_t slot = hash & mask;
            for (; slots_[slot] != 0; slot = (slot + 1) & mask) {
                const Entry& entry = entries_[slots_[slot] - 1];
                if (entry.hash == hash && entry.name == name) break;
            }
            if (slots_[slot] == 0) {
                entries_.push_back(Entry{name, hash, 0, {}});
                slots_[slot] = static_cast<std::uint32_t>(entries_.size());
            }
            last = slots_[slot];
        }
        Entry& entry = entries_[last - 1];
        ++entry.runs;
        entry.sum.add(record.duration);
        entryOfRecord_.push_back(last - 1);
    }
}

void ReportCollector::join(std::span<const scan::CutRecord> records, const BatchFiles& files,
                           const scan::BatchDays& days, size_t firstBlock) {
    data_.runs += static_cast<qint64>(records.size());
    addFileTallies(records, files);
    keepRunRows(records, days, firstBlock);
}

// Each name's sum in one step where that gives what adding its runs one by one gives; the runs
// of the other names one by one, in log order.
void ReportCollector::addFileTallies(std::span<const scan::CutRecord> records,
                                     const BatchFiles& files) {
    const std::vector<BatchFiles::Entry>& names = files.entries_;
    tallyOfName_.resize(names.size());
    addOneByOne_.assign(names.size(), false);
    bool anyOneByOne = false;
    for (size_t i = 0; i < names.size(); ++i) {
        if (i + kSlotFetchDistance < names.size())
            files_.fetchSlot(names[i + kSlotFetchDistance].hash);
        if (i + kEntryFetchDistance < names.size())
            files_.fetchEntry(names[i + kEntryFetchDistance].hash);
        const BatchFiles::Entry& name = names[i];
        const std::uint32_t at = files_.indexOf(name.name, name.hash);
        tallyOfName_[i] = at;
        FileTallies::Entry& tally = files_.entries()[at];
        tally.runs += name.runs;
        if (!name.sum.addTo(tally.total)) addOneByOne_[i] = anyOneByOne = true;
    }
    if (!anyOneByOne) return;
    for (size_t r = 0; r < records.size(); ++r) {
        const std::uint32_t name = files.entryOfRecord_[r];
        if (addOneByOne_[name])
            scan::addDuration(files_.entries()[tallyOfName_[name]].total, records[r].duration);
    }
}

std::uint32_t ReportCollector::FileTallies::indexOf(std::string_view name, std::uint64_t hash) {
    const size_t mask = slots_.size() - 1;
    for (size_t slot = hash & mask;; slot = (slot + 1) & mask) {
        const std::uint32_t at = slots_[slot];
        if (at == 0) {
            entries_.push_back(Entry{std::string(name), hash, 0, {}});
            slots_[slot] = static_cast<std::uint32_t>(entries_.size());
            if (entries_.size() * 2 > slots_.size()) grow();
            return static_cast<std::uint32_t>(entries_.size() - 1);
        }
        const Entry& entry = entries_[at - 1];
        if (entry.hash == hash && entry.name == name) return at - 1;
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

// Every run while the log has no more than the limit; none once it has more.
void ReportCollector::keepRunRows(std::span<const scan::CutRecord> records,
                                  const scan::BatchDays& days, size_t firstBlock) {
    if (data_.runRowsOmitted) return;
    if (data_.runs > runRowLimit_) {
        data_.runRowsOmitted = true;
        std::vector<RunRow>().swap(data_.runRows);
        return;
    }
    const std::vector<size_t>& laterStarts = days.laterStarts();
    size_t block = firstBlock;
    size_t nextStart = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (nextStart < laterStarts.size() && laterStarts[nextStart] == i) {
            ++block;
            ++nextStart;
        }
        const scan::CutRecord& record = records[i];
        data_.runRows.push_back(RunRow{block, std::string(record.cutFileName),
                                       std::string(record.startTime),
                                       std::string(record.durationText)});
    }
}

ReportData ReportCollector::takeData(scan::DateOrder order, const scan::ScanTotals& totals) {
    data_.dateOrder = order;
    data_.total = totals.total;
    data_.blocks.reserve(totals.days.size());
    for (const scan::DayItem& day : totals.days)
        data_.blocks.push_back(DateBlock{day.date, day.total, day.runs, {}});

    data_.files.reserve(files_.entries().size());
    for (FileTallies::Entry& entry : files_.entries())
        data_.files.push_back(
            FileTotal{std::move(entry.name), entry.runs, totalSecondsOf(entry.total)});
    files_ = FileTallies();
    std::sort(data_.files.begin(), data_.files.end(), [](const FileTotal& a, const FileTotal& b) {
        return a.totalSeconds != b.totalSeconds ? a.totalSeconds > b.totalSeconds : a.name < b.name;
    });

    std::map<int, PeriodTotal> weeks, months;
    std::unordered_map<std::string_view, size_t> unparsedAt;
    for (DateBlock& block : data_.blocks) {
        block.day = scan::parseLogDate(block.date, order);
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
