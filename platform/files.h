#pragma once

#include <QString>

namespace platform {

// The existence check used throughout the program: true only when an ordinary file of exactly
// that name exists. A folder, a device or pipe, a hidden file (the hidden attribute on Windows, a
// name starting with a dot elsewhere) and a Windows system file count as absent; read-only
// files count as present.
bool isOrdinaryFile(const QString& path);

} // namespace platform
