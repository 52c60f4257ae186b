#include "cli/reportcommand.h"
#include "platform/environment.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#ifdef Q_OS_WIN
#include <fcntl.h>
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

// The report and the CSV leave as the bytes they are. Windows opens standard output in text
// mode, which would turn each CR LF into CR CR LF.
static void makeStandardOutputBinary() {
#ifdef Q_OS_WIN
    _setmode(fileno(stdout), _O_BINARY);
#endif
}

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    makeStandardOutputBinary();
    // On the descriptors, not on stdio's streams: a failed write (a full disk) shows at once.
    QFile out;
    QFile err;
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
    platform::SystemEnvironment environment;
    return cli::runReportCommand(QCoreApplication::arguments(),
                                 {out, err, isatty(fileno(stderr)) != 0}, environment);
}
