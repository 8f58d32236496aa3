#include "DecodeCommands.h"

#include "Console.h"
#include "DecodableInput.h"
#include "ExitStatus.h"
#include "OutputFile.h"
#include "TableInput.h"
#include "decode/DecodedTree.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidJson.h"
#include "decode/EdidSummary.h"

#include <QJsonDocument>

#include <cstdio>

namespace varnex::cli {

namespace {

const QString JsonOptionName = QStringLiteral("json");

void writeStandardOutput(const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, std::size_t(bytes.size()), stdout);
    std::fflush(stdout);
}

int runDecode(CommandContext &context)
{
    // As edid-decode does, no FILE reads standard input.
    const QString path = context.arguments.value(0, QLatin1String(StandardStream));
    int status = ExitSuccess;
    const std::optional<QByteArray> bytes = loadDecodable(path, context.console, &status);
    if (!bytes)
        return status;
    const edid::DecodedEdid decoded = edid::decodeEdid(*bytes);
    writeStandardOutput(context.parser.isSet(JsonOptionName)
                            ? QJsonDocument(edid::toJson(decoded)).toJson(QJsonDocument::Indented)
                            : edid::toText(decoded).toUtf8());
    return ExitSuccess;
}

// "FILE: error: block 1, offset 0x0FF: message [code]": one finding on one
// line, for grep; the offset counts from the start of the table.
QString findingLine(const QString &name, const edid::Finding &finding)
{
    return QStringLiteral("%1: %2: block %3, offset 0x%4: %5 [%6]\n")
        .arg(name, edid::severityName(finding.severity))
        .arg(finding.block)
        .arg(finding.offset, 3, 16, QLatin1Char('0'))
        .arg(finding.message, finding.code);
}

int runVerify(CommandContext &context)
{
    bool badName = false;
    bool unreadable = false;
    bool invalid = false;
    for (const QString &path : context.arguments) {
        int status = ExitSuccess;
        const std::optional<QByteArray> bytes = loadDecodable(path, context.console, &status);
        if (!bytes) {
            badName = badName || status == ExitUsage;
            unreadable = unreadable || status == ExitFailure;
            invalid = invalid || status == ExitInvalidData;
            continue;
        }
        const edid::DecodedEdid decoded = edid::decodeEdid(*bytes);
        const QString name = inputName(path);
        QString lines;
        for (const edid::Finding &finding : decoded.findings)
            lines += findingLine(name, finding);
        const edid::EdidSummary summary = edid::summarize(decoded);
        lines += QStringLiteral("%1: %2\n").arg(name, summary.status);
        writeStandardOutput(lines.toUtf8());
        invalid = invalid || summary.errors > 0;
    }
    // A file that could not be checked outweighs one that was checked and
    // failed; a lib:NAME that cannot be a name is a usage error.
    if (badName)
        return ExitUsage;
    if (unreadable)
        return ExitFailure;
    return invalid ? ExitInvalidData : ExitSuccess;
}

} // namespace

Command decodeCommand()
{
    Command command;
    command.name = QStringLiteral("decode");
    command.synopsis = QStringLiteral("[FILE|-] [--json]");
    command.summary = QStringLiteral("Print the decoded table (every block of a raw file) as "
                                     "readable text, or as JSON; no FILE reads standard input.");
    command.options = {QCommandLineOption(
        JsonOptionName, QStringLiteral("Print the decoding as JSON instead of text."))};
    command.minArguments = 0;
    command.maxArguments = 1;
    command.run = runDecode;
    return command;
}

Command verifyCommand()
{
    Command command;
    command.name = QStringLiteral("verify");
    command.synopsis = QStringLiteral("FILE...");
    command.summary =
        QStringLiteral("Check the block checksums and the decoder's findings of each file: one "
                       "line per finding (FILE: SEVERITY: block N, offset 0xOFF: message [code]), "
                       "then 'FILE: valid' or 'FILE: 2 errors, 1 warning'. Exit status 3 when a "
                       "file has errors.");
    command.minArguments = 1;
    command.maxArguments = Command::Unlimited;
    command.run = runVerify;
    return command;
}

} // namespace varnex::cli
