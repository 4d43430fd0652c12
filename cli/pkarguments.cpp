// SPDX-License-Identifier: MIT

#include "pkarguments.h"
#include "pkhelptext.h"

#include "pkxmppacket.h"

#include <QCommandLineParser>
#include <QFileInfo>

namespace {

// Qt's own arguments, which QGuiApplication and QApplication take out of the
// command line themselves: accepted here so that they reach Qt in window
// mode, and so that their values are not taken for a list.
struct QtOption
{
    const char *name;
    const char *valueName; // nullptr: a switch
    const char *description;
};

constexpr QtOption qtOptions[] = {
    {"platform", "name", "Qt: the platform plugin to use (xcb, wayland, offscreen)."},
    {"platformpluginpath", "path", "Qt: where to look for platform plugins."},
    {"platformtheme", "name", "Qt: the platform theme to use."},
    {"plugin", "name", "Qt: an input plugin to load."},
    {"qmljsdebugger", "value", "Qt: QML debugging."},
    {"qwindowgeometry", "geometry", "Qt: the window's geometry."},
    {"geometry", "geometry", "Qt: the window's geometry (X11)."},
    {"qwindowicon", "icon", "Qt: the window's icon."},
    {"qwindowtitle", "title", "Qt: the window's title."},
    {"title", "title", "Qt: the window's title (X11)."},
    {"display", "display", "Qt: the X11 display to use."},
    {"name", "name", "Qt: the application's X11 resource name."},
    {"visual", "visual", "Qt: the X11 visual to use."},
    {"session", "session", "Qt: the session to restore."},
    {"style", "style", "Qt: the widget style (Fusion)."},
    {"stylesheet", "file", "Qt: a style sheet for the window."},
    {"reverse", nullptr, "Qt: lay out right to left."},
    {"widgetcount", nullptr, "Qt: report the widgets left at exit."},
    {"nograb", nullptr, "Qt: never grab the mouse or keyboard (X11)."},
    {"dograb", nullptr, "Qt: grab even under a debugger (X11)."},
    {"sync", nullptr, "Qt: synchronous X11 calls, for debugging."},
    {"testability", nullptr, "Qt: load the testability plugin."},
};

struct Parser
{
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption helpAll{QStringLiteral("help-all")};
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("The selection list: a text file, a spreadsheet export (CSV) or a "
                                           "smart collection (.lrsmcol); - reads it from standard input."),
                            QStringLiteral("file")};
    QCommandLineOption like{QStringLiteral("like"),
                            QStringLiteral("Instead of a list: a folder of example pictures (the client's "
                                           "downloads, in sub-folders too); each selects the picture it shows."),
                            QStringLiteral("folder")};
    QCommandLineOption folder{QStringLiteral("folder"), QStringLiteral("The picture folder to copy from."),
                              QStringLiteral("folder")};
    QCommandLineOption to{QStringLiteral("to"),
                          QStringLiteral("Put FilesFromSelection into this folder instead of the picture folder."),
                          QStringLiteral("folder")};
    QCommandLineOption also{QStringLiteral("also"),
                            QStringLiteral("Copy into FilesFromSelection in this folder as well, in the same pass: "
                                           "a backup drive. May be given twice."),
                            QStringLiteral("folder")};
    QCommandLineOption resume{QStringLiteral("resume"),
                              QStringLiteral("Finish an earlier run: use FilesFromSelection as it is and leave "
                                             "the files already in it alone.")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QStringLiteral("Print the paths of the files that would be copied, one a line, "
                                             "on standard output, the rest on standard error, and create nothing.")};
    QCommandLineOption print0{QStringLiteral("print0"),
                              QStringLiteral("With --dry-run: end each path with a NUL instead of a line feed.")};
    QCommandLineOption withoutExtensions{
        QStringLiteral("without-extensions"),
        QStringLiteral("The default: an identifier with an extension selects every file of its picture, so that "
                       "IMG_0012.jpg also selects IMG_0012.CR2.")};
    QCommandLineOption withExtensions{
        QStringLiteral("with-extensions"),
        QStringLiteral("Match identifiers with their extensions as written: IMG_0012.jpg selects the names "
                       "that hold IMG_0012.jpg.")};
    QCommandLineOption noNearMatches{
        QStringLiteral("no-near-matches"),
        QStringLiteral("Do not try an identifier that selects nothing again ignoring case, edit or copy "
                       "markers, or all but its number.")};
    QCommandLineOption ambiguous{
        QStringLiteral("ambiguous"),
        QStringLiteral("What becomes of the files of identifiers that select more than one picture as written: "
                       "copy copies them, skip leaves them out. Without it they are left out and named on "
                       "standard error. Either way, files left out give exit status 4."),
        QStringLiteral("copy|skip")};
    QCommandLineOption wholeNumbers{
        QStringLiteral("whole-numbers"),
        QStringLiteral("Let an identifier of digits only select a file only where that number stands whole in "
                       "its name, leading zeros aside: 412 selects IMG_0412.jpg, not IMG_1412.jpg.")};

