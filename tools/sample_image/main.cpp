// ktxsampleimage OUTPUT: writes the deterministic 131,072-byte sample
// firmware image (see sample_image.h) to OUTPUT.

#include <cerrno>
#include <cstdio>
#include <cstring>

#include "sample_image.h"

int main(int argc, char** argv) {
    if (argc != 2 || argv[1][0] == '-') {
        std::fprintf(stderr, "usage: ktxsampleimage OUTPUT\n"
                             "Writes the 131072-byte sample firmware image "
                             "(first 16 KiB sum 7E45, whole sum 0E89) to OUTPUT.\n");
        return 2;
    }
    const char* path = argv[1];
    const auto image = MakeSampleImage();
    std::FILE* file = std::fopen(path, "wb");
    if (file == nullptr) {
        std::fprintf(stderr, "ktxsampleimage: %s: cannot write: %s\n", path, std::strerror(errno));
        return 1;
    }
    const bool written = std::fwrite(image.data(), 1, image.size(), file) == image.size();
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed) {
        std::fprintf(stderr, "ktxsampleimage: %s: write failed\n", path);
        std::remove(path);
        return 1;
    }
    return 0;
}
