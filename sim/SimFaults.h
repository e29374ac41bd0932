#pragma once

namespace vx {

// Faults the simulated kit produces on request. Counters count down as the
// board acts and switch the fault off when they run out; -1 means "off".

struct SimFaults {
    int echoesLeft = -1;          // echo only this many more characters, then none
    int wrongEchoes = 0;          // the next n echoes come back as another character
    bool silent = false;          // the board transmits nothing at all
    int garbledFromModule = 0;    // the next n bytes the board sends arrive garbled
    int resetAfterReceived = -1;  // the board resets when the n-th further character
                                  // arrives (that character is lost)
    bool unplugged = false;       // the adapter is gone: open fails with ENOENT,
                                  // an open port fails with EIO and reports gone()
};

}  // namespace vx
