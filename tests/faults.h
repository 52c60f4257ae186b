#pragma once

#include <QString>
#include <memory>

// Real file-system faults for tests. As root, permission bits stop nothing; these do. Each
// undoes itself at the end of its scope. Where the machine cannot make the fault, made() is false
// and why() says why, for the test to skip with.

// What every fault holds: where it is, and whether it could be made, or why not.
class Fault {
public:
    bool made() const { return made_; }
    QString why() const { return why_; }

protected:
    explicit Fault(QString path) : path_(std::move(path)) {}
    QString path_;
    bool made_ = false;
    QString why_;
};

// A file that cannot be changed, replaced or deleted: by root either (the immutable attribute)
// on Linux; on Windows, held open by another handle that shares nothing.
class ImmutableFile : public Fault {
public:
    explicit ImmutableFile(QString path);
    ~ImmutableFile();

private:
    void* handle_ = nullptr; // Windows: the handle that holds the file
};

// A folder made read-only by a read-only bind mount of itself.
class ReadOnlyFolder : public Fault {
public:
    explicit ReadOnlyFolder(QString path);
    ~ReadOnlyFolder();
};

// A folder on a disk of only `bytes`, which every file in it shares: a small tmpfs over it.
class SmallDisk : public Fault {
public:
    SmallDisk(QString folder, unsigned long long bytes);
    ~SmallDisk();
};

// A full disk for this process, root included: writes past `bytes` fail (RLIMIT_FSIZE, with
// SIGXFSZ ignored so that the write fails instead of killing the process).
class FileSizeLimit : public Fault {
public:
    explicit FileSizeLimit(unsigned long long bytes);
    ~FileSizeLimit();
    FileSizeLimit(const FileSizeLimit&) = delete;
    FileSizeLimit& operator=(const FileSizeLimit&) = delete;

private:
    unsigned long long savedLimit_ = 0;
    void (*previousHandler_)(int) = nullptr;
};

// Room for only `threads` more threads: new threads get stacks of a GiB each, and the address
// space ends half a GiB after the last one that fits.
class ThreadLimit : public Fault {
public:
    explicit ThreadLimit(unsigned threads);
    ~ThreadLimit();
    ThreadLimit(const ThreadLimit&) = delete;
    ThreadLimit& operator=(const ThreadLimit&) = delete;

private:
    unsigned long long savedLimit_ = 0;
    size_t savedStackSize_ = 0;
};

// A fault kept for the length of a test, or the reason the machine cannot make it.
struct Arranged {
    std::shared_ptr<void> hold;
    QString cannot;
};

template <typename Fault, typename... Args> Arranged makeFault(Args&&... args) {
    auto fault = std::make_shared<Fault>(std::forward<Args>(args)...);
    if (!fault->made()) return {nullptr, fault->why()};
    return {fault, {}};
}
