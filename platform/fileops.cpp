#include "platform/platform.h"

#include <QDate>
#include <QFileInfo>
#include <QLocale>
#include <QSettings>
#include <QStringList>

#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace platform {

namespace {

const QString kSettingsOrganisation = QStringLiteral("VB and VBA Program Settings");

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

bool askYesNo(Platform& platform, const QString& title, const QString& text) {
    return platform.messageBox(
               {MessageIcon::None, MessageButtons::YesNo, Answer::Yes, title, text}) == Answer::Yes;
}

void tell(Platform& platform, const QString& title, const QString& text) {
    platform.messageBox({MessageIcon::None, MessageButtons::Ok, Answer::Ok, title, text});
}

void showError(Platform& platform, const QString& title, const QString& text) {
    platform.messageBox({MessageIcon::Error, MessageButtons::Ok, Answer::Ok, title, text});
}

bool isOrdinaryFile(const QString& path) {
    if (path.isEmpty()) return false;
    const QFileInfo info(path);
    return info.isFile() && !info.isHidden() && !isSystemFile(path);
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

} // namespace platform
