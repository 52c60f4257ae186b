#include "platform/platform.h"
#include "testfiles.h"

#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

namespace {

TEST(FileExistence, OnlyAnOrdinaryVisibleFileCounts) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    testfiles::write(path("report.tmp"), "x");
    testfiles::write(path("empty.tmp"), "");
    testfiles::write(path(".hidden.tmp"), "x");
    testfiles::write(path("readonly.tmp"), "x");
    QFile::setPermissions(path("readonly.tmp"), QFile::ReadOwner);
    QDir().mkpath(path("folder.tmp"));
    ASSERT_EQ(mkfifo(path("pipe.tmp").toLocal8Bit().constData(), 0600), 0);
    QFile::link(path("report.tmp"), path("link.tmp"));
    QFile::link(path("missing.tmp"), path("dangling.tmp"));

    const std::pair<const char*, bool> cases[] = {
        {"report.tmp", true},  {"empty.tmp", true},    {"readonly.tmp", true},
        {"link.tmp", true},    {".hidden.tmp", false}, {"folder.tmp", false},
        {"pipe.tmp", false},   {"missing.tmp", false}, {"dangling.tmp", false},
        {"REPORT.TMP", false}, {"report.tmp ", false}};
    for (const auto& [name, exists] : cases)
        EXPECT_EQ(platform::isOrdinaryFile(path(name)), exists) << name;
    EXPECT_FALSE(platform::isOrdinaryFile(QString()));
}

// The control software's setting, read from a real INI file where the program looks for it.
class UserSetting : public ::testing::Test {
protected:
    void SetUp() override {
        QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, config_.path());
    }
    void writeIni(const QByteArray& contents) {
        testfiles::write(
            config_.filePath(QStringLiteral("VB and VBA Program Settings/Milvane.ini")), contents);
    }
    static QString read() {
        return platform::readUserSetting(QStringLiteral("Milvane"), QStringLiteral("Userdata"),
                                         QStringLiteral("uUsrPath"));
    }

    QTemporaryDir config_;
};

TEST_F(UserSetting, ReadsTheFolderFromTheUserdataGroup) {
    writeIni("[Userdata]\nuUsrPath=/home/op/Milvane User\n[Other]\nuUsrPath=/wrong\n");
    EXPECT_EQ(read(), QStringLiteral("/home/op/Milvane User"));
}

TEST_F(UserSetting, KeepsAFolderNameWithCommasWhole) {
    writeIni("[Userdata]\nuUsrPath=\"/srv/Smith, Jones\"\n");
    EXPECT_EQ(read(), QStringLiteral("/srv/Smith, Jones"));
}

TEST_F(UserSetting, IsEmptyWhenAbsent) {
    EXPECT_EQ(read(), QString());
    writeIni("[Userdata]\nother=1\n");
    EXPECT_EQ(read(), QString());
}

} // namespace
