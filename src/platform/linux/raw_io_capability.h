#pragma once
// Whether this process may send firmware commands through SG_IO: the
// kernel lets only a process with CAP_SYS_RAWIO in its effective set do
// so. Read from /proc/self/status, so the answer needs no library; when
// that cannot be read the answer is yes, and the kernel decides.

bool ProcessHasRawIoCapability();

// The effective capability set from the text of /proc/self/status; false
// when the text has no "CapEff:" line.
bool ParseEffectiveCapabilities(const char* statusText, unsigned long long& capabilities);
