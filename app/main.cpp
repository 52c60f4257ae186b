#include "app/frmruntally.h"
#include "platform/qtplatform.h"

#include <QApplication>

int main(int argc, char* argv[]) {
    QApplication app(argc, argv);
    // Names the per-user data folder that takes the temporary files when the program's own
    // folder cannot.
    QCoreApplication::setApplicationName(QStringLiteral("runtally"));

    platform::QtPlatform platform;
    frmRuntally window(platform);
    if (const platform::ExitStatus status = window.Form_Load(); status != platform::kExitOk)
        return status;
    platform.setDialogParent(&window);
    window.show();
    return QApplication::exec();
}
