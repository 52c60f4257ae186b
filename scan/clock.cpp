#include "scan/clock.h"

#include <cstdio>

namespace scan {

namespace {

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// Two digits from 00 to 59 at the front of `text`, taken off it.
std::optional<qint32> takeSixtieth(std::string_view& text) {
    if (text.size() < 2 || !isDigit(text[0]) || !isDigit(text[1])) return std::nullopt;
    const qint32 value = (text[0] - '0') * 10 + (text[1] - '0');
    text.remove_prefix(2);
    if (value > 59) return std::nullopt;
    return value;
}

enum class Meridiem { None, Am, Pm };

// Takes "AM" or "PM", and one blank before it, off the end of `text`.
Meridiem takeMeridiem(std::string_view& text) {
    if (text.size() < 2) return Meridiem::None;
    const char first = static_cast<char>(text[text.size() - 2] | 0x20);
    const char second = static_cast<char>(text.back() | 0x20);
    if (second != 'm' || (first != 'a' && first != 'p')) return Meridiem::None;
    text.remove_suffix(2);
    if (!text.empty() && text.back() == ' ') text.remove_suffix(1);
    return first == 'a' ? Meridiem::Am : Meridiem::Pm;
}

// "H:MM" or "HH:MM" at the front of `text`, taken off it: the hour as written, and the minutes.
std::optional<std::pair<qint32, qint32>> takeHoursAndMinutes(std::string_view& text) {
    size_t digits = 0;
    qint32 hour = 0;
    while (digits < text.size() && digits < 2 && isDigit(text[digits]))
        hour = hour * 10 + (text[digits++] - '0');
    if (digits == 0 || digits >= text.size() || text[digits] != ':') return std::nullopt;
    text.remove_prefix(digits + 1);
    const auto minutes = takeSixtieth(text);
    if (!minutes) return std::nullopt;
    return std::pair{hour, *minutes};
}

} // namespace

std::optional<qint32> readStartTime(std::string_view text) {
    const Meridiem meridiem = takeMeridiem(text);
    auto clock = takeHoursAndMinutes(text);
    if (!clock) return std::nullopt;
    auto [hour, minutes] = *clock;
    qint32 seconds = 0;
    if (!text.empty()) {
        if (text.front() != ':') return std::nullopt;
        text.remove_prefix(1);
        const auto taken = takeSixtieth(text);
        if (!taken || !text.empty()) return std::nullopt;
        seconds = *taken;
    }
    if (meridiem == Meridiem::None) {
        if (hour > 23) return std::nullopt;
    } else {
        if (hour < 1 || hour > 12) return std::nullopt;
        hour = hour % 12 + (meridiem == Meridiem::Pm ? 12 : 0);
    }
    return (hour * 60 + minutes) * 60 + seconds;
}

std::optional<qint32> readClockMinutes(QStringView text) {
    if (text.size() > 5) return std::nullopt;
    const std::string latin = text.toLatin1().toStdString();
    std::string_view rest = latin;
    const auto clock = takeHoursAndMinutes(rest);
    if (!clock || !rest.empty() || clock->first > 23) return std::nullopt;
    return clock->first * 60 + clock->second;
}

std::string clockMinutesText(qint32 minutes) {
    char text[16];
    std::snprintf(text, sizeof text, "%02d:%02d", minutes / 60, minutes % 60);
    return text;
}

std::string clockSecondsText(qint32 seconds) {
    char text[24];
    std::snprintf(text, sizeof text, "%02d:%02d:%02d", seconds / 3600, seconds / 60 % 60,
                  seconds % 60);
    return text;
}

} // namespace scan
