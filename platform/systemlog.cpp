#include "platform/systemlog.h"

#include "platform/environment.h"

#include <QDir>

namespace platform {

SettingName userDataFolderSetting() {
    return {QStringLiteral("Milvane"), QStringLiteral("Userdata"), QStringLiteral("uUsrPath")};
}

QString logPathInFolder(const QString& userDataFolder) {
    return userDataFolder + QDir::separator() + QStringLiteral("mvsys.log");
}

std::optional<QString> findSystemLog(Environment& environment) {
    const SettingName setting = userDataFolderSetting();
    const QString log =
        logPathInFolder(environment.userSetting(setting.application, setting.section, setting.key));
    if (!environment.fileExists(log)) return std::nullopt;
    return log;
}

QString missingLogTitle() {
    return QStringLiteral("Can't find log file");
}

QString missingLogText() {
    return QStringLiteral("Sorry, I can't find your system log file. Make sure that the ") +
           QLatin1Char('"') + QStringLiteral("Write system log") + QLatin1Char('"') +
           QStringLiteral(" option is turned on in the QD menu, and that you're using version "
                          "3.6.1 or later of the Milvane control software.");
}

} // namespace platform
