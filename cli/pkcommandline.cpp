// SPDX-License-Identifier: MIT

#include "pkcommandline.h"

#include "pkfilereader.h"
#include "pklistreader.h"
#include "pkselectionmatcher.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSocketNotifier>
#include <QThread>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

const QString programName = QStringLiteral("pickwell");

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
    "when some identifiers select files of more than one picture), one line\n"
    "\"not found: ID\" for each identifier that names no file, one line\n"
    "\"ambiguous: ID: PICTURE, PICTURE, ...\" for each ambiguous identifier, and at\n"
    "the end \"copied X of M\";\n"
    "each file that cannot be copied is reported on stderr as\n"
    "\"failed: NAME: REASON\". Ctrl+C stops the run after the file being copied.";

const char exitStatusText[] =
    "\n"
    "Exit status:\n"
    "  0      every file copied (with --dry-run: the folder was matched)\n"
    "  1      some files could not be copied\n"
    "  2      wrong usage, or a list or folder that cannot be read\n"
    "  3      the folder was refused: it already holds FilesFromSelection,\n"
    "         or it cannot be written into\n"
    "  128+N  stopped by signal N (130 after Ctrl+C, 143 after SIGTERM)\n";

struct Parser
{
    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QCommandLineOption helpAll{QStringLiteral("help-all")};
    QCommandLineOption list{QStringLiteral("list"),
                            QStringLiteral("The selection list: a text file or a spreadsheet export (CSV); "
                                           "- reads it from standard input."),
                            QStringLiteral("file")};
    QCommandLineOption folder{QStringLiteral("folder"), QStringLiteral("The picture folder to copy from."),
                              QStringLiteral("folder")};
    QCommandLineOption dryRun{QStringLiteral("dry-run"),
                              QStringLiteral("Print the names of the files that would be copied, one a line, "
                                             "and create nothing.")};
    QCommandLineOption withoutExtensions{
        QStringLiteral("without-extensions"),
        QStringLiteral("Drop each identifier's extension (\".jpg\", \".CR2\") before matching, so that "
                       "IMG_0012.jpg also selects IMG_0012.CR2.")};
    QCommandLineOption wholeNumbers{
        QStringLiteral("whole-numbers"),
        QStringLiteral("Let an identifier of digits only select a file only where that number stands whole in "
                       "its name, leading zeros aside: 412 selects IMG_0412.jpg, not IMG_1412.jpg.")};

    explicit Parser(bool showQtOptions)
    {
        // Qt's own options are single-dash words; no option of ours is a
        // bundle of short letters.
        parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
        parser.setApplicationDescription(QString::fromLatin1(description));
        for (QCommandLineOption *option : {&list, &folder, &dryRun, &withoutExtensions, &wholeNumbers})
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
        text.replace(QLatin1String("<executable_name>"), programName);
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
    return exitWith(PkCommandLine::UsageError,
                    QStringLiteral("%1: %2 See %1 --help.\n").arg(programName, text));
}

void writeTo(FILE *stream, const QByteArray &bytes)
{
    std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stream);
}

void printError(const QString &text)
{
    std::fflush(stdout);
    writeTo(stderr, (programName + QLatin1String(": ") + text + QLatin1Char('\n')).toLocal8Bit());
}

// Reads the list, or gives the system's reason why it cannot be read. A
// missing list is an error here, unlike in the window, where no dialog can
// choose one: a script has most likely misspelt it. "-" is standard input.
QString readList(const QString &path, QList<QString> &ids)
{
    if (path == QLatin1String("-")) {
        QFile in;
        if (!in.open(stdin, QIODevice::ReadOnly))
            return in.errorString();
        const QByteArray bytes = in.readAll();
        if (in.error() != QFileDevice::NoError)
            return in.errorString();
        ids = PkListReader::readBytes(bytes);
        return {};
    }
    struct stat status;
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return qt_error_string(errno);
    PkSelectionList list = PkListReader::readFile(path);
    ids = std::move(list.ids);
    return list.error;
}

QString folderProblem(const QString &path)
{
    DIR *dir = ::opendir(QFile::encodeName(path).constData());
    if (!dir)
        return qt_error_string(errno);
    ::closedir(dir);
    return {};
}

// The signal handler only writes the signal's number into this pipe; the
// event loop reads it and asks the worker to stop between two files.
int signalPipe[2] = {-1, -1};

