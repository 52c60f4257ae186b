#pragma once

#include "report/reportdata.h"

#include <QString>
#include <vector>

namespace webreport {

// One of several logs, each from a machine of its own, and what its scan collected.
struct Machine {
    QString name;    // see machineNames
    QString logPath; // as the user should read it
    report::ReportData data;
};

// A name for each log, in the order given: the folder that holds it ("logs/laser-1/mvsys.log" is
// "laser-1"), with as many of the folders above as tell it from the others that would have the
// same name ("a/laser" and "b/laser"), and the file's name too where two share their folder. The
// paths are absolute and name different files; the names use the system's separators.
std::vector<QString> machineNames(const std::vector<QString>& logPaths);

// A month of the machines' parsed dates: their cut time together, and each one's.
struct MachineMonth {
    QString month; // "2026-02"
    scan::Seconds time;
    std::vector<scan::Seconds> byMachine; // in the machines' order; 0 for one without runs then
};

// The machines' figures added up.
struct MachinesTotal {
    scan::Seconds time;
    qint64 runs = 0;
    std::vector<scan::Seconds> machineTimes; // each machine's total, in their order
    std::vector<MachineMonth> months;        // in date order
};

MachinesTotal addUp(const std::vector<Machine>& machines);

} // namespace webreport
