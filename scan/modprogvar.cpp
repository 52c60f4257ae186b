#include "scan/modprogvar.h"

namespace modProgVar {

qint64 totalHours = 0;
qint64 totalMinutes = 0;
qint64 totalSeconds = 0;
qint64 dayHours = 0;
qint64 dayMinutes = 0;
qint64 daySeconds = 0;
std::string currentDate;
qint64 dayIndex = -1;

} // namespace modProgVar
