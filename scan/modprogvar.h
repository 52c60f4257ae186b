#pragma once

#include <QtGlobal>
#include <string>

// Program-wide values of the last log scan. The scan resets them when it starts and leaves its
// final values here; nothing else writes them.
namespace modProgVar {

// Grand total of all counted durations.
extern qint64 totalHours;
extern qint64 totalMinutes;
extern qint64 totalSeconds;

// Total of the current (at the end: the last) date block.
extern qint64 dayHours;
extern qint64 dayMinutes;
extern qint64 daySeconds;

// Date text of the current date block, exactly as the log writes it; "" before the first block.
extern std::string currentDate;

// Position of the current date block's item in the date list; -1 before the first block.
extern qint64 dayIndex;

} // namespace modProgVar
