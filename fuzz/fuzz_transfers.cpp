// The device transfer sequences (read, write, mode request) through the real
// bridge wrapper and connection, over a bridge whose replies and failures the
// input chooses.
#include "DeviceActions.h"
#include "FuzzedBridge.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    FuzzedDataProvider input(data, size);
    FuzzedBridge library(input);
    runDeviceActions(input, library, [&library] { return library.openHandles() == 0; });
    return 0;
}
