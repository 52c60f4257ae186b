#include "cli/reportcommand.h"

#include <QCoreApplication>
#include <QFile>
#include <cstdio>
#ifdef Q_OS_WIN
#include <io.h>
#define isatty _isatty
#define fileno _fileno
#else
#include <unistd.h>
#endif

int main(int argc, char* argv[]) {
    QCoreApplication app(argc, argv);
    // On the descriptors, not on stdio's streams: a failed write (a full disk) shows at once.
    QFile out;
    QFile err;
    out.open(fileno(stdout), QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(fileno(stderr), QIODevice::WriteOnly | QIODevice::Unbuffered);
    return cli::runReportCommand(QCoreApplication::arguments(),
                                 {out, err, isatty(fileno(stderr)) != 0});
}
