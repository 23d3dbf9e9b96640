#pragma once
// The download and the read-out announce their beginning and their end to
// the operations' port for exactly as long as they run, whichever way they
// return: a face keeps the system awake (and, for a download, holds off
// interruptions) in between.

#include "firmware/operations_port.h"

class DownloadScope {
public:
    explicit DownloadScope(OperationsPort& port) : port_(port) { port_.DownloadBegins(); }
    ~DownloadScope() { port_.DownloadEnds(); }
    DownloadScope(const DownloadScope&) = delete;
    DownloadScope& operator=(const DownloadScope&) = delete;

private:
    OperationsPort& port_;
};

class ReadOutScope {
public:
    explicit ReadOutScope(OperationsPort& port) : port_(port) { port_.ReadOutBegins(); }
    ~ReadOutScope() { port_.ReadOutEnds(); }
    ReadOutScope(const ReadOutScope&) = delete;
    ReadOutScope& operator=(const ReadOutScope&) = delete;

private:
    OperationsPort& port_;
};
