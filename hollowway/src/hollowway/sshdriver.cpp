#include "hollowway/sshdriver.h"

#include "hollowway/log.h"
#include "hollowway/prompt_matcher.h"
#include "hollowway/sshplatform.h"
#include "hollowway/tunnel.h"

#include <algorithm>
#include <arpa/inet.h>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/ioctl.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace hollowway {

namespace {

constexpr int code_stopped = 1;
constexpr int code_password_rejected = 5;
constexpr int code_host_key_question = 6;
constexpr int code_forward_not_served = 7;

constexpr std::size_t chunk_size = 40;
// After the password: how long the forward may take to be served, and how often to look
// (often at first, where a local server answers, then less so).
constexpr auto forward_wait = std::chrono::seconds(20);
constexpr auto forward_quick_phase = std::chrono::seconds(2);
constexpr int forward_quick_check_ms = 2;
constexpr int forward_check_ms = 20;
// An ending child that ignores its hang-up and SIGQUIT this long is killed.
constexpr int kill_after_ms = 5000;

using clock = std::chrono::steady_clock;

struct session
{
    int master = -1;
    std::string slave_path;
    int slave = -1;
    int tty = -1;
    pid_t child = -1;
    int watch = -1;
    // A stop request writes here, so that the worker notices it even while it waits.
    int wake[2] = {-1, -1};
    // Written by the host's thread (stop) and by the worker, read by the worker.
    std::atomic<int> termination{0};
    bool password_sent = false;
    bool connected = false;
    clock::time_point password_time;
    prompt_matcher password_prompt{"assword:"};
    prompt_matcher host_key_question{"The authenticity of host "};
    std::string password;
    std::string destination;
    // Guarded by g_session_mutex: the child has been collected / the end is being reported.
    bool reaped = false;
    bool over = false;
};

std::mutex g_session_mutex;
std::shared_ptr<session> g_session;

// For the SIGWINCH handler, which may only touch lock-free state.
std::atomic<int> g_winch_tty{-1};
std::atomic<int> g_winch_master{-1};

void window_resize_handler(int)
{
    const int saved = errno;
    const int tty = g_winch_tty.load();
    const int master = g_winch_master.load();
    winsize size{};
    if (tty >= 0 && master >= 0 && ioctl(tty, TIOCGWINSZ, &size) == 0)
        ioctl(master, TIOCSWINSZ, &size);
    errno = saved;
}

void close_fd(int& fd)
{
    if (fd >= 0)
        close(fd);
    fd = -1;
}

void set_cloexec(int fd)
{
    const int flags = fcntl(fd, F_GETFD);
    if (flags >= 0)
        fcntl(fd, F_SETFD, flags | FD_CLOEXEC);
}

// Hanging up the terminal ends the client; the worker keeps waiting for the child.
void close_terminal(session& s)
{
    g_winch_master.store(-1);
    g_winch_tty.store(-1);
    close_fd(s.master);
    close_fd(s.slave);
    close_fd(s.tty);
}

void signal_session_child(session& s, int signal_number)
{
    std::lock_guard<std::mutex> guard(g_session_mutex);
    if (s.reaped || s.child <= 0)
        return;
    platform::signal_child(s.watch, s.child, signal_number);
    if (s.wake[1] >= 0) {
        const char byte = 1;
        [[maybe_unused]] const ssize_t ignored = write(s.wake[1], &byte, 1);
    }
}

void end_session(session& s, int code)
{
    int expected = 0;
    s.termination.compare_exchange_strong(expected, code);
    signal_session_child(s, SIGQUIT);
}

bool write_all(int fd, const char* data, std::size_t size)
{
    while (size > 0) {
        const ssize_t n = write(fd, data, size);
        if (n < 0 && (errno == EINTR))
            continue;
        if (n < 0 && errno == EAGAIN) {
            pollfd out{fd, POLLOUT, 0};
            if (poll(&out, 1, 1000) <= 0)
                return false;
            continue;
        }
        if (n <= 0)
            return false;
        data += n;
        size -= static_cast<std::size_t>(n);
    }
    return true;
}

void write_pass(session& s)
{
    write_all(s.master, s.password.data(), s.password.size());
    write_all(s.master, "\n", 1);
    // Typed once per session: no copy of it needs to stay in memory.
    std::fill(s.password.begin(), s.password.end(), '\0');
    s.password.clear();
    s.password_time = clock::now();
}

// Scans one chunk of terminal output; a positive result is the code that ends the session.
// `eof` tells the caller that the master gave nothing although it polled readable.
int handleoutput(session& s, bool& eof)
{
    char buffer[chunk_size];
    const ssize_t n = read(s.master, buffer, sizeof buffer);
    eof = n == 0 || (n < 0 && errno != EAGAIN && errno != EINTR);
    if (n <= 0)
        return 0;
    const std::size_t size = static_cast<std::size_t>(n);
    if (s.password_prompt.feed(buffer, size)) {
        if (s.password_sent)
            return code_password_rejected;
        write_pass(s);
        s.password_prompt.reset();
        s.password_sent = true;
    }
    if (s.host_key_question.feed(buffer, size))
        return code_host_key_question;
    return 0;
}

bool loopback_port_accepts(unsigned short port)
{
    const int fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        return false;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool accepted =
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    close(fd);
    return accepted;
}

// The password alone proves nothing: connected means this client serves the forward.
bool forward_served(const session& s)
{
    return platform::child_owns_listener(s.child, tunnel::local_port)
        && loopback_port_accepts(tunnel::local_port);
}

// Collects the child if it has ended; under the session mutex, so that a stop request never
// signals a pid that has been collected (and may be recycled).
bool try_reap(session& s, int& status)
{
    std::lock_guard<std::mutex> guard(g_session_mutex);
    if (s.reaped)
        return true;
    const pid_t result = waitpid(s.child, &status, WNOHANG);
    if (result == s.child && (WIFEXITED(status) || WIFSIGNALED(status))) {
        s.reaped = true;
        close_fd(s.watch);
    } else if (result < 0 && errno == ECHILD) {
        // Someone else collected it: it is gone all the same.
        s.reaped = true;
        status = 0;
        close_fd(s.watch);
    }
    return s.reaped;
}

std::string describe_end(int status, int code)
{
    std::string text = "SSH session ended";
    if (WIFEXITED(status))
        text += " (exit status " + std::to_string(WEXITSTATUS(status)) + ")";
    else if (WIFSIGNALED(status))
        text += " (signal " + std::to_string(WTERMSIG(status)) + ")";
    switch (code) {
    case code_stopped: text += ": stopped"; break;
    case code_password_rejected: text += ": password rejected"; break;
    case code_host_key_question: text += ": host key question"; break;
    case code_forward_not_served: text += ": local forward not served"; break;
    default: break;
    }
    return text;
}

void processSshProgram(std::shared_ptr<session> shared)
{
    session& s = *shared;
    s.slave = open(s.slave_path.c_str(), O_RDWR | O_NOCTTY | O_CLOEXEC);

    int status = 0;
    bool master_dead = false;
    clock::time_point ending_since{};
    bool killed = false;
    for (;;) {
        const int code = s.termination.load();
        pollfd fds[3];
        nfds_t count = 0;
        fds[count++] = {s.wake[0], POLLIN, 0};
        int master_index = -1;
        if (code == 0 && s.master >= 0 && !master_dead) {
            master_index = static_cast<int>(count);
            fds[count++] = {s.master, POLLIN, 0};
        }
        if (s.watch >= 0)
            fds[count++] = {s.watch, POLLIN, 0};

        int timeout = -1;
        if (s.watch < 0)
            timeout = 200;
        if (code == 0 && s.password_sent && !s.connected)
            timeout = clock::now() - s.password_time < forward_quick_phase ? forward_quick_check_ms
                                                                          : forward_check_ms;
        if (code != 0)
            timeout = 200;

        const int ready = poll(fds, count, timeout);
        if (ready < 0 && errno != EINTR)
            usleep(10000);
        if (ready > 0 && fds[0].revents) {
            char drain[16];
            while (read(s.wake[0], drain, sizeof drain) > 0) {
            }
        }

        if (ready > 0 && master_index >= 0 && fds[master_index].revents) {
            bool eof = false;
            const int result = handleoutput(s, eof);
            if (result > 0) {
                close_terminal(s);
                end_session(s, result);
            } else if (eof && (fds[master_index].revents & (POLLHUP | POLLERR | POLLNVAL))) {
                master_dead = true;
            }
        }

        if (s.termination.load() == 0 && s.password_sent && !s.connected) {
            if (forward_served(s)) {
                s.connected = true;
                utils::write_log(("Tunnel connected: 127.0.0.1:26268 forwards to " + s.destination)
                                     .c_str());
                tunnel::instance().plinkConnected();
            } else if (clock::now() - s.password_time > forward_wait) {
                end_session(s, code_forward_not_served);
            }
        }

        if (try_reap(s, status))
            break;

        if (s.termination.load() != 0) {
            if (ending_since == clock::time_point{})
                ending_since = clock::now();
            else if (!killed && clock::now() - ending_since > std::chrono::milliseconds(kill_after_ms)) {
                signal_session_child(s, SIGKILL);
                killed = true;
            }
        }
    }

    close_terminal(s);
    utils::write_log(describe_end(status, s.termination.load()).c_str());
    {
        std::lock_guard<std::mutex> guard(g_session_mutex);
        close_fd(s.wake[0]);
        close_fd(s.wake[1]);
        s.over = true;
    }
    tunnel::instance().plinkDisconnected();
}

std::string forward_destination(const std::string& host)
{
    // An IPv6 literal needs brackets inside the forward argument.
    return host.find(':') == std::string::npos ? host : "[" + host + "]";
}

} // namespace

