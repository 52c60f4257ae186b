#include "webreport/machines.h"

#include <QDir>
#include <QFileInfo>
#include <algorithm>
#include <map>

namespace webreport {

namespace {

// A log's folders, innermost first, and its file's name.
struct LogPlace {
    QStringList folders;
    QString fileName;
};

LogPlace placeOf(const QString& path) {
    const QFileInfo file(QDir::cleanPath(path));
    QStringList folders = QDir::fromNativeSeparators(file.path()).split(u'/', Qt::SkipEmptyParts);
    std::reverse(folders.begin(), folders.end());
    return {folders, file.fileName()};
}

// The innermost `depth` folders, outermost first; the file's name after them when `withFile`.
QString nameOf(const LogPlace& place, qsizetype depth, bool withFile) {
    QStringList parts = place.folders.first(std::min(depth, place.folders.size()));
    std::reverse(parts.begin(), parts.end());
    if (withFile || parts.isEmpty()) parts.append(place.fileName);
    return QDir::toNativeSeparators(parts.join(u'/'));
}

// Names that the file system would take for one are one name.
QString sameNameKey(const QString& name) {
#ifdef Q_OS_WIN
    return name.toCaseFolded();
#else
    return name;
#endif
}

} // namespace

std::vector<QString> machineNames(const std::vector<QString>& logPaths) {
    std::vector<LogPlace> places;
    for (const QString& path : logPaths)
        places.push_back(placeOf(path));
    std::vector<qsizetype> depth(places.size(), 1);
    std::vector<bool> withFile(places.size(), false);
    std::vector<QString> names(places.size());
    for (bool changed = true; changed;) {
        changed = false;
        std::map<QString, std::vector<size_t>> holders;
        for (size_t i = 0; i < places.size(); ++i) {
            names[i] = nameOf(places[i], depth[i], withFile[i]);
            holders[sameNameKey(names[i])].push_back(i);
        }
        for (const auto& [name, logs] : holders) {
            if (logs.size() < 2) continue;
            // Each goes one folder further out; where none can, they add their files' names.
            bool wentOut = false;
            for (size_t i : logs) {
                if (depth[i] < places[i].folders.size()) {
                    ++depth[i];
                    wentOut = true;
                }
            }
            if (!wentOut) {
                for (size_t i : logs) {
                    if (!withFile[i]) withFile[i] = changed = true;
                }
            }
            changed = changed || wentOut;
        }
    }
    return names;
}

MachinesTotal addUp(const std::vector<Machine>& machines) {
    MachinesTotal total;
    std::map<std::string, MachineMonth> months; // "2026-02" sorts in date order
    for (size_t m = 0; m < machines.size(); ++m) {
        const report::ReportData& data = machines[m].data;
        const scan::Seconds time = scan::Seconds::of(data.total);
        total.machineTimes.push_back(time);
        total.time += time;
        total.runs += data.runs;
        for (const report::TotalRow& period : data.months) {
            MachineMonth& month = months[period.label];
            month.month = QString::fromStdString(period.label);
            month.byMachine.resize(machines.size());
            month.byMachine[m] = period.time;
            month.time += period.time;
        }
    }
    for (auto& [key, month] : months)
        total.months.push_back(std::move(month));
    return total;
}

} // namespace webreport
