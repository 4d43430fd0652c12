// SPDX-License-Identifier: MIT

#include "pkarguments.h"

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

const char description[] =
    "Copies the pictures named in a selection list into a new folder\n"
    "FilesFromSelection inside the picture folder.\n"
    "\n"
    "Without --list and --folder the window starts, with the given list already\n"
    "chosen. With both, the job runs without a window and without a display: it\n"
    "prints \"N identifiers, M files to copy, K not found\" (and \", A ambiguous\"\n"
    "when some identifiers select files of more than one picture, \", E near\" when\n"
    "some were found by a near match), one line \"not found: ID\" for each\n"
    "identifier that names no file, \"near: ID: PICTURE\" for each near match,\n"
    "\"ambiguous: ID: PICTURE, PICTURE, ...\" (at most 20 pictures) for each\n"
    "ambiguous identifier, \"text: LINE\" for each line left out as text (words\n"
    "without a digit, such as a greeting), and at the end \"copied X of M\";\n"
    "each file that cannot be copied is reported on stderr as\n"
    "\"failed: NAME: REASON\". Ctrl+C stops the run after the file being copied;\n"
    "a second Ctrl+C, SIGTERM, SIGHUP and SIGQUIT end it at once, leaving no\n"
    "part of a copy.\n"
    "\n"
    "The files of an identifier that selects files of more than one picture as\n"
    "written (207 for 2071 selects IMG_2070 to IMG_2079 and IMG_2207) are copied\n"
    "only with --ambiguous=copy; without it they are left out, and stderr ends\n"
    "with \"skipped: 1 ambiguous identifier: 207\" and how to add them. Files that\n"
    "an unambiguous identifier selects are copied all the same, and pictures apart\n"
    "only by an edit or copy marker (IMG_2403, IMG_2403-Edit) are one picture.\n"
    "\n"
    "An identifier with an extension selects every file of its picture:\n"
    "IMG_2403.JPG selects IMG_2403.JPG, IMG_2403.CR2 and IMG_2403.CR2.xmp, not\n"
    "IMG_24031.JPG. Other identifiers select every file whose name holds them.\n"
    "An identifier that selects nothing is tried again: ignoring case\n"
    "(img_2403.jpg), without an edit or copy marker (IMG_2403-Edit.jpg,\n"
    "IMG_2403 copy.jpg, IMG_2403 (1).jpg), then by its number alone (IMG 2403,\n"
    "#2403); it selects the picture found only when there is exactly one.\n"
    "A range (2403-2406, IMG_2100 - IMG_2104, 2410 to 2412) that selects nothing\n"
    "as written stands for each number in it, matched whole; \"range: RANGE:\n"
    "NUMBER, ... not in the folder\" names its gaps. A sentence that selects\n"
    "nothing as written stands for its numbers and names, never its dates, times\n"
    "or prices: \"prose: LINE: PICK, ...\". Blank lines are not counted.\n"
    "\n"
    "Sub-folders (cards, camera folders, date folders) are searched as one folder\n"
    "with the folder itself, to any depth, with --subfolders=auto (the default)\n"
    "only when the folder's own files answer no identifier at all (sidecars\n"
    "alone, such as IMG_0001.xmp, answer nothing), with\n"
    "--subfolders=always from the start, with --subfolders=never not at all.\n"
    "Files are then named by their paths in the folder (CardA/IMG_0001.JPG), and\n"
    "the same picture name in two folders is two pictures (\"ambiguous: IMG_0001:\n"
    "CardA/IMG_0001, CardB/IMG_0001\"). Left out at any depth: FilesFromSelection,\n"
    "hidden names (._IMG_0001.JPG, .thumbnails), links to folders, @eaDir,\n"
    "#recycle, #snapshot, $RECYCLE.BIN, System Volume Information, lost+found,\n"
    "CaptureOne and *.lrdata. \"hint: N identifiers not found here are in\n"
    "sub-folders\" says where the folder itself was matched and sub-folders hold\n"
    "the rest; \"not UTF-8: NAME\" names files that can never be matched. Copies\n"
    "keep their sub-folder (FilesFromSelection/CardA/IMG_0001.JPG); with --flat\n"
    "they all go to its top, and a name that two files would share copies neither\n"
    "(\"clash: IMG_0001.JPG: CardA, CardB\"). For example:\n"
    "  pickwell --list picks.txt --folder /media/card/DCIM\n"
    "  pickwell --list picks.txt --folder ~/Jobs/Wedding --subfolders=always --flat\n"
    "  pickwell --list picks.txt --folder ~/Jobs/Wedding --subfolders=never\n"
    "\n"
    "With --dry-run, standard output holds only the paths of the files that\n"
    "would be copied (FOLDER/NAME), one a line, for a pipe; the summary and the\n"
    "lines above go to standard error. With --print0 each path ends with a NUL,\n"
    "for xargs -0.\n"
    "\n"
    "With --report, the match is also written to a spreadsheet file (CSV, UTF-8),\n"
    "on a dry run too and whether or not anything is copied: one row per\n"
    "identifier with how it was found (as written, near, example, not found,\n"
    "ambiguous or text; range, prose and sub-folder where it applies), the range\n"
    "or sentence it was read from, its pictures and its files. A cell that starts\n"
    "with = + - or @ starts with an apostrophe, so that no spreadsheet runs it:\n"
    "  pickwell --list picks.txt --folder DCIM --dry-run --report picks.csv\n"
    "\n"
    "With --to, FilesFromSelection goes into another folder, for pictures on a\n"
    "write-protected card or a read-only share. With --resume, a run that ended\n"
    "early is finished: FilesFromSelection may be there already, files of the same\n"
    "name and size in it are left alone and counted as already there (\"copied 12\n"
    "of 40, 28 already there\"); one of another size is left alone too, but fails\n"
    "(\"already there, but 1.2 MB, not 3.4 MB\"). For example:\n"
    "  pickwell --list picks.txt --folder /media/card/DCIM --to ~/Pictures/job\n"
    "  pickwell --list picks.txt --folder /srv/photos/wedding --resume\n"
    "  pickwell --list picks.txt --folder DCIM --dry-run --print0 | xargs -0 ls -l\n"
    "\n"
    "With --also, a second FilesFromSelection goes into another folder in the\n"
    "same pass, a backup drive; a drive that fails ends only its own copies, and\n"
    "its line says so (\"also /media/backup: stopped: the drive is full: ...\"):\n"
    "  pickwell --list picks.txt --folder DCIM --to ~/Pictures/job --also /mnt/b\n"
    "\n"
    "Each copy is written out to its drive, read back and compared with its\n"
    "picture before it gets its name (\"copied 40 of 40, verified\"); one that\n"
    "reads back different is made once more, and a second time ends the run.\n"
    "This machine's cache is dropped first; a cache below it (a FUSE driver, a\n"
    "share's server, the drive itself) may still answer. The copies' hashes go\n"
    "into FilesFromSelection/.pickwell-checksums.xxh128, which anyone can check:\n"
    "  cd FilesFromSelection && xxhsum --strict -c .pickwell-checksums.xxh128\n"
    "--no-verify copies as fast as cp and lists only the copies whose bytes passed\n"
    "through Pickwell. One run at a time copies into a FilesFromSelection: another\n"
    "is refused (\"FilesFromSelection is in use by another Pickwell\", exit 3).\n"
    "Copies go into FilesFromSelection as it was opened: moved away or replaced\n"
    "during the run, it receives nothing more, and the run ends (\"the\n"
    "destination is gone\"). A hidden copy in progress that a failing drive keeps\n"
    "is named (\"note: NAME: left behind by a drive that failed; ...\"); the next\n"
    "run into the folder removes it.\n"
    "\n"
    "With --like instead of --list, example pictures (a client's downloads,\n"
    "renamed, resized, perhaps stripped of their metadata) are the list: each\n"
    "finds the picture taken in the same second by the same camera, or else the\n"
    "one that looks clearly nearest, and selects all its files. stderr then says\n"
    "\"like: EXAMPLE: PICTURE (capture time)\" or \"(content)\" for each example\n"
    "found, and \"not a picture: NAME: REASON\" for files that are none. For example:\n"
    "  pickwell --like ~/Downloads/favourites --folder /srv/photos/wedding --dry-run";

