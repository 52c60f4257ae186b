#include "faults.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <linux/fs.h>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <unistd.h>

namespace {

QString systemError(const char* what) {
    return QStringLiteral("%1: %2").arg(QLatin1String(what),
                                        QString::fromLocal8Bit(std::strerror(errno)));
}

bool setImmutable(const QString& path, bool on, QString& why) {
    const int fd = open(path.toLocal8Bit().constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) {
        why = systemError("open");
        return false;
    }
    int flags = 0;
    bool done = ioctl(fd, FS_IOC_GETFLAGS, &flags) == 0;
    if (done) {
        flags = on ? flags | FS_IMMUTABLE_FL : flags & ~FS_IMMUTABLE_FL;
        done = ioctl(fd, FS_IOC_SETFLAGS, &flags) == 0;
    }
    if (!done) why = systemError("the immutable attribute");
    close(fd);
    return done;
}

} // namespace

ImmutableFile::ImmutableFile(QString path) : Fault(std::move(path)) {
    made_ = setImmutable(path_, true, why_);
}

ImmutableFile::~ImmutableFile() {
    QString ignored;
    if (made_) setImmutable(path_, false, ignored);
}

ReadOnlyFolder::ReadOnlyFolder(QString path) : Fault(std::move(path)) {
    const QByteArray folder = path_.toLocal8Bit();
    if (mount(folder.constData(), folder.constData(), nullptr, MS_BIND, nullptr) != 0) {
        why_ = systemError("bind mount");
        return;
    }
    if (mount(nullptr, folder.constData(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) !=
        0) {
        why_ = systemError("read-only remount");
        umount2(folder.constData(), MNT_DETACH);
        return;
    }
    made_ = true;
}

ReadOnlyFolder::~ReadOnlyFolder() {
    if (made_) umount2(path_.toLocal8Bit().constData(), MNT_DETACH);
}