    QCommandLineOption subfolders{
        QStringLiteral("subfolders"),
        QStringLiteral("Whether the picture folder's sub-folders are searched too, to any depth, as one folder: "
                       "auto (the default) only when the folder's own files answer no identifier at all, always, "
                       "or never."),
        QStringLiteral("auto|always|never")};
    QCommandLineOption flat{QStringLiteral("flat"),
                            QStringLiteral("Copy every file to the top of FilesFromSelection instead of into the "
                                           "sub-folder it came from; names that two files would share are not "
                                           "copied.")};
    QCommandLineOption mark{QStringLiteral("mark"),
                            QStringLiteral("Add this keyword (levels joined by |) to the sidecars of the pictures "
                                           "to copy, creating a sidecar where there is none, before copying."),
                            QStringLiteral("keyword")};
    QCommandLineOption unmark{QStringLiteral("unmark"),
                              QStringLiteral("Take this keyword out of the sidecars of the pictures to copy."),
                              QStringLiteral("keyword")};
    QCommandLineOption label{QStringLiteral("label"),
                             QStringLiteral("With --mark: set this colour label too (Red, Yellow, Green, Blue, "
                                            "Purple or a name of your own); with --unmark: take it off where it is set."),
                             QStringLiteral("name")};
    QCommandLineOption noCopy{QStringLiteral("no-copy"),
                              QStringLiteral("With --mark or --unmark: only mark; copy nothing.")};
    QCommandLineOption report{QStringLiteral("report"),
                              QStringLiteral("Write the match to this CSV file, one row per identifier: how it was "
                                             "found, its pictures and its files."),
                              QStringLiteral("file.csv")};
    QCommandLineOption noVerify{QStringLiteral("no-verify"),
                                QStringLiteral("Do not read each copy back and compare it with its picture before "
                                               "naming it; copies are then made as fast as cp makes them.")};

    explicit Parser(bool showQtOptions)
    {
        // Qt's own options are single-dash words; no option of ours is a
        // bundle of short letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(PkHelpText::description());
        for (QCommandLineOption *option : {&list, &like, &folder, &to, &also, &resume, &dryRun, &print0, &ambiguous,
                                           &withoutExtensions, &withExtensions, &wholeNumbers, &noNearMatches,
                                           &subfolders, &flat, &noVerify, &mark, &unmark, &label, &noCopy, &report})
            parser.addOption(*option);
        for (const QtOption &qt : qtOptions) {
            QCommandLineOption option(QString::fromLatin1(qt.name), QString::fromLatin1(qt.description),
                                      qt.valueName ? QString::fromLatin1(qt.valueName) : QString());
            if (!showQtOptions)
                option.setFlags(QCommandLineOption::HiddenFromHelp);
            parser.addOption(option);
        }
        parser.addPositionalArgument(QStringLiteral("list"), QStringLiteral("A selection list to open the window with."),
                                     QStringLiteral("[list]"));
    }

    QString helpText() const
    {
        // Without an application object Qt cannot know the program's name.
        QString text = parser.helpText();
        text.replace(QLatin1String("<executable_name>"), PkArguments::programName());
        return text + PkHelpText::exitStatus();
    }
};

