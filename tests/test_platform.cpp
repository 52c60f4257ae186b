#include "platform/environment.h"
#include "platform/files.h"
#include "platform/systemlog.h"
#include "testfiles.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>
#include <vector>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace {

struct ExistenceCase {
    const char* name;
    bool exists;
};

// Makes the files that every system has; each system adds its own kinds of file.
void writeOrdinaryFiles(const std::function<QString(const char*)>& path) {
    testfiles::write(path("report.tmp"), "x");
    testfiles::write(path("empty.tmp"), "");
    testfiles::write(path("readonly.tmp"), "x");
    QFile::setPermissions(path("readonly.tmp"), QFile::ReadOwner);
    QDir().mkpath(path("folder.tmp"));
}

#ifdef Q_OS_WIN
// Files with the hidden or the system attribute count as absent. Names are looked up as Windows
// does, without regard to case.
std::vector<ExistenceCase> makeSystemFiles(const std::function<QString(const char*)>& path) {
    for (const auto& [name, attribute] : {std::pair{"hidden.tmp", FILE_ATTRIBUTE_HIDDEN},
                                          std::pair{"system.tmp", FILE_ATTRIBUTE_SYSTEM}}) {
        testfiles::write(path(name), "x");
        const QString native = QDir::toNativeSeparators(path(name));
        SetFileAttributesW(reinterpret_cast<LPCWSTR>(native.utf16()), attribute);
    }
    return {{"hidden.tmp", false}, {"system.tmp", false}, {"REPORT.TMP", true}};
}
#else
// A dot-name is hidden; pipes and dangling links count as absent, a link to a file as present.
std::vector<ExistenceCase> makeSystemFiles(const std::function<QString(const char*)>& path) {
    testfiles::write(path(".hidden.tmp"), "x");
    EXPECT_EQ(mkfifo(path("pipe.tmp").toLocal8Bit().constData(), 0600), 0);
    QFile::link(path("report.tmp"), path("link.tmp"));
    QFile::link(path("missing.tmp"), path("dangling.tmp"));
    return {{".hidden.tmp", false},  {"pipe.tmp", false},   {"link.tmp", true},
            {"dangling.tmp", false}, {"REPORT.TMP", false}, {"report.tmp ", false}};
}
#endif

TEST(FileExistence, OnlyAnOrdinaryVisibleFileCounts) {
    QTemporaryDir dir;
    const auto path = [&dir](const char* name) { return dir.filePath(QLatin1String(name)); };
    writeOrdinaryFiles(path);
    std::vector<ExistenceCase> cases = {{"report.tmp", true},
                                        {"empty.tmp", true},
                                        {"readonly.tmp", true},
                                        {"folder.tmp", false},
                                        {"missing.tmp", false}};
    for (const ExistenceCase& own : makeSystemFiles(path))
        cases.push_back(own);
    for (const auto& [name, exists] : cases)
        EXPECT_EQ(platform::isOrdinaryFile(path(name)), exists) << name;
    EXPECT_FALSE(platform::isOrdinaryFile(QString()));
}

#ifdef Q_OS_WIN
// The setting from the registry, where the control software keeps it. The tests write under an
// application name of their own, so that the user's real setting is never touched.
class UserSetting : public ::testing::Test {
protected:
    void TearDown() override { RegDeleteTreeW(HKEY_CURRENT_USER, applicationKey().c_str()); }
    static void writeValue(const QString& value) {
        const std::wstring key = applicationKey() + L"\\Userdata";
        const auto bytes = static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t));
        ASSERT_EQ(RegSetKeyValueW(HKEY_CURRENT_USER, key.c_str(), L"uUsrPath", REG_SZ,
                                  value.utf16(), bytes),
                  ERROR_SUCCESS);
    }
    static QString read() {
        return platform::readUserSetting(kApplication, QStringLiteral("Userdata"),
                                         QStringLiteral("uUsrPath"));
    }

private:
    static inline const QString kApplication = QStringLiteral("Runtally Tests");
    static std::wstring applicationKey() {
        return L"Software\\VB and VBA Program Settings\\" + kApplication.toStdWString();
    }
};

TEST_F(UserSetting, ReadsTheFolderFromTheRegistry) {
    writeValue(QStringLiteral("C:\\Milvane\\Smith, Jones"));
    EXPECT_EQ(read(), QStringLiteral("C:\\Milvane\\Smith, Jones"));
}

TEST_F(UserSetting, IsEmptyWhenAbsent) {
    EXPECT_EQ(read(), QString());
}

// Where the temporary files go when the program's folder cannot take them.
TEST(DataFolder, IsTheProgramsFolderInLocalAppData) {
    const QString expected = qEnvironmentVariable("LOCALAPPDATA") + QLatin1Char('\\') +
                             QCoreApplication::applicationName();
    EXPECT_EQ(platform::SystemEnvironment().userDataFolder().compare(expected, Qt::CaseInsensitive),
              0)
        << platform::SystemEnvironment().userDataFolder().toStdString();
}
#else
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

#endif

TEST(LogAccess, TheLogPathIsTheFolderASeparatorAndTheLogName) {
    const QString sep = QDir::separator();
    EXPECT_EQ(platform::logPathInFolder(QStringLiteral("/data/milvane")),
              QStringLiteral("/data/milvane") + sep + QStringLiteral("mvsys.log"));
    EXPECT_EQ(platform::logPathInFolder(QStringLiteral("/data/") + sep),
              QStringLiteral("/data/") + sep + sep + QStringLiteral("mvsys.log"));
    EXPECT_EQ(platform::logPathInFolder(QString()), sep + QStringLiteral("mvsys.log"));
}

} // namespace
