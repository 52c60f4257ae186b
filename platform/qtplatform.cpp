#include "platform/qtplatform.h"

#include <QDesktopServices>
#include <QDir>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace platform {

namespace {

QMessageBox::StandardButton toStandardButton(Answer answer) {
    switch (answer) {
    case Answer::Yes:
        return QMessageBox::Yes;
    case Answer::No:
        return QMessageBox::No;
    case Answer::Ok:
        break;
    }
    return QMessageBox::Ok;
}

} // namespace

QString QtPlatform::userSetting(const QString& application, const QString& section,
                                const QString& key) {
    return system_.userSetting(application, section, key);
}

bool QtPlatform::fileExists(const QString& path) {
    return system_.fileExists(path);
}

QString QtPlatform::programFolder() {
    return system_.programFolder();
}

QString QtPlatform::userDataFolder() {
    return system_.userDataFolder();
}

Answer QtPlatform::messageBox(const MessageBoxRequest& request) {
    const bool yesNo = request.buttons == MessageButtons::YesNo;
    QMessageBox box(request.icon == MessageIcon::Error ? QMessageBox::Critical
                                                       : QMessageBox::NoIcon,
                    request.title, request.text,
                    yesNo ? QMessageBox::Yes | QMessageBox::No : QMessageBox::Ok, parent_);
    box.setDefaultButton(toStandardButton(request.defaultButton));
    const int chosen = box.exec();
    if (!yesNo) return Answer::Ok;
    return chosen == QMessageBox::Yes ? Answer::Yes : Answer::No; // closing the box is a No
}

std::optional<QString> QtPlatform::saveFileName(const SaveDialogRequest& request) {
    QFileDialog dialog(parent_, request.title, request.folder);
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setFileMode(QFileDialog::AnyFile);
    // The program asks its own question about existing files.
    dialog.setOption(QFileDialog::DontConfirmOverwrite);
    dialog.selectFile(request.proposedName);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
    return QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
}

QString QtPlatform::todayShortDate() {
    return system_.todayShortDate();
}

bool QtPlatform::openInBrowser(const QString& path) {
    return QDesktopServices::openUrl(QUrl::fromLocalFile(path));
}

} // namespace platform
