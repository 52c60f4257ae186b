#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>

namespace testfiles {

QString dataPath(const QString& name) {
    return QStringLiteral(RUNTALLY_TEST_DATA) + QLatin1Char('/') + name;
}

QByteArray read(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << path.toStdString() << ": "
                      << file.errorString().toStdString();
        return {};
    }
    return file.readAll();
}

std::string readString(const QString& path) {
    return read(path).toStdString();
}

void write(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate)) << path.toStdString();
    ASSERT_EQ(file.write(bytes), bytes.size());
}

} // namespace testfiles
