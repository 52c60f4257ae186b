#include "platform/environment.h"

#include "platform/files.h"

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QLocale>
#include <QSettings>
#include <QStandardPaths>
#include <QStringList>

namespace platform {

namespace {

const QString kSettingsOrganisation = QStringLiteral("VB and VBA Program Settings");

} // namespace

QString SystemEnvironment::userSetting(const QString& application, const QString& section,
                                       const QString& key) {
    return readUserSetting(application, section, key);
}

bool SystemEnvironment::fileExists(const QString& path) {
    return isOrdinaryFile(path);
}

QString SystemEnvironment::programFolder() {
    return QDir::toNativeSeparators(QCoreApplication::applicationDirPath());
}

QString SystemEnvironment::userDataFolder() {
    return QDir::toNativeSeparators(
        QStandardPaths::writableLocation(QStandardPaths::AppLocalDataLocation));
}

QString SystemEnvironment::todayShortDate() {
    return todayInShortFormat();
}

QString readUserSetting(const QString& application, const QString& section, const QString& key) {
#ifdef Q_OS_WIN
    constexpr auto format = QSettings::NativeFormat;
#else
    constexpr auto format = QSettings::IniFormat;
#endif
    QSettings settings(format, QSettings::UserScope, kSettingsOrganisation, application);
    settings.beginGroup(section);
    const QVariant value = settings.value(key);
    // An INI value with unquoted commas reads back as a list; a folder name may hold commas.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QLatin1Char(','));
    return value.toString();
}

QString todayInShortFormat() {
    return QLocale::system().toString(QDate::currentDate(), QLocale::ShortFormat);
}

std::string todayForReport(Environment& environment) {
    return environment.todayShortDate().toLocal8Bit().toStdString();
}

} // namespace platform
