#pragma once

#include "DeviceSession.h"
#include "Outcome.h"
#include "VerifiedWrite.h"

#include <functional>
#include <optional>

namespace varnex::splitter {

// How the upload makes sure that the Varnex takes a table: only in CUSTOM mode.
enum class ModeGuard
{
    Recorded,     // trust the AUTOMIX flag of DeviceSettings, which the caller keeps
    AskDevice,    // ask the Varnex for its mode; refuse in AUTOMIX
    SelectCustom, // ask the Varnex; in AUTOMIX select CUSTOM first
};

// The steps of an upload, in order.
enum class UploadStep
{
    ModeGuard,
    Write,
    ReadBack,
};

struct UploadOptions
{
    ModeGuard guard = ModeGuard::AskDevice;
    // Read the table back after a write whose every frame was acknowledged.
    bool readBack = true;
    // Called before the write and before the read-back.
    std::function<void(UploadStep step)> transferStarts;
    // The running transfer's progress, as DeviceSession reports it.
    TransferProgress progress;
    // Called after the write and after the read-back: did it run complete?
    std::function<void(UploadStep step, bool complete)> transferEnded;
};

// How an upload ended: the status, the user's sentence and advice of the
// step where it ended (the guard's, the write's or the read-back's), and
// what the write and the read-back did.
struct UploadOutcome : Outcome
{
    UploadStep step = UploadStep::ModeGuard;       // the last step that ran
    SessionWriteResult write;                      // framesSent is 0 before the write
    std::optional<WriteVerification> verification; // when the table was read back

    // Frames reached the Varnex: whatever it stored shows only after its reset.
    bool framesWentOut() const { return write.framesSent > 0; }
    // The write stopped part-way: some frames reached the Varnex, not all
    // were confirmed; the advice then says that it may hold a mixed table.
    bool partial() const { return step == UploadStep::Write && !done() && framesWentOut(); }
};

// What to do after every write that reached the Varnex: it presents a new
// table only after its reset button has been pressed. Front ends choose how
// often to say it.
QString resetReminder();

// The one line on an upload that ended Done: "Wrote and verified 256
// bytes." when the table was read back equal, "Wrote 256 bytes." when it
// was sent whole without a read-back. Empty for any other outcome.
QString completedUploadSummary(const UploadOutcome &outcome);

// The guard on the recorded mode alone, for a front end that refuses before
// it asks anything else: Refused, "Writing is disabled in AUTOMIX mode.",
// with the advice "Choose CUSTOM mode to upload an EDID table", when the
// AUTOMIX flag is set; Done otherwise.
Outcome recordedModeGuard(const DeviceSettings &settings);

// The one upload of a table: the mode guard, the write, the read-back if
// asked, and one outcome. A partial write's advice says that the Varnex may
// now hold a mixed table and to write again. Checks of the table itself (checksBeforeUpload)
// are the caller's, before it calls. Nothing is sent when the guard refuses.
UploadOutcome uploadTable(DeviceSession &session, const EdidImage &image,
                          const UploadOptions &options);

} // namespace varnex::splitter
