#include "scan/logrecord.h"

#include <array>
#include <charconv>
#include <cmath>

namespace scan {

namespace {

constexpr double kLargestPart = 1e9;

// The first N pieces of `text` cut at `separator`, the last running to the next separator or to
// the end; how many were found.
template <size_t N> struct Pieces {
    std::array<std::string_view, N> piece;
    size_t count = 0;
};

template <size_t N> Pieces<N> split(std::string_view text, char separator) {
    Pieces<N> cut;
    for (size_t from = 0; cut.count < N;) {
        const size_t end = text.find(separator, from);
        cut.piece[cut.count++] = text.substr(from, end - from);
        if (end == std::string_view::npos) break;
        from = end + 1;
    }
    return cut;
}

bool isModeCut(std::string_view mode) {
    return mode.size() == 3 && (mode[0] | 0x20) == 'c' && (mode[1] | 0x20) == 'u' &&
           (mode[2] | 0x20) == 't';
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Short plain integers ("05", "12") are nearly every duration part; they skip the general path.
bool smallInteger(std::string_view part, double& value) {
    if (part.empty() || part.size() > 9) return false;
    qint64 whole = 0;
    for (char c : part) {
        if (!isDigit(c)) return false;
        whole = whole * 10 + (c - '0');
    }
    value = static_cast<double>(whole);
    return true;
}

// The power of ten of the first significant digit of a number written as from_chars reads it,
// to tell a value too large from one too small when it reads neither.
long long magnitudeOf(std::string_view number) {
    const size_t exponentAt = number.find_first_of("eE");
    long long exponent = 0;
    if (exponentAt != std::string_view::npos) {
        std::string_view digits = number.substr(exponentAt + 1);
        const bool negative = !digits.empty() && digits.front() == '-';
        if (!digits.empty() && (digits.front() == '-' || digits.front() == '+'))
            digits.remove_prefix(1);
        for (char c : digits.substr(0, 12)) // far beyond any double either way
            exponent = exponent * 10 + (c - '0');
        if (negative) exponent = -exponent;
    }
    const std::string_view mantissa = number.substr(0, exponentAt);
    const size_t point = std::min(mantissa.find('.'), mantissa.size());
    const size_t first = mantissa.find_first_not_of("0.");
    if (first == std::string_view::npos) return exponent - 100000; // all zeros
    const auto at = static_cast<long long>(first), pointAt = static_cast<long long>(point);
    return exponent + (at < pointAt ? pointAt - at - 1 : pointAt - at);
}

} // namespace

std::string_view fileNameOf(std::string_view path) {
    const size_t slash = path.rfind('\\');
    return slash == std::string_view::npos ? path : path.substr(slash + 1);
}

std::optional<double> RecordReader::leadingNumber(std::string_view part) {
    double value = 0;
    if (smallInteger(part, value)) return value;
    scratch_.clear();
    for (char c : part)
        if (c != ' ' && c != '\t') scratch_.push_back(c);
    std::string_view text = scratch_;
    const bool negative = !text.empty() && text.front() == '-';
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) text.remove_prefix(1);
    // from_chars would also read "inf", "nan" and a second sign, which are no numbers here.
    if (text.empty() || !(isDigit(text.front()) || text.front() == '.')) return 0.0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error == std::errc::invalid_argument) return 0.0; // "."
    if (error == std::errc::result_out_of_range) {
        const auto read = std::string_view(text.data(), static_cast<size_t>(end - text.data()));
        if (magnitudeOf(read) > 0) return std::nullopt;
        value = 0;
    }
    if (!std::isfinite(value) || value > kLargestPart) return std::nullopt;
    return negative ? -value : value;
}

std::optional<CutRecord> RecordReader::read(std::string_view line) {
    // Fields 0 to 5: cut file path, mode, duration, (unused), start time, date. Most skipped
    // lines are skipped for their mode, so it is looked at before the rest of the line is cut.
    const auto head = split<3>(line, ',');
    if (head.count < 3 || !isModeCut(head.piece[1])) return std::nullopt;
    const std::string_view rest = line.substr(head.piece[2].data() - line.data());
    const auto fields = split<4>(rest, ',');
    if (fields.count < 4 || fields.piece[0].empty()) return std::nullopt;
    const std::string_view duration = fields.piece[0];

    // Duration parts 0 to 3: (unused), hours, minutes, seconds.
    const auto parts = split<4>(duration, ':');
    if (parts.count < 4 || parts.piece[1].empty()) return std::nullopt;
    const std::optional<double> hours = leadingNumber(parts.piece[1]);
    const std::optional<double> minutes = leadingNumber(parts.piece[2]);
    const std::optional<double> seconds = leadingNumber(parts.piece[3]);
    if (!hours || !minutes || !seconds) return std::nullopt;

    TimeAmount alone;
    alone.add({*hours, *minutes, *seconds});
    const char* const hoursStart = parts.piece[1].data();
    const char* const secondsEnd = parts.piece[3].data() + parts.piece[3].size();
    return CutRecord{
        .cutFileName = fileNameOf(head.piece[0]),
        .startTime = fields.piece[2],
        .date = fields.piece[3],
        .hoursText = parts.piece[1],
        .minutesText = parts.piece[2],
        .secondsText = parts.piece[3],
        // Hours to seconds stand together in the log, colons and all.
        .durationText = std::string_view(hoursStart, static_cast<size_t>(secondsEnd - hoursStart)),
        .duration = {*hours, *minutes, *seconds},
        .startOfDay = readStartTime(fields.piece[2]),
        .length = Seconds::of(alone),
    };
}

} // namespace scan
