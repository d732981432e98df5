// launchmap program [arguments...]: starts the program and prints "<milliseconds> <pid> <cpu milliseconds>" once the
// X server maps a top-level window of that process (the MapNotify of the root's child whose _NET_WM_PID is the
// program's); the last figure is the CPU time all its threads had used by then, which the machine's load does not
// change as much as the first. The
// program keeps running, its standard streams on /dev/null; exit status 1 when it ends or maps nothing within 60 s, 2 without a display.
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <dirent.h>

#include <cstdio>
#include <ctime>
#include <string>

namespace {

double nowMs() {
    timespec t{};
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec * 1e3 + t.tv_nsec / 1e6;
}

long windowPid(Display* display, Window window) {
    const Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format, &count, &after, &data) ==
            Success &&
        data && format == 32 && count == 1)
        pid = static_cast<long>(*reinterpret_cast<unsigned long*>(data));
    if (data)
        XFree(data);
    return pid;
}

// Nanoseconds on a CPU of every thread of `pid`, from the scheduler's statistics.
double cpuMs(pid_t pid) {
    const std::string tasks = "/proc/" + std::to_string(pid) + "/task";
    DIR* directory = opendir(tasks.c_str());
    if (!directory)
        return -1;
    double total = 0;
    while (const dirent* entry = readdir(directory)) {
        if (entry->d_name[0] == '.')
            continue;
        FILE* file = std::fopen((tasks + "/" + entry->d_name + "/schedstat").c_str(), "r");
        if (!file)
            continue;
        unsigned long long ns = 0;
        if (std::fscanf(file, "%llu", &ns) == 1)
            total += static_cast<double>(ns);
        std::fclose(file);
    }
    closedir(directory);
    return total / 1e6;
}

} // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: launchmap program [arguments...]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "launchmap: no display\n");
        return 2;
    }
    XSelectInput(display, DefaultRootWindow(display), SubstructureNotifyMask);
    XSync(display, False);
    const double start = nowMs();
    const pid_t child = fork();
    if (child == 0) {
        // The program outlives this launcher: it must not hold the caller's pipes open.
        close(ConnectionNumber(display));
        const int nothing = open("/dev/null", O_RDWR);
        dup2(nothing, STDIN_FILENO);
        dup2(nothing, STDOUT_FILENO);
        dup2(nothing, STDERR_FILENO);
        execvp(argv[1], argv + 1);
        _exit(127);
    }
    while (nowMs() - start < 60'000) {
        if (waitpid(child, nullptr, WNOHANG) == child)
            return 1;
        if (!XPending(display)) {
            pollfd connection{ConnectionNumber(display), POLLIN, 0};
            poll(&connection, 1, 50);
            continue;
        }
        XEvent event;
        XNextEvent(display, &event);
        if (event.type != MapNotify || event.xmap.override_redirect)
            continue;
        const double mapped = nowMs();
        if (windowPid(display, event.xmap.window) == child) {
            std::printf("%.1f %d %.1f\n", mapped - start, static_cast<int>(child), cpuMs(child));
            return 0;
        }
    }
    return 1;
}
