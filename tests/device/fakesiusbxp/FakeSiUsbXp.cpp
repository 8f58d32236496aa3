// A stand-in for the bridge vendor's library, with the vendor's C API: one
// bridge device, serial "2020", behind it a 256-byte memory that answers the
// EDID read (11 cc aa oo) and write (10 0C aa oo d0..d7) frames. Built
// twice: once complete, once without SI_CheckRXQueue.
#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

namespace {

// Any nonzero status will do; this one stands for every failure.
constexpr int Failure = 2;

struct FakeDevice
{
    bool open = false;
    uint8_t memory[256];
    std::vector<uint8_t> receiveQueue;

    FakeDevice()
    {
        for (int i = 0; i < 256; ++i)
            memory[i] = uint8_t(i * 7 + 3);
    }
};

FakeDevice device;

bool isOpenHandle(void *handle)
{
    return handle == &device && device.open;
}

void answer(const uint8_t *frame, uint32_t length)
{
    if (length == 4 && frame[0] == 0x11) {
        for (uint32_t i = 0; i < frame[1]; ++i)
            device.receiveQueue.push_back(device.memory[(frame[3] + i) % 256]);
    } else if (length == 12 && frame[0] == 0x10) {
        for (uint32_t i = 0; i < 8; ++i)
            device.memory[(frame[3] + i) % 256] = frame[4 + i];
        device.receiveQueue.insert(device.receiveQueue.end(), 5, 0);
    }
}

} // namespace

extern "C" {

int SI_GetNumDevices(uint32_t *count)
{
    *count = 1;
    return 0;
}

int SI_GetProductString(uint32_t index, void *buffer, uint32_t option)
{
    const char *text = option == 0 ? "2020" : option == 2 ? "/fake/siusbxp/0" : "Fake bridge";
    if (index != 0)
        return Failure;
    std::strcpy(static_cast<char *>(buffer), text);
    return 0;
}

int SI_Open(uint32_t index, void **handle)
{
    if (index != 0 || device.open)
        return Failure;
    device.open = true;
    device.receiveQueue.clear();
    *handle = &device;
    return 0;
}

int SI_Close(void *handle)
{
    if (!isOpenHandle(handle))
        return Failure;
    device.open = false;
    return 0;
}

int SI_Read(void *handle, void *buffer, uint32_t toRead, uint32_t *returned, void *overlapped)
{
    if (!isOpenHandle(handle) || overlapped)
        return Failure;
    const auto count = std::min<std::size_t>(toRead, device.receiveQueue.size());
    std::memcpy(buffer, device.receiveQueue.data(), count);
    device.receiveQueue.erase(device.receiveQueue.begin(),
                              device.receiveQueue.begin() + std::ptrdiff_t(count));
    *returned = uint32_t(count);
    return 0;
}

int SI_Write(void *handle, void *buffer, uint32_t toWrite, uint32_t *written, void *overlapped)
{
    if (!isOpenHandle(handle) || overlapped)
        return Failure;
    answer(static_cast<const uint8_t *>(buffer), toWrite);
    *written = toWrite;
    return 0;
}

int SI_FlushBuffers(void *handle, uint8_t flushTransmit, uint8_t flushReceive)
{
    // The utility always flushes both ways; anything else is a fault here.
    if (!isOpenHandle(handle) || flushTransmit != 1 || flushReceive != 1)
        return Failure;
    device.receiveQueue.clear();
    return 0;
}

#ifndef FAKE_SIUSBXP_WITHOUT_CHECKRXQUEUE
int SI_CheckRXQueue(void *handle, uint32_t *waiting, uint32_t *status)
{
    if (!isOpenHandle(handle))
        return Failure;
    *waiting = uint32_t(device.receiveQueue.size());
    *status = 0;
    return 0;
}
#endif
}
