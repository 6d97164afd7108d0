// Stands in for an external client's executable: appends its pid to the file named by
// CORVALIS_FAKECLIENT_PIDFILE and waits for SIGINT (ignored when
// CORVALIS_FAKECLIENT_IGNORE_INT is set). Ends by itself after two minutes, so a failed
// test leaves nothing behind.
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <unistd.h>

int main()
{
    if (std::getenv("CORVALIS_FAKECLIENT_IGNORE_INT"))
        std::signal(SIGINT, SIG_IGN);
    if (const char* pidFile = std::getenv("CORVALIS_FAKECLIENT_PIDFILE")) {
        if (std::FILE* file = std::fopen(pidFile, "a")) {
            std::fprintf(file, "%d\n", int(getpid()));
            std::fclose(file);
        }
    }
    alarm(120);
    for (;;)
        pause();
}
