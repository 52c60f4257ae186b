#include "fakeplatform.h"

#include "platform/files.h"

#include <gtest/gtest.h>

FakePlatform::~FakePlatform() {
    EXPECT_TRUE(messageAnswers_.empty()) << messageAnswers_.size() << " scripted answers unused";
    EXPECT_TRUE(saveAnswers_.empty()) << saveAnswers_.size() << " scripted file names unused";
}

QString FakePlatform::userSetting(const QString& application, const QString& section,
                                  const QString& key) {
    settingQuery = {application, section, key};
    return setting;
}

bool FakePlatform::fileExists(const QString& path) {
    return platform::isOrdinaryFile(path);
}

platform::Answer FakePlatform::messageBox(const platform::MessageBoxRequest& box) {
    shownMessages_.push_back(box);
    if (messageAnswers_.empty()) {
        ADD_FAILURE() << "unexpected message box \"" << box.title.toStdString()
                      << "\": " << box.text.toStdString();
        return box.buttons == platform::MessageButtons::Ok ? platform::Answer::Ok
                                                           : platform::Answer::No;
    }
    const platform::Answer answer = messageAnswers_.front();
    messageAnswers_.pop_front();
    return answer;
}

std::optional<QString> FakePlatform::saveFileName(const platform::SaveDialogRequest& dialog) {
    shownDialogs_.push_back(dialog);
    if (saveAnswers_.empty()) {
        ADD_FAILURE() << "unexpected Save As dialog \"" << dialog.title.toStdString() << "\"";
        return std::nullopt;
    }
    const bool cancelled = !saveAnswers_.front().has_value();
    const QString path = saveAnswers_.front().value_or(QString());
    saveAnswers_.pop_front();
    if (cancelled) return std::nullopt;
    return path;
}
