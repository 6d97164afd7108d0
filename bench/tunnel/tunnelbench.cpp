// Connect time, throughput and idle CPU of the tunnel library, each next to a bare
// `ssh -N -L` answered on a pseudo-terminal, in one run on the same loopback sshd.
#include "hollowway/hollowway.h"

#include "support/sshfixture.h"
#include "support/socksclient.h"

#include <QCoreApplication>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <netinet/in.h>
#include <poll.h>
#include <pty.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

using TestSupport::SshFixture;
using Clock = std::chrono::steady_clock;

namespace {

constexpr int runs = 7;
constexpr unsigned short barePort = 26269;
constexpr long long payloadBytes = 256ll * 1024 * 1024;

std::mutex g_mutex;
std::condition_variable g_changed;
int g_status = 0;
bool g_stopped = false;

void onStatus(hollowway_status status)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_status = status;
    g_changed.notify_all();
}
void onStarted(unsigned short) {}
void onStopped(unsigned short)
{
    std::lock_guard<std::mutex> lock(g_mutex);
    g_stopped = true;
    g_changed.notify_all();
}

bool portAccepts(unsigned short port)
{
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(port);
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool ok = connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

double median(std::vector<double> v)
{
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

// Library: from the start call to the connected report.
double libraryConnectMs(const SshFixture& fixture, bool& firstStart)
{
    {
        std::lock_guard<std::mutex> lock(g_mutex);
        g_status = 0;
        g_stopped = false;
    }
    const QByteArray user = SshFixture::user().toLatin1();
    const QByteArray password = SshFixture::password().toLatin1();
    const auto t0 = Clock::now();
    hollowway_set_params("127.0.0.1", fixture.sshPort(), 1, user.constData(), password.constData());
    if (firstStart) {
        unsigned short port = 0;
        hollowway_start_local_forward(&port);
        firstStart = false;
    }
    hollowway_start_remote_forward(onStarted);
    std::unique_lock<std::mutex> lock(g_mutex);
    if (!g_changed.wait_for(lock, std::chrono::seconds(30),
                            [] { return g_status == HOLLOWWAY_STATUS_CONNECTED; }))
        return -1;
    return std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
}

void libraryStop()
{
    hollowway_stop_remote_forward(onStopped);
    std::unique_lock<std::mutex> lock(g_mutex);
    g_changed.wait_for(lock, std::chrono::seconds(15), [] { return g_stopped; });
}

// Bare ssh on a pseudo-terminal: from fork to the forward accepting.
pid_t bareStart(const SshFixture& fixture, double* ms)
{
    const std::string forward = std::to_string(barePort) + ":127.0.0.1:1080";
    const std::string port = std::to_string(fixture.sshPort());
    const std::string user = SshFixture::user().toStdString();
    const std::string password = SshFixture::password().toStdString() + "\n";
    const auto t0 = Clock::now();
    int master = -1;
    const pid_t child = forkpty(&master, nullptr, nullptr, nullptr);
    if (child == 0) {
        execl("/usr/bin/ssh", "/usr/bin/ssh", "-o", "UserKnownHostsFile=/dev/null", "-o",
              "StrictHostKeyChecking=no", "-N", "-L", forward.c_str(), "-l", user.c_str(),
              "127.0.0.1", "-p", port.c_str(), static_cast<char*>(nullptr));
        _exit(3);
    }
    std::string seen;
    bool typed = false;
    while (Clock::now() - t0 < std::chrono::seconds(30)) {
        pollfd in{master, POLLIN, 0};
        if (poll(&in, 1, typed ? 1 : 100) > 0) {
            char buffer[256];
            const ssize_t n = read(master, buffer, sizeof buffer);
            if (n > 0)
                seen.append(buffer, size_t(n));
        }
        if (!typed && seen.find("assword:") != std::string::npos) {
            [[maybe_unused]] ssize_t w = write(master, password.data(), password.size());
            typed = true;
        }
        if (typed && portAccepts(barePort)) {
            *ms = std::chrono::duration<double, std::milli>(Clock::now() - t0).count();
            // The master stays open (leaked on purpose) so that the client keeps its terminal.
            return child;
        }
    }
    *ms = -1;
    return child;
}

void bareStop(pid_t child)
{
    kill(child, SIGTERM);
    int status = 0;
    waitpid(child, &status, 0);
}

// A target that reads an 8-byte length and that many bytes, then answers one byte: the
// sender's clock stops only when everything has arrived. One direction only, because a
// single-threaded proxy copying both ways at once could block on itself.
class Sink
{
public:
    bool start()
    {
        m_fd = socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        socklen_t length = sizeof a;
        if (bind(m_fd, reinterpret_cast<sockaddr*>(&a), sizeof a) != 0 || listen(m_fd, 4) != 0
            || getsockname(m_fd, reinterpret_cast<sockaddr*>(&a), &length) != 0)
            return false;
        m_port = ntohs(a.sin_port);
        m_thread = std::thread([this] { run(); });
        m_thread.detach();
        return true;
    }
    unsigned short port() const { return m_port; }

private:
    void run()
    {
        std::vector<char> buffer(1 << 16);
        for (;;) {
            const int c = accept(m_fd, nullptr, nullptr);
            if (c < 0)
                return;
            unsigned long long wanted = 0, got = 0;
            if (recv(c, &wanted, sizeof wanted, MSG_WAITALL) == sizeof wanted) {
                while (got < wanted) {
                    const ssize_t n = recv(c, buffer.data(), buffer.size(), 0);
                    if (n <= 0)
                        break;
                    got += static_cast<unsigned long long>(n);
                }
                const char done = 1;
                send(c, &done, 1, MSG_NOSIGNAL);
            }
            close(c);
        }
    }

    int m_fd = -1;
    unsigned short m_port = 0;
    std::thread m_thread;
};

// MB/s of the payload sent through the SOCKS proxy behind `proxyPort` to the sink.
double throughputMBs(unsigned short proxyPort, unsigned short sinkPort)
{
    TestSupport::SocksClient client;
    if (!client.connectThrough(proxyPort, sinkPort, 10000)) {
        std::fprintf(stderr, "SOCKS connect through %u: %s\n", proxyPort, qPrintable(client.errorString()));
        return -1;
    }
    const int fd = client.descriptor();
    const int flags = fcntl(fd, F_GETFL);
    fcntl(fd, F_SETFL, flags & ~O_NONBLOCK);
    std::vector<char> out(1 << 16, 'x');
    const unsigned long long total = payloadBytes;
    const auto t0 = Clock::now();
    if (send(fd, &total, sizeof total, MSG_NOSIGNAL) != sizeof total)
        return -1;
    long long sent = 0;
    while (sent < payloadBytes) {
        const ssize_t n = send(fd, out.data(), size_t(std::min<long long>(out.size(), payloadBytes - sent)),
                               MSG_NOSIGNAL);
        if (n <= 0)
            return -1;
        sent += n;
    }
    char done = 0;
    if (recv(fd, &done, 1, MSG_WAITALL) != 1)
        return -1;
    const double s = std::chrono::duration<double>(Clock::now() - t0).count();
    return double(payloadBytes) / (1024.0 * 1024.0) / s;
}

double cpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return double(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec)
        + double(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    setvbuf(stdout, nullptr, _IOLBF, 0);
    SshFixture fixture;
    if (!fixture.start()) {
        std::fprintf(stderr, "fixture: %s\n", qPrintable(fixture.errorString()));
        return 1;
    }
    hollowway_set_status_callback(onStatus);
    Sink sink;
    if (!sink.start())
        return 1;

    std::vector<double> lib, bare;
    bool firstStart = true;
    for (int i = 0; i < runs; ++i) {
        lib.push_back(libraryConnectMs(fixture, firstStart));
        libraryStop();
        double ms = 0;
        bareStop(bareStart(fixture, &ms));
        bare.push_back(ms);
    }
    const double libMs = median(lib), bareMs = median(bare);
    std::printf("connect samples (ms), library:");
    for (double v : lib)
        std::printf(" %.0f", v);
    std::printf("; bare ssh:");
    for (double v : bare)
        std::printf(" %.0f", v);
    std::printf("\n");
    std::printf("connect time (median of %d): library %.1f ms, bare ssh %.1f ms, ratio %.2f (target <= 1.20)\n",
                runs, libMs, bareMs, libMs / bareMs);

    std::printf("throughput through microsocks alone: %.1f MB/s\n",
                throughputMBs(SshFixture::socksPort, sink.port()));
    libraryConnectMs(fixture, firstStart);
    double ms = 0;
    const pid_t bareChild = bareStart(fixture, &ms);
    // Alternating, best of three each: the machine's other load moves single figures a lot.
    double libBest = 0, bareBest = 0;
    for (int i = 0; i < 3; ++i) {
        libBest = std::max(libBest, throughputMBs(26268, sink.port()));
        bareBest = std::max(bareBest, throughputMBs(barePort, sink.port()));
    }
    std::printf("throughput (256 MiB, best of 3): library %.1f MB/s, bare ssh %.1f MB/s, ratio %.2f (target >= 0.95)\n",
                libBest, bareBest, libBest / bareBest);
    bareStop(bareChild);

    const double before = cpuSeconds();
    std::this_thread::sleep_for(std::chrono::seconds(10));
    const double used = cpuSeconds() - before;
    std::printf("idle CPU of the host process over 10 s with the tunnel up: %.4f %% (target < 0.1 %%)\n",
                used / 10.0 * 100.0);
    libraryStop();
    fixture.stop();
    return 0;
}
