#pragma once

#include <QString>
#include <optional>

namespace platform {

enum class MessageIcon { None, Error };
enum class MessageButtons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// A modal message box: its icon, buttons, default button, title and text.
struct MessageBoxRequest {
    MessageIcon icon = MessageIcon::None;
    MessageButtons buttons = MessageButtons::Ok;
    Answer defaultButton = Answer::Ok;
    QString title;
    QString text;
};

// A modal Save As dialog: its title, the folder it opens in and the file name it proposes.
struct SaveDialogRequest {
    QString title;
    QString folder;
    QString proposedName;
};

// Everything the program takes from the outside world or asks of the user. The program gets one
// at start; tests give a fake with scripted answers.
class Platform {
public:
    virtual ~Platform() = default;

    // A per-user string setting; "" when the setting or its value does not exist.
    virtual QString userSetting(const QString& application, const QString& section,
                                const QString& key) = 0;
    // True only for an ordinary file of exactly that name (see isOrdinaryFile).
    virtual bool fileExists(const QString& path) = 0;
    // The folder that holds the program's executable, with the platform's separators.
    virtual QString programFolder() = 0;
    // A per-user folder for the program's own files when its folder cannot take them.
    virtual QString userDataFolder() = 0;
    // Shows a modal message box and returns the button the user chose.
    virtual Answer messageBox(const MessageBoxRequest& box) = 0;
    // Shows a modal Save As dialog: the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(const SaveDialogRequest& dialog) = 0;
    // Today's date in the user's short date format.
    virtual QString todayShortDate() = 0;
};

// The three kinds of message box the program shows.
// A question without an icon, Yes and No, Yes the default; true for Yes.
bool askYesNo(Platform& platform, const QString& title, const QString& text);
// A notice without an icon and with an OK button only.
void tell(Platform& platform, const QString& title, const QString& text);
// An error with the error icon and an OK button only.
void showError(Platform& platform, const QString& title, const QString& text);

// The existence check used throughout the program: true only when an ordinary file of exactly
// that name exists. A folder, a device or pipe, a hidden file (the hidden attribute on Windows, a
// name starting with a dot elsewhere) and a Windows system file count as absent; read-only
// files count as present.
bool isOrdinaryFile(const QString& path);

// Reads a per-user string setting: on Windows from the registry under
// HKEY_CURRENT_USER\Software\VB and VBA Program Settings\<application>\<section>; elsewhere from
// the INI file "VB and VBA Program Settings/<application>.ini" in the user's configuration folder
// ($XDG_CONFIG_HOME, by default ~/.config), group [<section>]. "" when absent.
QString readUserSetting(const QString& application, const QString& section, const QString& key);

// Today's date in the user's short date format.
QString todayInShortFormat();

} // namespace platform
