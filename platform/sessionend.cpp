#include "platform/sessionend.h"

#include <QCoreApplication>

#if defined(Q_OS_UNIX)
#include <QSocketNotifier>
#include <array>
#include <atomic>
#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <unistd.h>
#elif defined(Q_OS_WIN)
#include <QAbstractNativeEventFilter>
#include <windows.h>
#endif

namespace platform {

namespace {

#if defined(Q_OS_UNIX)

constexpr std::array kEndingSignals = {SIGTERM, SIGHUP, SIGINT};

// The write end of the pipe that the signal handler wakes the event loop through. A handler can
// reach nothing else, so this one value lives outside any object; -1 while nothing watches.
std::atomic<int> signalPipeWriteEnd{-1};

// Only async-signal-safe calls here: one byte into the pipe, and errno left as it was.
extern "C" void noteEndingSignal(int) {
    const int savedErrno = errno;
    const char byte = 1;
    [[maybe_unused]] const ssize_t written = ::write(signalPipeWriteEnd.load(), &byte, 1);
    errno = savedErrno;
}

bool openNonBlockingPipe(std::array<int, 2>& ends) {
    if (::pipe(ends.data()) != 0) return false;
    for (int end : ends) {
        ::fcntl(end, F_SETFD, FD_CLOEXEC);
        ::fcntl(end, F_SETFL, ::fcntl(end, F_GETFL) | O_NONBLOCK);
    }
    return true;
}

// The self-pipe: the handler writes, and a socket notifier reads on the event loop's thread.
class SignalWatch final : public QObject {
public:
    explicit SignalWatch(std::function<void()> end) : end_(std::move(end)) {
        if (!openNonBlockingPipe(pipe_)) return;
        notifier_ = new QSocketNotifier(pipe_[0], QSocketNotifier::Read, this);
        connect(notifier_, &QSocketNotifier::activated, this, &SignalWatch::onSignal);
        signalPipeWriteEnd.store(pipe_[1]);
        struct sigaction action {};
        action.sa_handler = noteEndingSignal;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        for (size_t i = 0; i < kEndingSignals.size(); ++i) {
            sigaction(kEndingSignals[i], nullptr, &saved_[i]);
            // A signal ignored by whoever started the program (nohup) stays ignored.
            if (saved_[i].sa_handler != SIG_IGN) sigaction(kEndingSignals[i], &action, nullptr);
        }
        watching_ = true;
    }

    ~SignalWatch() override {
        restoreHandlers();
        signalPipeWriteEnd.store(-1);
        for (int end : pipe_) {
            if (end >= 0) ::close(end);
        }
    }

private:
    void onSignal() {
        char bytes[16];
        while (::read(pipe_[0], bytes, sizeof bytes) > 0) {
        }
        restoreHandlers();
        end_();
    }

    void restoreHandlers() {
        if (!watching_) return;
        watching_ = false;
        for (size_t i = 0; i < kEndingSignals.size(); ++i)
            sigaction(kEndingSignals[i], &saved_[i], nullptr);
    }

    std::function<void()> end_;
    std::array<int, 2> pipe_ = {-1, -1};
    QSocketNotifier* notifier_ = nullptr;
    std::array<struct sigaction, kEndingSignals.size()> saved_{};
    bool watching_ = false;
};

#elif defined(Q_OS_WIN)

// Windows ends the process once WM_ENDSESSION has been answered, so the window closes while the
// message is being handled.
class SessionEndFilter final : public QObject, public QAbstractNativeEventFilter {
public:
    explicit SessionEndFilter(std::function<void()> end) : end_(std::move(end)) {
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    ~SessionEndFilter() override { QCoreApplication::instance()->removeNativeEventFilter(this); }

    bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
        const auto* msg = static_cast<const MSG*>(message);
        if (!ended_ && type == "windows_generic_MSG" && msg->message == WM_ENDSESSION &&
            msg->wParam) {
            ended_ = true;
            end_();
        }
        return false;
    }

private:
    std::function<void()> end_;
    bool ended_ = false;
};

#endif

} // namespace

std::unique_ptr<QObject> watchSessionEnd(std::function<void()> end) {
#if defined(Q_OS_UNIX)
    return std::make_unique<SignalWatch>(std::move(end));
#elif defined(Q_OS_WIN)
    return std::make_unique<SessionEndFilter>(std::move(end));
#else
    // Elsewhere the application's own quitting is the last moment there is.
    auto watch = std::make_unique<QObject>();
    QObject::connect(QCoreApplication::instance(), &QCoreApplication::aboutToQuit, watch.get(),
                     std::move(end));
    return watch;
#endif
}

} // namespace platform
