#pragma once
// Keeps the system from going to sleep for as long as it lives: the block
// download and the read-out hold one for their whole run, so that a sleeping
// PC cannot cut a flash write in half or stall a read-out. The request is
// withdrawn when the owner goes, whichever way its holder returns.

#include "platform/system_services.h"

class StayAwake {
public:
    explicit StayAwake(SystemServices& system) : system_(system) { system_.KeepSystemAwake(true); }
    ~StayAwake() { system_.KeepSystemAwake(false); }
    StayAwake(const StayAwake&) = delete;
    StayAwake& operator=(const StayAwake&) = delete;

private:
    SystemServices& system_;
};
