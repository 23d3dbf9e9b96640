#pragma once
// The local date and time, to the second. One definition per system
// (platform/posix, platform/win32).

struct LocalTime {
    int year = 0;    // 2026
    int month = 0;   // 1..12
    int day = 0;     // 1..31
    int hour = 0;    // 0..23
    int minute = 0;  // 0..59
    int second = 0;  // 0..59
};

// False when the system could not tell.
bool ReadLocalTime(LocalTime& now);
