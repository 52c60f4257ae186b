// Starts the real window on the log that the user's setting names, on whatever Qt platform is
// chosen (the benchmark uses offscreen), and quits as soon as it has been shown and painted,
// printing the milliseconds from the start of main to that point.
#include "app/frmruntally.h"
#include "platform/qtplatform.h"

#include <QApplication>
#include <QElapsedTimer>
#include <cstdio>

int main(int argc, char* argv[]) {
    QElapsedTimer clock;
    clock.start();
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("runtally"));
    platform::QtPlatform platform;
    frmRuntally window(platform);
    if (const platform::ExitStatus status = window.Form_Load(); status != platform::kExitOk) return status;
    window.show();
    window.grab(); // lays out and paints everything a user would see
    std::printf("shown_ms=%lld\n", static_cast<long long>(clock.elapsed()));
    window.close();
    return 0;
}
