#pragma once
// A temporary C stream for the terminal tests: what the code under test
// wrote to it, or what it should read from it.

#include <cstdio>
#include <string>

class CapturedFile {
public:
    explicit CapturedFile(const std::string& input = "") : file_(std::tmpfile()) {
        std::fputs(input.c_str(), file_);
        std::rewind(file_);
    }
    ~CapturedFile() { std::fclose(file_); }
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
    std::FILE* file_;
};
