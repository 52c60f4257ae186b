#pragma once

#include <QByteArray>
#include <QString>
#include <ostream>
#include <string>

// Readable failure output for Qt's strings.
inline void PrintTo(const QString& text, std::ostream* out) {
    *out << '"' << text.toStdString() << '"';
}
inline void PrintTo(const QByteArray& bytes, std::ostream* out) {
    *out << '"' << bytes.toStdString() << '"';
}

// Helpers for tests that work on real files.
namespace testfiles {

// A file under tests/data.
QString dataPath(const QString& name);

// The whole file; fails the test if it cannot be read.
QByteArray read(const QString& path);
std::string readString(const QString& path);

// Writes (replacing) a file, creating its folder; fails the test if that cannot be done.
void write(const QString& path, const QByteArray& bytes);

} // namespace testfiles
