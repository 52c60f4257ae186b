#pragma once

#include <QObject>
#include <functional>
#include <memory>

namespace platform {

// Calls `end` on the user-interface thread when the program is asked to end from outside: by
// SIGTERM, SIGHUP or SIGINT on Unix (a logout, a shutdown, a closed terminal, Ctrl-C), by the
// end of the session on Windows. The program then closes its window the normal way instead of
// vanishing with its files behind it. Watching stops when the returned object is destroyed; a
// second signal after the first acts as it would without the watch.
std::unique_ptr<QObject> watchSessionEnd(std::function<void()> end);

} // namespace platform
