#pragma once

#include <QString>
#include <string>

namespace platform {

// What the program reads from the machine it runs on. The window and the command each get one;
// tests give a fake.
class Environment {
public:
    virtual ~Environment() = default;

    // A per-user string setting; "" when the setting or its value does not exist.
    virtual QString userSetting(const QString& application, const QString& section,
                                const QString& key) = 0;
    // True only for an ordinary file of exactly that name (see isOrdinaryFile).
    virtual bool fileExists(const QString& path) = 0;
    // The folder that holds the program's executable, with the platform's separators.
    virtual QString programFolder() = 0;
    // A per-user folder for the program's own files when its folder cannot take them.
    virtual QString userDataFolder() = 0;
    // Today's date in the user's short date format.
    virtual QString todayShortDate() = 0;
};

// The real machine, through Qt Core.
class SystemEnvironment final : public Environment {
public:
    QString userSetting(const QString& application, const QString& section,
                        const QString& key) override;
    bool fileExists(const QString& path) override;
    QString programFolder() override;
    QString userDataFolder() override;
    QString todayShortDate() override;
};

// Reads a per-user string setting: on Windows from the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>; elsewhere from
// the INI file "VB and VBA Program Settings/<application>.ini" in the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), group [<section>]. "" when absent.
QString readUserSetting(const QString& application, const QString& section, const QString& key);

// Today's date in the user's short date format.
QString todayInShortFormat();

// Today's date as the report's "Created on" line carries it: the short date in the local 8-bit
// encoding, the one the log is written in.
std::string todayForReport(Environment& environment);

} // namespace platform