int runSshProgram()
{
    tunnel& t = tunnel::instance();
    auto s = std::make_shared<session>();
    s->password = t.password();
    s->destination = t.host() + ":" + std::to_string(tunnel::server_socks_port);

    const std::string forward = std::to_string(tunnel::local_port) + ":"
        + forward_destination(t.host()) + ":" + std::to_string(tunnel::server_socks_port);
    std::vector<std::string> args = {"/usr/bin/ssh", "-o", "UserKnownHostsFile=/dev/null",
                                     "-o", "StrictHostKeyChecking=no"};
    for (const std::string& option : platform::extra_ssh_options())
        args.push_back(option);
    // A port already taken must end the session, and a vanished server must end it within
    // about 30 seconds, so that the host's reconnection can act.
    for (const char* option : {"ExitOnForwardFailure=yes", "ServerAliveInterval=10",
                               "ServerAliveCountMax=3", "ConnectTimeout=15"}) {
        args.push_back("-o");
        args.push_back(option);
    }
    for (const std::string& arg : {std::string("-t"), std::string("-N"), std::string("-L"),
                                   forward, std::string("-l"), t.user(), t.host(),
                                   std::string("-p"), std::to_string(t.port())})
        args.push_back(arg);
    std::vector<char*> argv;
    for (std::string& arg : args)
        argv.push_back(arg.data());
    argv.push_back(nullptr);

    s->master = posix_openpt(O_RDWR | O_NOCTTY);
    if (s->master < 0) {
        perror("Failed to get a pseudo terminal");
        return -1;
    }
    set_cloexec(s->master);
    fcntl(s->master, F_SETFL, O_NONBLOCK);
    if (grantpt(s->master) != 0) {
        perror("Failed to change pseudo terminal's permission");
        close_fd(s->master);
        return -1;
    }
    if (unlockpt(s->master) != 0) {
        perror("Failed to unlock pseudo terminal");
        close_fd(s->master);
        return -1;
    }

    s->tty = open("/dev/tty", O_RDONLY | O_NOCTTY | O_CLOEXEC);
    winsize size{};
    if (s->tty >= 0 && ioctl(s->tty, TIOCGWINSZ, &size) == 0) {
        g_winch_tty.store(s->tty);
        g_winch_master.store(s->master);
        struct sigaction action{};
        action.sa_handler = window_resize_handler;
        sigemptyset(&action.sa_mask);
        action.sa_flags = SA_RESTART;
        sigaction(SIGWINCH, &action, nullptr);
        ioctl(s->master, TIOCSWINSZ, &size);
    } else {
        close_fd(s->tty);
    }

    const char* slave = ptsname(s->master);
    if (!slave) {
        perror("Failed to get a pseudo terminal");
        close_terminal(*s);
        return -1;
    }
    s->slave_path = slave;

    const pid_t child = fork();
    if (child < 0) {
        perror("sshpass: Failed to create child process");
        close_terminal(*s);
        return -1;
    }
    if (child == 0) {
        // Only async-signal-safe calls from here to exec: the host may run many threads.
        sigset_t none;
        sigemptyset(&none);
        sigprocmask(SIG_SETMASK, &none, nullptr);
        setsid();
        const int fd = open(s->slave_path.c_str(), O_RDWR);
        if (fd >= 0)
            close(fd);
        close(s->master);
        execv(argv[0], argv.data());
        perror("sshpass: Failed to run command");
        _exit(3);
    }

    s->child = child;
    if (pipe2(s->wake, O_CLOEXEC | O_NONBLOCK) != 0)
        s->wake[0] = s->wake[1] = -1;
    s->watch = platform::watch_child(child);
    utils::write_log(("SSH session started: " + t.user() + "@" + t.host() + " port "
                      + std::to_string(t.port()))
                         .c_str());
    {
        std::lock_guard<std::mutex> guard(g_session_mutex);
        g_session = s;
    }
    try {
        std::thread(processSshProgram, s).detach();
    } catch (const std::system_error& e) {
        std::fprintf(stderr, "Failed to start the SSH session thread: %s\n", e.what());
        platform::signal_child(s->watch, child, SIGKILL);
        int status = 0;
        waitpid(child, &status, 0);
        std::lock_guard<std::mutex> guard(g_session_mutex);
        s->reaped = true;
        s->over = true;
        close_fd(s->watch);
        close_terminal(*s);
        return -1;
    }
    return 0;
}

void stop_ssh_session()
{
    std::shared_ptr<session> s;
    {
        std::lock_guard<std::mutex> guard(g_session_mutex);
        s = g_session;
    }
    if (s)
        end_session(*s, code_stopped);
}

bool ssh_session_alive()
{
    std::lock_guard<std::mutex> guard(g_session_mutex);
    return g_session && !g_session->over;
}

} // namespace hollowway
