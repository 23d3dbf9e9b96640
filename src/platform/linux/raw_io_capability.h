#pragma once
// Whether this process has CAP_SYS_RAWIO in its effective set, the
// capability ktxflash asks of a process that flashes (the kernel asks it of
// firmware commands where it filters them: read-only opens of /dev/sgN, the
// block device). Read from /proc/self/status, so the answer needs no
// library; when that cannot be read the answer is yes, and the kernel
// decides.

bool ProcessHasRawIoCapability();

// The effective capability set from the text of /proc/self/status; false
// when the text has no "CapEff:" line.
bool ParseEffectiveCapabilities(const char* statusText, unsigned long long& capabilities);