PkCommandLine::Invocation exitWith(int status, const QString &message)
{
    PkCommandLine::Invocation invocation;
    invocation.mode = PkCommandLine::Mode::Exit;
    invocation.exitStatus = status;
    invocation.message = message;
    return invocation;
}

PkCommandLine::Invocation usageError(const QString &text)
{
    const QString program = PkArguments::programName();
    return exitWith(PkCommandLine::UsageError, program + QLatin1String(": ") + text + QLatin1String(" See ") + program
                                                   + QLatin1String(" --help.\n"));
}

// What is wrong with the marking options, or an empty string.
QString markProblem(const Parser &options)
{
    const QCommandLineParser &parser = options.parser;
    const QStringList marks = parser.values(options.mark) + parser.values(options.unmark);
    if (marks.size() > 1 || parser.values(options.label).size() > 1)
        return QStringLiteral("Give one --mark or --unmark, and --label once.");
    if (marks.isEmpty() && (parser.isSet(options.label) || parser.isSet(options.noCopy)))
        return QStringLiteral("--%1 needs --mark or --unmark.").arg(parser.isSet(options.label) ? "label" : "no-copy");
    const QString problem = marks.isEmpty() ? QString() : PkXmpPacket::keywordProblem(marks.constFirst());
    if (!problem.isEmpty())
        return QStringLiteral("Cannot mark: %1.").arg(problem);
    const QString labelProblem = PkXmpPacket::labelProblem(parser.value(options.label));
    return labelProblem.isEmpty() ? QString() : QStringLiteral("Cannot mark: %1.").arg(labelProblem);
}

} // namespace

QString PkArguments::programName()
{
    return QStringLiteral("pickwell");
}

