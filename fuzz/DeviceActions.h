#pragma once

#include <functional>

class FuzzedDataProvider;
namespace varnex::device {
class BridgeLibrary;
}

// Runs one to four device actions as the window and the command line do them
// (open, then a read, a write or a mode request, then close) over `library`,
// with a clock the input drives and pauses that do not sleep, and checks what
// the sequences promise about their results. `allClosed` tells whether the
// backend holds no device open any more; it is checked after every action.
void runDeviceActions(FuzzedDataProvider &input, varnex::device::BridgeLibrary &library,
                      const std::function<bool()> &allClosed);
