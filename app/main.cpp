#include "app/frmruntally.h"
#include "platform/qtplatform.h"
#include "platform/sessionend.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Names the per-user data folder that takes the temporary files when the program's own
    // folder cannot.
    QCoreApplication::setApplicationName(QStringLiteral("runtally"));

    platform::QtPlatform platform;
    frmRuntally window(platform);
    // Ended from outside (a logout, a signal), the window closes as if the user closed it, so
    // that it deletes its temporary files. Watched from before the scan creates them.
    bool endedFromOutside = false;
    const auto sessionEnd = platform::watchSessionEnd([&] {
        endedFromOutside = true;
        window.close();
        QCoreApplication::quit();
    });
    if (const platform::ExitStatus status = window.Form_Load(); status != platform::kExitOk)
        return status;
    if (endedFromOutside) return platform::kExitOk; // while a message of the scan was open
    platform.setDialogParent(&window);
    window.fitToScreen();
    window.show();
    return QApplication::exec();
}
