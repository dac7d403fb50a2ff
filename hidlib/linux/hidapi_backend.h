// The library's three calls on Linux, over hidapi's hidraw backend, and what its last failed open
// found.
#pragma once

#include "tandemix_hid.h"

// The device path of an adapter that the last open found but was not allowed to open; empty
// when the last open found none or opened one.
const char* DeniedAdapterPath();
