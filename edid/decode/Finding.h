#pragma once

#include <QList>
#include <QString>

namespace varnex::edid {

// How much a finding matters: errors make a source reject or misread the
// table, warnings may surprise, notes are facts worth knowing.
enum class Severity
{
    Error,
    Warning,
    Note
};

inline QString severityName(Severity severity)
{
    switch (severity) {
    case Severity::Error:
        return QStringLiteral("error");
    case Severity::Warning:
        return QStringLiteral("warning");
    case Severity::Note:
        break;
    }
    return QStringLiteral("note");
}

// One conformance finding. `code` is stable (tools and tests match on it);
// `offset` is the absolute byte offset in the image (block * 128 + offset in
// the block); `message` says what is wrong and what the user can do.
struct Finding
{
    Severity severity = Severity::Note;
    QString code;
    int block = 0;
    int offset = 0;
    QString message;
};

using Findings = QList<Finding>;

inline void addFinding(Findings &findings, Severity severity, const QString &code, int block,
                       int offset, const QString &message)
{
    findings.append(Finding{severity, code, block, offset, message});
}

} // namespace varnex::edid