void onStopSignal(int signalNumber)
{
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(signalPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

PkCommandLine::Invocation PkCommandLine::parse(const QStringList &arguments)
{
    Parser options(false);
    if (!options.parser.parse(arguments))
        return usageError(options.parser.errorText());
    const QCommandLineParser &parser = options.parser;
    if (parser.isSet(options.help))
        return exitWith(Success, options.helpText());
    if (parser.isSet(options.helpAll))
        return exitWith(Success, Parser(true).helpText());
    if (parser.isSet(options.version))
        return exitWith(Success, QStringLiteral("%1 %2\n").arg(programName, QStringLiteral(PICKWELL_VERSION)));

    const QStringList positional = parser.positionalArguments();
    const bool hasList = parser.isSet(options.list), hasFolder = parser.isSet(options.folder);
    if (parser.values(options.list).size() > 1 || parser.values(options.folder).size() > 1)
        return usageError(QStringLiteral("Give --list and --folder once each."));
    if (hasList != hasFolder)
        return usageError(hasList ? QStringLiteral("--list needs --folder.") : QStringLiteral("--folder needs --list."));

    Invocation invocation;
    if (hasList) {
        if (!positional.isEmpty())
            return usageError(QStringLiteral("Unexpected argument '%1'.").arg(positional.constFirst()));
        invocation.mode = Mode::CommandLine;
        invocation.listPath = parser.value(options.list);
        invocation.folderPath = parser.value(options.folder);
        invocation.dryRun = parser.isSet(options.dryRun);
        invocation.withoutExtensions = parser.isSet(options.withoutExtensions);
        invocation.wholeNumbers = parser.isSet(options.wholeNumbers);
        return invocation;
    }
    if (positional.size() > 1)
        return usageError(QStringLiteral("Unexpected argument '%1': give one list.").arg(positional.at(1)));
    for (const QCommandLineOption *option : {&options.dryRun, &options.withoutExtensions, &options.wholeNumbers}) {
        if (parser.isSet(*option))
            return usageError(QStringLiteral("--%1 needs --list and --folder.").arg(option->names().constFirst()));
    }
    invocation.mode = Mode::Window;
    if (!positional.isEmpty())
        invocation.listPath = QFileInfo(positional.constFirst()).absoluteFilePath();
    return invocation;
}

PkCommandLine::Invocation PkCommandLine::parse(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments.append(QString::fromLocal8Bit(argv[i]));
    return parse(arguments);
}

int PkCommandLine::exitEarly(const Invocation &invocation)
{
    writeTo(invocation.exitStatus == Success ? stdout : stderr, invocation.message.toLocal8Bit());
    return invocation.exitStatus;
}

PkCommandLine::PkCommandLine(QObject *parent)
    : QObject(parent)
    , fileReader(new PkFileReader)
{
}

PkCommandLine::~PkCommandLine()
{
    stopWorker();
}

int PkCommandLine::exec(const Invocation &invocation)
{
    // Debug output from the shared code would mix with the results.
    QLoggingCategory::setFilterRules(QStringLiteral("*.debug=false"));
    const int status = prepare(invocation);
    if (status != Success || invocation.dryRun)
        return status;
    return copy();
}

// Everything up to the copying: reads the list, checks and matches the
// folder, and prints what was found.
int PkCommandLine::prepare(const Invocation &invocation)
{
    QList<QString> ids;
    const QString listError = readList(invocation.listPath, ids);
    if (!listError.isEmpty()) {
        printError(QStringLiteral("Cannot read the list: %1").arg(listError));
        return UsageError;
    }
    folderPath = QDir::cleanPath(invocation.folderPath);
    const QString folderError = folderProblem(folderPath);
    if (!folderError.isEmpty()) {
        printError(QStringLiteral("Cannot read the folder: %1").arg(folderError));
        return UsageError;
    }
    const QString refusal = PkFileReader::folderRefusal(folderPath);
    if (!refusal.isEmpty()) {
        printError(refusal);
        return FolderRefused;
    }

    PkMatchOptions options;
    options.withoutExtensions = invocation.withoutExtensions;
    options.wholeNumbers = invocation.wholeNumbers;
    PkMatchResult match = PkSelectionMatcher::matchFolder(folderPath, ids, options);
    files = std::move(match.files);
    QString counts = QStringLiteral("%1 identifiers, %2 files to copy, %3 not found")
                         .arg(ids.size())
                         .arg(files.size())
                         .arg(match.idsNotFound.size());
    if (!match.ambiguous.isEmpty())
        counts += QStringLiteral(", %1 ambiguous").arg(match.ambiguous.size());
    QByteArray out = counts.toUtf8() + '\n';
    for (const QString &id : std::as_const(match.idsNotFound))
        out += "not found: " + id.toUtf8() + '\n';
    for (const PkAmbiguousId &entry : std::as_const(match.ambiguous))
        out += "ambiguous: " + entry.id.toUtf8() + ": " + QStringList(entry.pictures).join(QStringLiteral(", ")).toUtf8() + '\n';
    if (invocation.dryRun) {
        for (const QString &name : std::as_const(files))
            out += QFile::encodeName(name) + '\n';
    }
    writeTo(stdout, out);
    return Success;
}

int PkCommandLine::copy()
{
    if (files.isEmpty()) {
        // Nothing to copy creates nothing, so the folder is not refused next time.
        writeTo(stdout, "copied 0 of 0\n");
        return Success;
    }
    std::fflush(stdout);
    progressEnabled = ::isatty(STDERR_FILENO) == 1;
    watchSignals();
    startWorker();
    PkFileReader *reader = fileReader;
    QMetaObject::invokeMethod(
        reader, [reader, names = files, folder = folderPath] { reader->on_startCopySignal(names, folder); },
        Qt::QueuedConnection);
    const int status = QCoreApplication::exec();
    stopWorker();
    return status;
}

void PkCommandLine::startWorker()
{
    // Each count wakes this thread; only the progress line needs them.
    if (progressEnabled)
        connect(fileReader, &PkFileReader::copyStatusSignal, this, &PkCommandLine::onCopied);
    connect(fileReader, &PkFileReader::copyFailedSignal, this, &PkCommandLine::onFailed);
    connect(fileReader, &PkFileReader::copyFinishedSignal, this, &PkCommandLine::onFinished);
    workerThread = new QThread;
    fileReader->moveToThread(workerThread);
    workerThread->start();
}

void PkCommandLine::stopWorker()
{
    if (workerThread) {
        workerThread->quit();
        workerThread->wait();
        delete workerThread;
        workerThread = nullptr;
    }
    delete fileReader;
    fileReader = nullptr;
}

// The first SIGINT or SIGTERM stops the run between two files; the handler
// then reverts to the default, so a second one ends the program at once
// (the copy being written is never published, so no partial file is left).
void PkCommandLine::watchSignals()
{
    if (signalPipe[0] < 0 && ::pipe2(signalPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
    connect(signalNotifier.get(), &QSocketNotifier::activated, this, &PkCommandLine::onSignal);
    struct sigaction action = {};
    action.sa_handler = onStopSignal;
    action.sa_flags = SA_RESTART | SA_RESETHAND;
    sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
}

void PkCommandLine::onSignal()
{
    unsigned char byte = 0;
    while (::read(signalPipe[0], &byte, 1) == 1) {
        if (stopSignal == 0) {
            stopSignal = byte;
            fileReader->requestStop(1);
        }
    }
}

void PkCommandLine::onCopied(int copied)
{
    copiedCount = copied;
    showProgress(false);
}

void PkCommandLine::onFailed(const QString &name, const QString &reason)
{
    ++failedCount;
    clearProgress();
    writeTo(stderr, "failed: " + QFile::encodeName(name) + ": " + reason.toLocal8Bit() + '\n');
    showProgress(false);
}

void PkCommandLine::onFinished(int copied, int failed)
{
    copiedCount = copied;
    failedCount = failed;
    if (progressShown) {
        showProgress(true);
        writeTo(stderr, "\n");
    }
    QByteArray summary = QStringLiteral("copied %1 of %2").arg(copied).arg(files.size()).toUtf8();
    if (failed > 0)
        summary += ", " + QByteArray::number(failed) + " failed";
    writeTo(stdout, summary + '\n');
    std::fflush(stdout);
    int status = failed > 0 ? CopyFailed : Success;
    if (stopSignal != 0)
        status = 128 + stopSignal;
    QCoreApplication::exit(status);
}

// One line on a terminal, rewritten in place, at most ten times a second.
void PkCommandLine::showProgress(bool force)
{
    if (!progressEnabled)
        return;
    if (!force && progressTimer.isValid() && progressTimer.elapsed() < 100)
        return;
    progressTimer.start();
    const QByteArray line = QStringLiteral("copying %1 of %2").arg(copiedCount + failedCount).arg(files.size()).toUtf8();
    writeTo(stderr, '\r' + line);
    progressWidth = std::max(progressWidth, int(line.size()));
    progressShown = true;
}

void PkCommandLine::clearProgress()
{
    if (!progressShown)
        return;
    writeTo(stderr, '\r' + QByteArray(progressWidth, ' ') + '\r');
    progressShown = false;
    progressTimer.invalidate();
}
