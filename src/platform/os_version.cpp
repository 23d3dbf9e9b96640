#include "os_version.h"

OsVersionRecord g_osVersion = {};
