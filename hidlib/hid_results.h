// The results of the library's exchange and close (those of the open are the contract's).
#pragma once

#include "tandemix_hid.h"

enum ExchangeResult : int {
    kExchangeDone = 0,
    kExchangeNotOpen = 1,         // the record holds no open adapter, or an area is missing
    kExchangeBusy = 2,            // a cancelled request of an earlier exchange is still running
    kExchangeFlushFailed = 3,     // the adapter's input queue could not be emptied: it is gone
    kExchangeWriteFailed = 4,     // the output report was refused
    kExchangeWriteTimedOut = 5,   // the output report did not leave in time
    kExchangeReadFailed = 6,      // the input report could not be read
    kExchangeTimedOut = 7,        // no answer in time
    kExchangeMalformedAnswer = 8, // an answer of the wrong length or report ID
    kExchangeWrongEcho = 9,       // answer bytes 0-3 do not repeat the command
};

enum CloseResult : int {
    kCloseDone = 0,
    kCloseNothingOpen = 1, // zeroed, already closed, or from a failed open
};
