#include "platform/files.h"

#include <QFileInfo>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

#ifdef Q_OS_WIN
bool isSystemFile(const QString& path) {
    const DWORD attributes = GetFileAttributesW(reinterpret_cast<LPCWSTR>(path.utf16()));
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_SYSTEM);
}
#else
bool isSystemFile(const QString&) {
    return false;
}
#endif

} // namespace

bool isOrdinaryFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden() && !isSystemFile(path);
}

} // namespace platform
