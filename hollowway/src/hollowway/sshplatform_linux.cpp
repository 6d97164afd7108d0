#include "hollowway/sshplatform.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <dirent.h>
#include <set>
#include <string>
#include <sys/syscall.h>
#include <unistd.h>

namespace hollowway::platform {

std::vector<std::string> extra_ssh_options()
{
    // The graphical password dialog option exists on macOS only; Linux clients reject it.
    return {};
}

int watch_child(pid_t child)
{
    // A pidfd needs no process-wide SIGCHLD handler, so the host's own child handling
    // (QProcess and others) is left alone.
    return static_cast<int>(syscall(SYS_pidfd_open, child, 0));
}

bool signal_child(int watch, pid_t child, int signal_number)
{
    if (watch >= 0)
        return syscall(SYS_pidfd_send_signal, watch, signal_number, nullptr, 0) == 0;
    return kill(child, signal_number) == 0;
}

namespace {

std::set<unsigned long> loopback_listener_inodes(unsigned short port)
{
    std::set<unsigned long> inodes;
    FILE* table = std::fopen("/proc/net/tcp", "re");
    if (!table)
        return inodes;
    char wanted[16];
    std::snprintf(wanted, sizeof wanted, "0100007F:%04X", port);
    char line[512];
    if (!std::fgets(line, sizeof line, table)) {
        std::fclose(table);
        return inodes;
    }
    while (std::fgets(line, sizeof line, table)) {
        char local[64], remote[64], state[8];
        unsigned long inode = 0;
        // sl local rem st tx:rx tr:when retrnsmt uid timeout inode
        if (std::sscanf(line, "%*s %63s %63s %7s %*s %*s %*s %*s %*s %lu", local, remote, state,
                        &inode) == 4
            && std::strcmp(local, wanted) == 0 && std::strcmp(state, "0A") == 0)
            inodes.insert(inode);
    }
    std::fclose(table);
    return inodes;
}

} // namespace

bool child_owns_listener(pid_t child, unsigned short port)
{
    const std::set<unsigned long> inodes = loopback_listener_inodes(port);
    if (inodes.empty())
        return false;
    const std::string folder = "/proc/" + std::to_string(child) + "/fd";
    DIR* fds = opendir(folder.c_str());
    // Where the child's descriptors cannot be read (a hardened /proc), a listener must do.
    if (!fds)
        return true;
    bool owned = false;
    while (const dirent* entry = readdir(fds)) {
        char target[64] = {};
        const std::string path = folder + "/" + entry->d_name;
        const ssize_t n = readlink(path.c_str(), target, sizeof target - 1);
        unsigned long inode = 0;
        if (n > 0 && std::sscanf(target, "socket:[%lu]", &inode) == 1 && inodes.count(inode)) {
            owned = true;
            break;
        }
    }
    closedir(fds);
    return owned;
}

} // namespace hollowway::platform
