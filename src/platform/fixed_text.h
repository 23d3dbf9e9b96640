#pragma once
// Texts in fixed storage, without the C++ runtime library: the shipped
// programs link no libstdc++, so status lines, paths and message texts live
// in buffers of a size known at compile time. A text that would not fit is
// cut at the capacity (always NUL-terminated) and says so in truncated().
// TextBuffer is the writable view an interface takes ("fill this text");
// FixedText<N> owns N bytes of storage, terminator included. The size is
// tracked: a text may hold embedded NULs (the open-file dialog's filter does).

#include <cstdarg>
#include <cstddef>
#include <cstdio>
#include <cstring>

class TextBuffer {
public:
    TextBuffer(const TextBuffer&) = delete;
    TextBuffer& operator=(const TextBuffer&) = delete;

    const char* c_str() const { return data_; }
    char* data() { return data_; }
    std::size_t size() const { return size_; }
    std::size_t capacity() const { return capacity_; }
    bool empty() const { return size_ == 0; }
    // True when something written since the last Clear did not fit.
    bool truncated() const { return truncated_; }

    void Clear() {
        size_ = 0;
        truncated_ = false;
        data_[0] = '\0';
    }
    void Assign(const char* text) {
        Clear();
        Append(text);
    }
    void Assign(const char* text, std::size_t length) {
        Clear();
        Append(text, length);
    }
    void Append(const char* text) { Append(text, text != nullptr ? std::strlen(text) : 0); }
    void Append(const char* text, std::size_t length) {
        const std::size_t room = capacity_ - 1 - size_;
        if (length > room) {
            length = room;
            truncated_ = true;
        }
        if (length > 0) std::memcpy(data_ + size_, text, length);
        size_ += length;
        data_[size_] = '\0';
    }
    void Append(char c) { Append(&c, 1); }
    // printf-style formatting after the text already held.
    void AppendFormat(const char* format, ...)
        __attribute__((format(printf, 2, 3)))
    {
        va_list args;
        va_start(args, format);
        AppendFormatList(format, args);
        va_end(args);
    }
    void Format(const char* format, ...)
        __attribute__((format(printf, 2, 3)))
    {
        Clear();
        va_list args;
        va_start(args, format);
        AppendFormatList(format, args);
        va_end(args);
    }
    // The text in a string type of the caller's (the combine tool and the
    // tests keep theirs in std::string): any type made from a pointer and a
    // length. Instantiated only where such a conversion is asked for.
    template <typename String, typename = decltype(String(static_cast<const char*>(nullptr), std::size_t{}))>
    operator String() const {
        return String(data_, size_);
    }

    // Takes the length of a text a platform call wrote into data() (at most
    // capacity() - 1), NUL-terminating it.
    void SetLengthWritten(std::size_t length) {
        size_ = length < capacity_ ? length : capacity_ - 1;
        data_[size_] = '\0';
    }

protected:
    TextBuffer(char* storage, std::size_t capacity) : data_(storage), capacity_(capacity) { Clear(); }
    ~TextBuffer() = default;

private:
    void AppendFormatList(const char* format, va_list args) {
        const std::size_t room = capacity_ - size_;
#if defined(_WIN32)
        // The C runtime DLL's own formatter, not MinGW's C99 one, which
        // would add some 20 KiB to every Windows program. It answers -1,
        // without a terminator, when the text does not fit.
        int wanted = _vsnprintf(data_ + size_, room, format, args);
        if (wanted < 0) wanted = static_cast<int>(room);
#else
        const int wanted = std::vsnprintf(data_ + size_, room, format, args);
        if (wanted < 0) {
            data_[size_] = '\0';
            return;
        }
#endif
        if (static_cast<std::size_t>(wanted) >= room) {
            truncated_ = true;
            size_ = capacity_ - 1;
            data_[size_] = '\0';
        } else {
            size_ += static_cast<std::size_t>(wanted);
        }
    }

    char* data_;
    std::size_t capacity_;
    std::size_t size_ = 0;
    bool truncated_ = false;
};

template <std::size_t N>
class FixedText : public TextBuffer {
    static_assert(N >= 2, "room for one character and the terminator");

public:
    FixedText() : TextBuffer(storage_, N) {}
    explicit FixedText(const char* text) : TextBuffer(storage_, N) { Assign(text); }
    FixedText(const FixedText& other) : TextBuffer(storage_, N) { Assign(other.c_str(), other.size()); }
    FixedText& operator=(const FixedText& other) {
        if (this != &other) Assign(other.c_str(), other.size());
        return *this;
    }

private:
    char storage_[N];
};

// Room for a path of the platform (MAX_PATH, terminator included).
constexpr std::size_t kPathCapacity = 260;
// Room for a status line or message text, a path within it.
constexpr std::size_t kMessageCapacity = 512;
using PathText = FixedText<kPathCapacity>;
using MessageText = FixedText<kMessageCapacity>;
