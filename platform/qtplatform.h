#pragma once

#include "platform/platform.h"

#include <QPointer>
#include <QWidget>

namespace platform {

// The real platform: the machine as SystemEnvironment reads it, QMessageBox and QFileDialog.
class QtPlatform final : public Platform {
public:
    // Dialogs and message boxes are shown over this window once it is set.
    void setDialogParent(QWidget* parent) { parent_ = parent; }

    QString userSetting(const QString& application, const QString& section,
                        const QString& key) override;
    bool fileExists(const QString& path) override;
    QString programFolder() override;
    QString userDataFolder() override;
    Answer messageBox(const MessageBoxRequest& box) override;
    std::optional<QString> saveFileName(const SaveDialogRequest& dialog) override;
    QString todayShortDate() override;
    bool openInBrowser(const QString& path) override;

private:
    SystemEnvironment system_;
    QPointer<QWidget> parent_;
};

} // namespace platform
