#include "platform/platform.h"

namespace platform {

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

} // namespace platform
