#include "LibraryCommands.h"

#include "Console.h"
#include "ExitStatus.h"
#include "LibraryInput.h"
#include "OutputFile.h"
#include "TableInput.h"
#include "TableSources.h"
#include "TextColumns.h"
#include "decode/EdidDecoder.h"
#include "decode/EdidSummary.h"
#include "library/EdidLibrary.h"
#include "library/LibraryName.h"

#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace varnex::cli {

namespace {

using edid::EdidLibrary;
using edid::LibraryEntry;

const QString JsonOptionName = QStringLiteral("json");
const QString NoteOptionName = QStringLiteral("note");
const QString ReplaceOptionName = QStringLiteral("replace");

// Shown for an entry whose file holds no table, where its product would be.
const QString NotATableText = QStringLiteral("not an EDID table");

// What each subcommand takes: its arguments after the subcommand's name and
// the options that belong to it.
struct Subcommand
{
    QString name;
    QString synopsis;
    int arguments;
    QStringList options;
};

const QList<Subcommand> &subcommands()
{
    static const QList<Subcommand> all = {
        {QStringLiteral("list"), QStringLiteral("list [--json]"), 0, {JsonOptionName}},
        {QStringLiteral("add"),
         QStringLiteral("add NAME SOURCE [--note TEXT] [--replace]"),
         2,
         {NoteOptionName, ReplaceOptionName}},
        {QStringLiteral("show"), QStringLiteral("show NAME"), 1, {}},
        {QStringLiteral("rename"), QStringLiteral("rename OLD NEW"), 2, {}},
        {QStringLiteral("remove"), QStringLiteral("remove NAME"), 1, {}},
    };
    return all;
}

const Subcommand *findSubcommand(const QString &name)
{
    for (const Subcommand &subcommand : subcommands()) {
        if (subcommand.name == name)
            return &subcommand;
    }
    return nullptr;
}

EdidLibrary libraryOf(const CommandContext &context)
{
    return EdidLibrary(libraryDirectory(context.environment));
}

QString cell(const QString &text)
{
    return text.isEmpty() ? QStringLiteral("-") : text;
}

QString addedCell(const QDateTime &added)
{
    return added.toLocalTime().toString(QStringLiteral("yyyy-MM-dd HH:mm"));
}

QByteArray entriesTable(const QList<LibraryEntry> &entries)
{
    QList<QStringList> rows = {{QStringLiteral("NAME"), QStringLiteral("PRODUCT"),
                                QStringLiteral("MODE"), QStringLiteral("ADDED"),
                                QStringLiteral("NOTE")}};
    for (const LibraryEntry &entry : entries) {
        rows.append({entry.name, entry.image ? cell(entry.product) : NotATableText,
                     cell(entry.preferredMode), addedCell(entry.added), entry.note});
    }
    return formatColumns(rows);
}

QJsonValue textOrNull(const QString &text)
{
    return text.isEmpty() ? QJsonValue() : QJsonValue(text);
}

QByteArray entriesJson(const QList<LibraryEntry> &entries)
{
    QJsonArray list;
    for (const LibraryEntry &entry : entries) {
        QJsonObject object;
        object[QStringLiteral("name")] = entry.name;
        object[QStringLiteral("file")] = entry.fileName;
        object[QStringLiteral("table")] = entry.image.has_value();
        object[QStringLiteral("product")] = textOrNull(entry.product);
        object[QStringLiteral("preferredMode")] = textOrNull(entry.preferredMode);
        object[QStringLiteral("added")] = entry.added.toUTC().toString(Qt::ISODate);
        object[QStringLiteral("note")] = textOrNull(entry.note);
        object[QStringLiteral("source")] = textOrNull(entry.source);
        list.append(object);
    }
    return QJsonDocument(list).toJson(QJsonDocument::Indented);
}

int runList(CommandContext &context)
{
    const EdidLibrary library = libraryOf(context);
    const QList<LibraryEntry> entries = library.entries();
    if (context.parser.isSet(JsonOptionName))
        return writeOrReport(context.console, QLatin1String(StandardStream), entriesJson(entries));
    if (entries.isEmpty())
        context.console.message(
            QStringLiteral("the library %1 has no entries").arg(library.directory()));
    return writeOrReport(context.console, QLatin1String(StandardStream), entriesTable(entries));
}

// The table SOURCE names, and how the entry's header records it.
struct SourceTable
{
    edid::EdidImage image{};
    QString source;
};

std::optional<SourceTable> loadSource(CommandContext &context, const QString &source,
                                      int *exitStatus)
{
    TableSources sources(context);
    const std::optional<TableInput> table = sources.load(source, exitStatus);
    if (!table)
        return std::nullopt;
    // A file is recorded by its name alone: entries are shared, paths are not.
    QString recorded = source;
    if (source == QLatin1String(StandardStream))
        recorded = QStringLiteral("standard input");
    else if (source != QLatin1String(DeviceSource) &&
             !source.startsWith(QLatin1String(DisplaySourcePrefix)) && !isLibraryInput(source))
        recorded = QFileInfo(source).fileName();
    return SourceTable{table->image, recorded};
}

int runAdd(CommandContext &context)
{
    const QString name = context.arguments[1];
    const bool replace = context.parser.isSet(ReplaceOptionName);
    EdidLibrary library = libraryOf(context);
    const QString exists = QStringLiteral("; --replace replaces it");
    // Spares a device read that could not be kept; add() decides all the same.
    if (!replace && library.find(name)) {
        return reportLibraryResult(
            context.console,
            {edid::LibraryStatus::Exists,
             QStringLiteral("the library has an entry \"%1\" already").arg(name) + exists});
    }
    int status = ExitSuccess;
    const std::optional<SourceTable> table = loadSource(context, context.arguments[2], &status);
    if (!table)
        return status;
    edid::LibraryEntryHeader header;
    header.name = name;
    header.note = context.parser.value(NoteOptionName);
    header.source = table->source;
    edid::LibraryResult result = library.add(header, table->image, replace);
    if (result.status == edid::LibraryStatus::Exists)
        result.message += exists;
    return reportLibraryResult(context.console, result);
}

int runShow(CommandContext &context)
{
    const QString name = context.arguments[1];
    const EdidLibrary library = libraryOf(context);
    const std::optional<LibraryEntry> entry = library.find(name);
    if (!entry)
        return reportLibraryResult(context.console, library.missing(name));
    QList<std::pair<QString, QString>> lines = {{QStringLiteral("Name"), entry->name},
                                                {QStringLiteral("File"), entry->filePath}};
    if (entry->image) {
        const edid::EdidSummary summary = edid::summarize(
            edid::decodeEdid(QByteArrayView(reinterpret_cast<const char *>(entry->image->data()),
                                            qsizetype(entry->image->size()))));
        lines.append({QStringLiteral("Product"), cell(summary.product)});
        lines.append({QStringLiteral("Preferred mode"), cell(summary.preferredMode)});
        lines.append({QStringLiteral("Status"), summary.status});
    }
    lines.append({QStringLiteral("Added"), addedCell(entry->added)});
    lines.append({QStringLiteral("Source"), cell(entry->source)});
    lines.append({QStringLiteral("Note"), cell(entry->note)});
    QString text;
    for (const auto &[label, value] : std::as_const(lines))
        text += (label + QLatin1Char(':')).leftJustified(16) + value + QLatin1Char('\n');
    if (const int status =
            writeOrReport(context.console, QLatin1String(StandardStream), text.toUtf8());
        status != ExitSuccess)
        return status;
    if (!entry->image) {
        return reportLibraryResult(
            context.console,
            {edid::LibraryStatus::NotATable,
             QStringLiteral("the library entry \"%1\" holds no EDID table").arg(entry->name)});
    }
    return ExitSuccess;
}

int runRename(CommandContext &context)
{
    EdidLibrary library = libraryOf(context);
    return reportLibraryResult(context.console,
                               library.rename(context.arguments[1], context.arguments[2]));
}

int runRemove(CommandContext &context)
{
    EdidLibrary library = libraryOf(context);
    return reportLibraryResult(context.console, library.remove(context.arguments[1]));
}

int runLibrary(CommandContext &context)
{
    const QString name = context.arguments.constFirst();
    if (name == QLatin1String("list"))
        return runList(context);
    if (name == QLatin1String("add"))
        return runAdd(context);
    if (name == QLatin1String("show"))
        return runShow(context);
    if (name == QLatin1String("rename"))
        return runRename(context);
    return runRemove(context);
}

QString checkLibrary(const QCommandLineParser &parser, const QStringList &arguments)
{
    const Subcommand *subcommand = findSubcommand(arguments.constFirst());
    if (!subcommand) {
        return QStringLiteral("'%1' is not a library command: list, add, show, rename or remove")
            .arg(arguments.constFirst());
    }
    if (arguments.size() - 1 != subcommand->arguments)
        return QStringLiteral("library %1 takes: library %2")
            .arg(subcommand->name, subcommand->synopsis);
    for (const QString &option : {JsonOptionName, NoteOptionName, ReplaceOptionName}) {
        if (parser.isSet(option) && !subcommand->options.contains(option))
            return QStringLiteral("--%1 is not an option of library %2")
                .arg(option, subcommand->name);
    }
    // A new name must be one; a name looked up is checked by the library,
    // which also finds files dropped in under names of any form.
    const QString newName = subcommand->name == QLatin1String("add")      ? arguments[1]
                            : subcommand->name == QLatin1String("rename") ? arguments[2]
                                                                          : QString();
    if (!newName.isNull()) {
        if (const std::optional<QString> problem = edid::libraryNameProblem(newName))
            return *problem;
    }
    if (edid::oneLineNote(parser.value(NoteOptionName)).size() > edid::MaxLibraryNoteLength)
        return QStringLiteral("a note has at most %1 characters").arg(edid::MaxLibraryNoteLength);
    return {};
}

} // namespace

