#pragma once

#include "report/fold.h"

#include <QBuffer>
#include <vector>

// A log in memory, scanned into the outputs.
inline report::ScanOutcome scanBytes(const QByteArray& log,
                                     const std::vector<report::ScanOutput*>& outputs,
                                     const report::ScanOptions& options = {}) {
    QBuffer device;
    device.setData(log);
    device.open(QIODevice::ReadOnly);
    return report::scanLog(device, outputs, options);
}
