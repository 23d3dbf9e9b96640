#pragma once
// A scratch C stream for tests: what the code under test wrote to it, or
// what it should read from it.
//
// Not std::tmpfile(): the Windows C runtime's names its file after the
// process id in the root folder of the current drive and opens it without
// asking for a new file. Under Wine that root is Z:\, the Linux root, which
// every prefix shares, while each prefix counts its process ids on its own:
// a 32- and a 64-bit test program running side by side (CTest -j2) can get
// one name, and so one file that either may delete under the other. This
// one lives in the temporary folder (a prefix's own under Wine), is named
// by process and count, and is removed when done.

#include <cstdio>
#include <cstdlib>
#include <string>

#include "scratch_path.h"

class CapturedFile {
public:
    explicit CapturedFile(const std::string& input = "") {
        static unsigned count = 0;
        path_ = ScratchPath("stream_" + std::to_string(++count));
        file_ = std::fopen(path_.c_str(), "w+b");
        if (!file_) {
            std::fprintf(stderr, "cannot create the scratch file %s\n", path_.c_str());
            std::abort();
        }
        std::fputs(input.c_str(), file_);
        std::rewind(file_);
    }
    ~CapturedFile() {
        std::fclose(file_);
        std::remove(path_.c_str());
    }
    CapturedFile(const CapturedFile&) = delete;
    CapturedFile& operator=(const CapturedFile&) = delete;
    std::FILE* file() { return file_; }
    std::string Text() {
        std::fflush(file_);
        std::rewind(file_);
        std::string text;
        for (int c = std::fgetc(file_); c != EOF; c = std::fgetc(file_)) text += static_cast<char>(c);
        return text;
    }

private:
    std::string path_;
    std::FILE* file_ = nullptr;
};
