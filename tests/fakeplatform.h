#pragma once

#include "platform/platform.h"

#include <QStringList>
#include <deque>
#include <vector>

// A platform with scripted answers. Files are real; setting, folders and today's date are what
// the test says. A message box or dialog that the test did not script fails the test.
class FakePlatform final : public platform::Platform {
public:
    ~FakePlatform() override;

    QString setting;
    QString programFolderPath;
    QString dataFolderPath;
    QString today = QStringLiteral("12/7/2026");

    // Answers for the next message boxes and Save As dialogs, in order (nothing: cancelled).
    void answerNextMessage(platform::Answer answer) { messageAnswers_.push_back(answer); }
    void answerNextSaveDialog(std::optional<QString> path) { saveAnswers_.push_back(path); }

    const std::vector<platform::MessageBoxRequest>& shownMessages() const { return shownMessages_; }
    const std::vector<platform::SaveDialogRequest>& shownDialogs() const { return shownDialogs_; }
    QStringList settingQuery; // application, section, key of the last lookup

    QString userSetting(const QString& application, const QString& section,
                        const QString& key) override;
    bool fileExists(const QString& path) override;
    QString programFolder() override { return programFolderPath; }
    QString userDataFolder() override { return dataFolderPath; }
    platform::Answer messageBox(const platform::MessageBoxRequest& box) override;
    std::optional<QString> saveFileName(const platform::SaveDialogRequest& dialog) override;
    QString todayShortDate() override { return today; }
    bool openInBrowser(const QString& path) override {
        openedPages << path;
        return browserStarts;
    }
    QStringList openedPages;    // what openInBrowser was given, in order
    bool browserStarts = true; // what openInBrowser answers

private:
    std::deque<platform::Answer> messageAnswers_;
    std::deque<std::optional<QString>> saveAnswers_;
    std::vector<platform::MessageBoxRequest> shownMessages_;
    std::vector<platform::SaveDialogRequest> shownDialogs_;
};
