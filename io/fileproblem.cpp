#include "io/fileproblem.h"

#include <QDir>
#include <exception>
#include <new>

namespace io {

QString describe(const FileProblem& problem) {
    return QDir::toNativeSeparators(problem.path) + QLatin1Char('\n') + problem.reason;
}

QString describeCurrentException() noexcept {
    // The literals need no memory: they work when memory is what ran out.
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return QStringLiteral("Out of memory");
    } catch (const std::exception& exception) {
        try {
            return QString::fromLocal8Bit(exception.what());
        } catch (...) {
            return QStringLiteral("Unexpected failure");
        }
    } catch (...) {
        return QStringLiteral("Unexpected failure");
    }
}

} // namespace io
