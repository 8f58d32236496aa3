#pragma once

#include <QString>

namespace varnex::splitter {

// How a use case with the Varnex ended.
enum class SessionStatus
{
    Done,
    HardwareNotFound, // no Varnex could be opened; the device link may have shown messages
    Incomplete,       // the Varnex was opened, but a request failed or got no reply
    Refused,          // nothing was changed: the mode forbids it, or the Varnex kept its mode
    Differs,          // the read-back found other bytes than those written
};

// The one error style of this layer: a status, and for anything but Done the
// user's sentence and what to do about it. Front ends show these words as
// they are and add only what is their own (an option to use, a menu to pick).
struct Outcome
{
    // An action that has not reached the Varnex yet.
    SessionStatus status = SessionStatus::HardwareNotFound;
    QString message; // empty exactly when Done
    QString advice;  // may be empty when there is nothing the user can do

    bool done() const { return status == SessionStatus::Done; }
};

// The outcome of a success, and of a Varnex that could not be opened.
Outcome doneOutcome();
Outcome hardwareNotFound();

} // namespace varnex::splitter
