#include "Outcome.h"

namespace varnex::splitter {

Outcome doneOutcome()
{
    return {SessionStatus::Done, {}, {}};
}

Outcome hardwareNotFound()
{
    return {SessionStatus::HardwareNotFound, QStringLiteral("Hardware not found"),
            QStringLiteral("Check that the USB cable is connected and that the Varnex is "
                           "powered. On Linux, the udev rule of this utility must be installed "
                           "(see \"Hardware set-up\" in the README).")};
}

} // namespace varnex::splitter
