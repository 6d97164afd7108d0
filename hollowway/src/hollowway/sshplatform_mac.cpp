#include "hollowway/sshplatform.h"

#include <csignal>
#include <sys/event.h>
#include <unistd.h>

namespace hollowway::platform {

std::vector<std::string> extra_ssh_options()
{
    return {"-o", "AskPassGUI=no"};
}

int watch_child(pid_t child)
{
    // A kqueue watching the child's exit polls readable like a Linux pidfd.
    const int queue = kqueue();
    if (queue < 0)
        return -1;
    struct kevent change;
    EV_SET(&change, child, EVFILT_PROC, EV_ADD | EV_ONESHOT, NOTE_EXIT, 0, nullptr);
    if (kevent(queue, &change, 1, nullptr, 0, nullptr) < 0) {
        close(queue);
        return -1;
    }
    return queue;
}

bool signal_child(int /*watch*/, pid_t child, int signal_number)
{
    // Safe against a recycled pid: the driver signals only before it collects the child.
    return kill(child, signal_number) == 0;
}

bool child_owns_listener(pid_t /*child*/, unsigned short /*port*/)
{
    return true;
}

} // namespace hollowway::platform
