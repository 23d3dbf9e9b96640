// Holds a device node open with O_EXCL, as a mounted file system holds the
// drive's block device, until killed: "held" on stdout once it does.
//
//   ktxholdopen PATH

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: ktxholdopen PATH\n");
        return 2;
    }
    if (open(argv[1], O_RDONLY | O_NONBLOCK | O_EXCL) < 0) {
        std::fprintf(stderr, "ktxholdopen: %s: %s\n", argv[1], std::strerror(errno));
        return 1;
    }
    std::printf("held\n");
    std::fflush(stdout);
    for (;;) pause();
}
