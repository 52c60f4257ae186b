#include "faults.h"

#include <csignal>

#if defined(Q_OS_LINUX)
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <fstream>
#include <linux/fs.h>
#include <pthread.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <windows.h>
#endif

namespace {

[[maybe_unused]] const QString kNotHere = QStringLiteral("not a fault this system can make");

#if defined(Q_OS_LINUX)
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
#endif

} // namespace

#if defined(Q_OS_LINUX)

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

SmallDisk::SmallDisk(QString folder, unsigned long long bytes) : Fault(std::move(folder)) {
    const QByteArray size = "size=" + QByteArray::number(bytes);
    made_ = mount("tmpfs", path_.toLocal8Bit().constData(), "tmpfs", 0, size.constData()) == 0;
    if (!made_) why_ = systemError("tmpfs mount");
}

SmallDisk::~SmallDisk() {
    if (made_) umount2(path_.toLocal8Bit().constData(), MNT_DETACH);
}

FileSizeLimit::FileSizeLimit(unsigned long long bytes) : Fault({}) {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    savedLimit_ = limit.rlim_cur;
    previousHandler_ = std::signal(SIGXFSZ, SIG_IGN);
    limit.rlim_cur = bytes;
    made_ = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    if (!made_) why_ = systemError("file size limit");
}

FileSizeLimit::~FileSizeLimit() {
    rlimit limit{};
    getrlimit(RLIMIT_FSIZE, &limit);
    limit.rlim_cur = savedLimit_;
    setrlimit(RLIMIT_FSIZE, &limit);
    std::signal(SIGXFSZ, previousHandler_);
}

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define RUNTALLY_SANITIZER_SHADOW 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define RUNTALLY_SANITIZER_SHADOW 1
#endif
#endif

namespace {

constexpr unsigned long long kGiB = 1ull << 30;

// The address space this process takes now, in bytes.
unsigned long long addressSpaceInUse() {
    std::ifstream status("/proc/self/status");
    for (std::string key; status >> key;) {
        unsigned long long kiB = 0;
        if (key == "VmSize:" && status >> kiB) return kiB * 1024;
    }
    return 0;
}

} // namespace

ThreadLimit::ThreadLimit(unsigned threads) : Fault({}) {
#ifdef RUNTALLY_SANITIZER_SHADOW
    why_ = QStringLiteral("a sanitizer's shadow memory needs the whole address space");
    (void)threads;
#else
    pthread_attr_t attributes;
    pthread_getattr_default_np(&attributes);
    pthread_attr_getstacksize(&attributes, &savedStackSize_);
    pthread_attr_setstacksize(&attributes, kGiB);
    pthread_setattr_default_np(&attributes);
    pthread_attr_destroy(&attributes);

    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    savedLimit_ = limit.rlim_cur;
    limit.rlim_cur = addressSpaceInUse() + threads * kGiB + kGiB / 2;
    made_ = setrlimit(RLIMIT_AS, &limit) == 0;
    if (!made_) why_ = systemError("address space limit");
#endif
}

ThreadLimit::~ThreadLimit() {
    if (savedStackSize_ == 0) return;
    rlimit limit{};
    getrlimit(RLIMIT_AS, &limit);
    limit.rlim_cur = savedLimit_;
    setrlimit(RLIMIT_AS, &limit);
    pthread_attr_t attributes;
    pthread_getattr_default_np(&attributes);
    pthread_attr_setstacksize(&attributes, savedStackSize_);
    pthread_setattr_default_np(&attributes);
    pthread_attr_destroy(&attributes);
}

#else // no immutable attribute, bind mounts or file size limits

#if defined(Q_OS_WIN)
// Windows refuses to delete, rename over or write a file while another handle holds it without
// sharing; Wine keeps the same rule.
ImmutableFile::ImmutableFile(QString path) : Fault(std::move(path)) {
    HANDLE handle = CreateFileW(reinterpret_cast<LPCWSTR>(path_.utf16()), GENERIC_READ, 0, nullptr,
                                OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    made_ = handle != INVALID_HANDLE_VALUE;
    if (made_)
        handle_ = handle;
    else
        why_ = QStringLiteral("cannot hold the file open (error %1)").arg(GetLastError());
}

ImmutableFile::~ImmutableFile() {
    if (made_) CloseHandle(handle_);
}
#else
ImmutableFile::ImmutableFile(QString path) : Fault(std::move(path)) {
    why_ = kNotHere;
}
ImmutableFile::~ImmutableFile() = default;
#endif

ReadOnlyFolder::ReadOnlyFolder(QString path) : Fault(std::move(path)) {
    why_ = QStringLiteral("no read-only bind mount here; a read-only attribute binds no folder");
}
ReadOnlyFolder::~ReadOnlyFolder() = default;

SmallDisk::SmallDisk(QString folder, unsigned long long) : Fault(std::move(folder)) {
    why_ = QStringLiteral("no small disk to mount over a folder here");
}
SmallDisk::~SmallDisk() = default;

FileSizeLimit::FileSizeLimit(unsigned long long) : Fault({}) {
    why_ = QStringLiteral("no per-process file size limit on this system");
}
FileSizeLimit::~FileSizeLimit() = default;

ThreadLimit::ThreadLimit(unsigned) : Fault({}) {
    why_ = QStringLiteral("no per-process address space limit on this system");
}
ThreadLimit::~ThreadLimit() = default;

#endif
