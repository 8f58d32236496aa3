#include "DeviceActions.h"

#include "DeviceConnection.h"
#include "DeviceMessageSink.h"
#include "DeviceSettings.h"
#include "EdidTransfers.h"
#include "ForwardingBridge.h"
#include "FuzzCheck.h"
#include "UsbBridge.h"

#include <fuzzer/FuzzedDataProvider.h>

#include <vector>

using namespace varnex::device;
using namespace varnex::edid;
using namespace varnex::splitter;

namespace {

// Clock steps of this many milliseconds once the input is used up: a silent
// request then gives up after a few readings instead of thousands.
constexpr quint32 DefaultClockStepMs = 500;

// Passes every call on and counts the writes that succeeded or moved at
// least one byte, the frames a write sequence may count as sent.
class WriteCounter final : public ForwardingBridge
{
public:
    using ForwardingBridge::ForwardingBridge;
    int acceptedWrites = 0;

    BridgeStatus write(BridgeHandle handle, const quint8 *buffer, quint32 toWrite,
                       quint32 *written) override
    {
        const BridgeStatus status = ForwardingBridge::write(handle, buffer, toWrite, written);
        acceptedWrites += status == BridgeSuccess || *written != 0 ? 1 : 0;
        return status;
    }
};

// The sequences report their progress to a function that must be callable.
const TransferProgress ignoreProgress = [](int, int) {};

class CountingSink final : public DeviceMessageSink
{
public:
    void showMessage(const QString &) override { ++messages; }
    int messages = 0;
};

void checkRead(const EdidReadResult &result)
{
    // The read ends at its first missing chunk, so the chunks that came are
    // the ones before it.
    const int missing = result.firstMissingOffset();
    for (int chunk = 0; chunk < ReadChunkCount; ++chunk) {
        const bool before = missing < 0 || chunk * int(EdidChunkLength) < missing;
        FUZZ_CHECK(result.arrived[std::size_t(chunk)] == before);
    }
}

void checkWrite(const EdidWriteResult &result, int acceptedWrites)
{
    const int confirmed = result.framesConfirmed();
    FUZZ_CHECK(result.framesSent == acceptedWrites);
    FUZZ_CHECK(confirmed <= result.framesSent && result.framesSent <= confirmed + 1);
    FUZZ_CHECK(result.firstFailedOffset() ==
               (confirmed == WriteFrameCount ? -1 : confirmed * int(WriteDataLength)));
    for (int frame = 0; frame < WriteFrameCount; ++frame)
        FUZZ_CHECK(result.acknowledged[std::size_t(frame)] == (frame < confirmed));
}

} // namespace

void runDeviceActions(FuzzedDataProvider &input, BridgeLibrary &library,
                      const std::function<bool()> &allClosed)
{
    CountingSink sink;
    WriteCounter counter(library);
    UsbBridge bridge(counter, sink);
    DeviceSettings settings;
    settings.edidAddress =
        input.ConsumeBool() ? DefaultEdidAddress : input.ConsumeIntegral<quint8>();
    // Anywhere on the 32-bit counter, so that its wrap falls inside a wait now and then.
    quint32 now = input.ConsumeIntegral<quint32>();
    auto clock = [&input, &now] {
        const quint8 step = input.ConsumeIntegral<quint8>();
        now += step == 0 ? DefaultClockStepMs : step * 8u;
        return now;
    };
    DeviceConnection connection(
        bridge, settings, clock, [](quint32) {}, [](quint32) {});
    if (input.ConsumeIntegral<quint8>() >= 0xF0)
        connection.setLinkNameFilter(input.ConsumeBool() ? QByteArray("usb:1-1") : QByteArray("x"));

    const int actions = 1 + input.ConsumeIntegralInRange(0, 3);
    for (int action = 0; action < actions; ++action) {
        const int kind = input.ConsumeIntegralInRange(0, 2);
        if (connection.openDevice()) {
            FUZZ_CHECK(connection.isOpen());
            if (kind == 0) {
                checkRead(readEdidTable(connection, settings.edidAddress, ignoreProgress));
            } else if (kind == 1) {
                EdidImage image{};
                const std::vector<quint8> bytes = input.ConsumeBytes<quint8>(EdidImageSize);
                std::copy(bytes.begin(), bytes.end(), image.begin());
                counter.acceptedWrites = 0;
                const EdidWriteResult result =
                    writeEdidTable(connection, settings.edidAddress, image, ignoreProgress);
                checkWrite(result, counter.acceptedWrites);
            } else {
                const ModeSelector selector = input.PickValueInArray(
                    {ModeSelector::Query, ModeSelector::SelectCustom, ModeSelector::SelectAutomix});
                const ModeRequestResult result = sendModeFrame(connection, selector);
                FUZZ_CHECK(result.replied || result.reply == 0);
            }
        } else {
            FUZZ_CHECK(!connection.isOpen());
        }
        connection.closeDevice();
        FUZZ_CHECK(!connection.isOpen());
        FUZZ_CHECK(allClosed());
    }
}
