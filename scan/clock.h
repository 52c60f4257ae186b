#pragma once

#include <QStringView>
#include <QtGlobal>
#include <optional>
#include <string>
#include <string_view>

namespace scan {

constexpr qint32 kDaySeconds = 86400;

// A run's start time as the log writes it, in seconds after midnight: "H:MM" or "H:MM:SS" on a
// 24-hour clock, or the same with "AM" or "PM" (any letter case, one blank before it or none) on
// a 12-hour clock, "12:05 AM" being 00:05. The hour has one or two digits, minutes and seconds two.
// Nothing else is read: no blanks around it, no "24:00", no "7.52".
std::optional<qint32> readStartTime(std::string_view text);

// A time of day as the user writes a shift's ends, in minutes after midnight: "H:MM" or "HH:MM",
// 00:00 to 23:59.
std::optional<qint32> readClockMinutes(QStringView text);
// "06:00".
std::string clockMinutesText(qint32 minutes);
// "06:00:15", for seconds after midnight up to 24:00:00.
std::string clockSecondsText(qint32 seconds);

} // namespace scan