const char exitStatusText[] =
    "\n"
    "Exit status:\n"
    "  0      every file copied (with --dry-run: the folder was matched)\n"
    "  1      some files could not be copied, or a full drive or a folder that is\n"
    "         gone ended the run (\"stopped: the drive is full: copied 36 of 89\"),\n"
    "         in FilesFromSelection or in a --also folder; or the --report file\n"
    "         could not be written (nothing is copied then)\n"
    "  2      wrong usage (--like inside the picture folder too), a list or folder\n"
    "         that cannot be read or holds no identifier, or a --to or --also\n"
    "         folder that is missing, a file, the picture folder or inside\n"
    "         FilesFromSelection (a --also folder: or another destination)\n"
    "  3      the folder (or a --to or --also folder) was refused: it already holds\n"
    "         FilesFromSelection (without --resume), another run copies into it,\n"
    "         it cannot be written into, or the files do not fit on its drive\n"
    "  4      the run was complete, but the files of ambiguous identifiers were left\n"
    "         out, asked about or by --ambiguous=skip (with --dry-run: they would be)\n"
    "  128+N  stopped by signal N (130 after Ctrl+C, 143 after SIGTERM)\n";

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
        parser.setApplicationDescription(QString::fromLatin1(description));
        for (QCommandLineOption *option : {&list, &like, &folder, &to, &also, &resume, &dryRun, &print0, &ambiguous,
                                           &withoutExtensions, &withExtensions, &wholeNumbers, &noNearMatches,
                                           &subfolders, &flat, &noVerify, &report})
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
        return text + QLatin1String(exitStatusText);
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
        invocation.reportPath = reports.value(0);
        return invocation;
    }
    if (positional.size() > 1)
        return usageError(QStringLiteral("Unexpected argument '%1': give one list.").arg(positional.at(1)));
    for (const QCommandLineOption *option :
         {&options.to, &options.resume, &options.dryRun, &options.ambiguous, &options.withoutExtensions,
          &options.withExtensions, &options.wholeNumbers, &options.noNearMatches, &options.subfolders,
          &options.flat, &options.noVerify, &options.report}) {
        if (parser.isSet(*option))
            return usageError(QStringLiteral("--%1 needs --list and --folder.").arg(option->names().constFirst()));
    }
    invocation.mode = PkCommandLine::Mode::Window;
    if (!positional.isEmpty())
        invocation.listPath = QFileInfo(positional.constFirst()).absoluteFilePath();
    return invocation;
}