Command libraryCommand()
{
    Command command;
    command.name = QStringLiteral("library");
    command.synopsis = QStringLiteral("list|add|show|rename|remove ARGUMENTS...");
    QStringList synopses;
    for (const Subcommand &subcommand : subcommands())
        synopses.append(QStringLiteral("'library %1'").arg(subcommand.synopsis));
    command.summary =
        QStringLiteral("The library of named tables: %1. One EDID hex text file per entry in "
                       "$XDG_DATA_HOME/varnex-edid-utility/library (VARNEX_LIBRARY_DIR "
                       "overrides it). list prints name, product, preferred mode, added time "
                       "and note; add takes SOURCE from a file, '-', 'device' (the splitter's "
                       "table) or 'display:CONNECTOR', and replaces an entry only with "
                       "--replace; show prints an entry's decoded summary. Every FILE argument "
                       "of the other commands may be lib:NAME. A name has 1 to 64 letters, "
                       "digits, spaces, '-', '_' and '.'.")
            .arg(synopses.join(QStringLiteral(", ")));
    command.options = {
        QCommandLineOption(JsonOptionName, QStringLiteral("list: print the entries as JSON.")),
        QCommandLineOption(NoteOptionName, QStringLiteral("add: a note kept with the entry."),
                           QStringLiteral("TEXT")),
        QCommandLineOption(ReplaceOptionName,
                           QStringLiteral("add: replace an entry of the same name."))};
    command.minArguments = 1;
    command.maxArguments = 3;
    command.run = runLibrary;
    command.check = checkLibrary;
    return command;
}

} // namespace varnex::cli
