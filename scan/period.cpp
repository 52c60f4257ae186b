#include "scan/period.h"

namespace scan {

bool Period::holds(const QDate& day) const {
    if (!day.isValid()) return false;
    return (!from || day >= *from) && (!to || day <= *to);
}

bool Period::holds(std::string_view logDate) const {
    return isWholeLog() || holds(parseLogDate(logDate, order));
}

std::optional<QDate> readPeriodEnd(QStringView text, DateOrder order) {
    const QByteArray bytes = text.toLatin1();
    const std::string_view written(bytes.constData(), static_cast<size_t>(bytes.size()));
    for (DateOrder tried : {order, DateOrder::YearMonthDay}) {
        if (const QDate day = parseLogDate(written, tried); day.isValid()) return day;
    }
    return std::nullopt;
}

bool PeriodCheck::read(std::string_view logDate) {
    lastDate_.assign(logDate);
    lastHeld_ = period_.holds(logDate);
    known_ = true;
    return lastHeld_;
}

} // namespace scan
