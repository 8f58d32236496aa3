#include "TableUpload.h"

#include "DeviceSettings.h"

namespace varnex::splitter {

namespace {

Outcome automixRefusal()
{
    return {SessionStatus::Refused, QStringLiteral("Writing is disabled in AUTOMIX mode."),
            QStringLiteral("Choose CUSTOM mode to upload an EDID table")};
}

// The guard that asks the Varnex; Done when it is, or has been put, in CUSTOM mode.
Outcome askedModeGuard(DeviceSession &session, ModeGuard guard)
{
    SessionModeResult mode = session.queryMode();
    if (!mode.done())
        return mode;
    if (mode.mode == EdidMode::Custom)
        return doneOutcome();
    if (guard != ModeGuard::SelectCustom)
        return automixRefusal();
    return session.selectMode(EdidMode::Custom);
}

void notify(const std::function<void(UploadStep)> &callback, UploadStep step)
{
    if (callback)
        callback(step);
}

void notify(const std::function<void(UploadStep, bool)> &callback, UploadStep step, bool complete)
{
    if (callback)
        callback(step, complete);
}

// Frames that reached the Varnex may be stored although the rest never came:
// after a write that stopped, the new table's first bytes may stand beside
// the old one's rest.
QString mixedTableAdvice()
{
    return QStringLiteral("The Varnex may now hold a mixed table, the new bytes up to where the "
                          "write stopped and its old ones after. Write the table again.");
}

} // namespace

QString resetReminder()
{
    return QStringLiteral("Press the reset button on the Varnex after every EDID table write");
}

QString completedUploadSummary(const UploadOutcome &outcome)
{
    if (!outcome.done() || outcome.step == UploadStep::ModeGuard)
        return QString();
    return outcome.verification
               ? QStringLiteral("Wrote and verified %1 bytes.").arg(edid::EdidImageSize)
               : QStringLiteral("Wrote %1 bytes.").arg(edid::EdidImageSize);
}

Outcome recordedModeGuard(const DeviceSettings &settings)
{
    return settings.automix == 1 ? automixRefusal() : doneOutcome();
}

UploadOutcome uploadTable(DeviceSession &session, const EdidImage &image,
                          const UploadOptions &options)
{
    UploadOutcome outcome;
    const Outcome guard = options.guard == ModeGuard::Recorded
                              ? recordedModeGuard(session.settings())
                              : askedModeGuard(session, options.guard);
    static_cast<Outcome &>(outcome) = guard;
    if (!guard.done())
        return outcome;

    outcome.step = UploadStep::Write;
    notify(options.transferStarts, UploadStep::Write);
    outcome.write = session.writeTable(image, options.progress);
    notify(options.transferEnded, UploadStep::Write, outcome.write.done());
    static_cast<Outcome &>(outcome) = outcome.write;
    if (outcome.partial())
        outcome.advice = mixedTableAdvice();
    if (!outcome.write.done() || !options.readBack)
        return outcome;

    outcome.step = UploadStep::ReadBack;
    notify(options.transferStarts, UploadStep::ReadBack);
    outcome.verification = verifyWrittenTable(session, image, options.progress);
    notify(options.transferEnded, UploadStep::ReadBack, outcome.verification->readBack.done());
    static_cast<Outcome &>(outcome) = *outcome.verification;
    return outcome;
}

} // namespace varnex::splitter
