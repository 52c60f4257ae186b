#pragma once

#include <QString>
#include <optional>

namespace platform {

class Environment;

// The control software's per-user setting that names its user-data folder.
struct SettingName {
    QString application;
    QString section;
    QString key;
};
SettingName userDataFolderSetting();

// The log inside the control software's user-data folder: the folder, the platform's separator,
// and "mvsys.log". A folder ending in a separator gives a doubled one; the path is used as built.
QString logPathInFolder(const QString& userDataFolder);

// The log that the user's setting names, if an ordinary file is there.
std::optional<QString> findSystemLog(Environment& environment);

// What the user is told when there is no log where the setting says.
QString missingLogTitle();
QString missingLogText();

} // namespace platform