PkCommandLine::Invocation PkArguments::parse(const QStringList &arguments)
{
    Parser options(false);
    if (!options.parser.parse(arguments))
        return usageError(options.parser.errorText());
    const QCommandLineParser &parser = options.parser;
    if (parser.isSet(options.help))
        return exitWith(PkCommandLine::Success, options.helpText());
    if (parser.isSet(options.helpAll))
        return exitWith(PkCommandLine::Success, Parser(true).helpText());
    if (parser.isSet(options.version))
        return exitWith(PkCommandLine::Success, PkArguments::programName() + QStringLiteral(" " PICKWELL_VERSION "\n"));

    const QStringList positional = parser.positionalArguments();
    const bool hasLike = parser.isSet(options.like);
    const bool hasList = parser.isSet(options.list) || hasLike, hasFolder = parser.isSet(options.folder);
    if (parser.values(options.list).size() > 1 || parser.values(options.folder).size() > 1
        || parser.values(options.to).size() > 1)
        return usageError(QStringLiteral("Give --list, --folder and --to once each."));
    if (parser.values(options.also).size() > 2)
        return usageError(QStringLiteral("Give --also at most twice."));
    if (parser.values(options.like).size() > 1)
        return usageError(QStringLiteral("Give --like once."));
    const QStringList reports = parser.values(options.report);
    if (reports.size() > 1)
        return usageError(QStringLiteral("Give --report once."));
    // Refused before anything is read: a folder only fails at the end.
    if (!reports.isEmpty() && QFileInfo(reports.constFirst()).isDir())
        return usageError(QStringLiteral("--report %1 is a folder: give a file name.").arg(reports.constFirst()));
    // A report written over the client's list would lose it for good.
    const QString reportFile = QFileInfo(reports.value(0)).canonicalFilePath();
    if (!reportFile.isEmpty() && reportFile == QFileInfo(parser.value(options.list)).canonicalFilePath())
        return usageError(QStringLiteral("--report %1 is the list itself.").arg(reports.constFirst()));
    if (hasLike && parser.isSet(options.list))
        return usageError(QStringLiteral("Give either --list or --like."));
    if (hasList != hasFolder)
        return usageError(hasList ? QStringLiteral("--%1 needs --folder.").arg(hasLike ? "like" : "list")
                                  : QStringLiteral("--folder needs --list or --like."));

    if (parser.isSet(options.withoutExtensions) && parser.isSet(options.withExtensions))
        return usageError(QStringLiteral("Give --with-extensions or --without-extensions, not both."));
    if (parser.isSet(options.print0) && !parser.isSet(options.dryRun))
        return usageError(QStringLiteral("--print0 needs --dry-run."));

    const QString copy = QStringLiteral("copy"), skip = QStringLiteral("skip");
    const QStringList answers = parser.values(options.ambiguous);
    if (answers.size() > 1 || (!answers.isEmpty() && answers.constFirst() != copy && answers.constFirst() != skip))
        return usageError(QStringLiteral("Give --ambiguous=copy or --ambiguous=skip, once."));

    static const QStringList searches{QStringLiteral("auto"), QStringLiteral("always"), QStringLiteral("never")};
    const QStringList search = parser.values(options.subfolders);
    if (search.size() > 1 || (!search.isEmpty() && !searches.contains(search.constFirst())))
        return usageError(QStringLiteral("Give --subfolders=auto, always or never, once."));

    const QString marking = markProblem(options);
    if (!marking.isEmpty())
        return usageError(marking);

    PkCommandLine::Invocation invocation;
    if (hasList) {
        if (!positional.isEmpty())
            return usageError(QStringLiteral("Unexpected argument '%1'.").arg(positional.constFirst()));
        invocation.mode = PkCommandLine::Mode::CommandLine;
        invocation.listPath = parser.value(options.list);
        invocation.likePath = parser.value(options.like);
        invocation.folderPath = parser.value(options.folder);
        invocation.destinationPath = parser.value(options.to);
        invocation.alsoPaths = parser.values(options.also);
        invocation.resume = parser.isSet(options.resume);
        invocation.dryRun = parser.isSet(options.dryRun);
        invocation.print0 = parser.isSet(options.print0);
        invocation.withoutExtensions = !parser.isSet(options.withExtensions);
        invocation.wholeNumbers = parser.isSet(options.wholeNumbers);
        invocation.nearMatches = !parser.isSet(options.noNearMatches);
        const QString answer = answers.value(0);
        invocation.ambiguous = answer == copy   ? PkCommandLine::Ambiguous::Copy
                               : answer == skip ? PkCommandLine::Ambiguous::Skip
                                                : PkCommandLine::Ambiguous::Ask;
        using Subfolders = PkMatchOptions::Subfolders;
        const QString searched = search.value(0);
        invocation.subfolders = searched == searches.at(1)   ? Subfolders::Always
                                : searched == searches.at(2) ? Subfolders::Never
                                                             : Subfolders::WhenNoneHere;
        invocation.flat = parser.isSet(options.flat);
        invocation.verify = !parser.isSet(options.noVerify);
        invocation.unmark = parser.isSet(options.unmark);
        invocation.markKeyword = parser.value(invocation.unmark ? options.unmark : options.mark);
        invocation.markLabel = parser.value(options.label);
        invocation.copy = !parser.isSet(options.noCopy);
        invocation.reportPath = reports.value(0);
        return invocation;
    }
    if (positional.size() > 1)
        return usageError(QStringLiteral("Unexpected argument '%1': give one list.").arg(positional.at(1)));
    for (const QCommandLineOption *option :
         {&options.to, &options.resume, &options.dryRun, &options.ambiguous, &options.withoutExtensions,
          &options.withExtensions, &options.wholeNumbers, &options.noNearMatches, &options.subfolders,
          &options.flat, &options.noVerify, &options.mark, &options.unmark, &options.label, &options.noCopy, &options.report}) {
        if (parser.isSet(*option))
            return usageError(QStringLiteral("--%1 needs --list and --folder.").arg(option->names().constFirst()));
    }
    invocation.mode = PkCommandLine::Mode::Window;
    if (!positional.isEmpty())
        invocation.listPath = QFileInfo(positional.constFirst()).absoluteFilePath();
    return invocation;
}
