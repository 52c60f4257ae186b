#pragma once

#include "platform/environment.h"

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

// What the program asks of the user, beside what it reads from the machine. The window gets one at
// start; tests give a fake with scripted answers.
class Platform : public Environment {
public:
    // Shows a modal message box and returns the button the user chose.
    virtual Answer messageBox(const MessageBoxRequest& box) = 0;
    // Shows a modal Save As dialog: the chosen path, or nothing when the user cancelled.
    virtual std::optional<QString> saveFileName(const SaveDialogRequest& dialog) = 0;
    // Opens a local web page in the user's default browser; false if none could be started.
    virtual bool openInBrowser(const QString& path) = 0;
};

// The three kinds of message box the program shows.
// A question without an icon, Yes and No, Yes the default; true for Yes.
bool askYesNo(Platform& platform, const QString& title, const QString& text);
// A notice without an icon and with an OK button only.
void tell(Platform& platform, const QString& title, const QString& text);
// An error with the error icon and an OK button only.
void showError(Platform& platform, const QString& title, const QString& text);

} // namespace platform
