// SPDX-License-Identifier: MIT

#ifndef PKCOMMANDLINE_H
#define PKCOMMANDLINE_H

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>

#include <memory>

#include "pkcopyprogress.h"
#include "pkprogressline.h"
#include "pkselectionmatcher.h"

QT_BEGIN_NAMESPACE
class QSocketNotifier;
class QThread;
QT_END_NAMESPACE

class PkFileReader;
struct PkMatchResult;

// The program without its window: reads the arguments, and runs a selection
// list against a picture folder from a script or a terminal, with the same
// reading, matching and copying as the window. Results go to stdout, one item
// a line; messages and failures go to stderr.
class PkCommandLine : public QObject
{
    Q_OBJECT

public:
    // Each exit status means one thing; a stop by a signal exits with
    // 128 + the signal's number.
    enum ExitStatus {
        Success = 0,
        CopyFailed = 1,
        UsageError = 2,
        FolderRefused = 3,
        SkippedAmbiguous = 4, // the run was complete but for ambiguous identifiers left for an answer
        MarkIncomplete = 5,   // the run was complete but for sidecars that were left as they are
    };

    // What becomes of the files that only ambiguous identifiers select.
    enum class Ambiguous {
        Ask,  // not copied, and named on stderr with the way to add them
        Copy, // copied with the rest
        Skip, // not copied, as the user chose
    };

    enum class Mode {
        Window,       // start the window, with listPath chosen when it is set
        CommandLine,  // run the job on listPath and folderPath
        Exit,         // print message and exit with exitStatus (help, version, wrong usage)
    };

    struct Invocation
    {
        Mode mode = Mode::Window;
        QString listPath;
        QString likePath; // --like: a folder of example pictures instead of a list
        QString folderPath;
        QString destinationPath; // --to: where FilesFromSelection goes instead of folderPath
        QList<QString> alsoPaths; // --also: where FilesFromSelection goes as well, as a backup
        bool resume = false;
        bool dryRun = false;
        bool withoutExtensions = true; // an identifier with an extension selects its whole picture
        bool wholeNumbers = false;
        bool nearMatches = true;
        bool print0 = false;           // a dry run ends each path with a NUL
        Ambiguous ambiguous = Ambiguous::Ask;
        PkMatchOptions::Subfolders subfolders = PkMatchOptions::Subfolders::WhenNoneHere;
        bool flat = false; // every copy at the top of FilesFromSelection
        bool verify = true; // each copy read back before it is named
        QString markKeyword; // --mark or --unmark: the keyword put into, or taken out of, the picks' sidecars
        bool unmark = false;
        QString markLabel;   // --label: a colour label set with the keyword
        bool copy = true;    // false with --no-copy: only mark
        QString reportPath; // --report: the match as a spreadsheet, one row per identifier
        QString message;
        int exitStatus = Success;
    };

    // Decides what the arguments ask for without creating any application
    // object, so that help and wrong usage work without a display. Qt's own
    // arguments (-platform, -style, ...) are accepted and left for Qt.
    static Invocation parse(const QStringList &arguments);
    static Invocation parse(int argc, char *argv[]);

    // "pickwell: TEXT" on stderr, after what stdout holds so far.
    static void printError(const QString &text);

    // Mode::Exit: prints the message (stdout for status 0, stderr otherwise)
    // and returns the status.
    static int exitEarly(const Invocation &invocation);

    explicit PkCommandLine(QObject *parent = nullptr);
    ~PkCommandLine() override;

    // Runs a Mode::CommandLine invocation to its end and returns the exit
    // status. Needs a QCoreApplication and its event loop.
    int exec(const Invocation &invocation);

private:
    int prepare(const Invocation &invocation);
    int prepareLike(const Invocation &invocation);
    int writeReport(const Invocation &invocation, const PkMatchResult &match, const QList<PkNearMatch> *examples);
    void holdAmbiguous(const QList<QString> &ids, Ambiguous answer, PkMatchResult &match);
    int reportSkipped(int status);
    void printPaths(const Invocation &invocation);
    int checkDestination(const Invocation &invocation);
    int checkAlso(const Invocation &invocation);
    int checkSpace();
    int mark(const Invocation &invocation);
    QByteArray summaryLine(int copied, int failed, int alreadyThere, const QString &stopped) const;
    int copy();
    void startWorker();
    void stopWorker();
    void watchSignals();
    void onSignal();
    void onProgress(int filesDone, qint64 bytesDone, qint64 bytesTotal);
    void onFailed(const QString &name, const QString &reason);
    void onNote(const QString &name, const QString &note);
    void onStopped(const QString &why);
    void onAlsoFinished(const QString &folder, int copied, int failed, int alreadyThere, const QString &stopped);
    void onFinished(int copied, int failed, int alreadyThere);

    QString folderPath;
    QString destinationPath;
    QList<QString> alsoPaths;
    bool resume = false;
    bool flat = false;
    bool verify = true;
    QList<QString> files;
    PkFileReader *fileReader = nullptr;
    QThread *workerThread = nullptr;
    std::unique_ptr<QSocketNotifier> signalNotifier;
    int stopSignal = 0;
    QString stopCause; // why the run ended before its last file, if it did
    QByteArray alsoSummary; // a line for each backup folder
    bool alsoIncomplete = false;
    QList<QString> skippedIds; // ambiguous identifiers whose files were not copied
    bool askedAbout = false;   // no --ambiguous was given: they wait for an answer
    bool markIncomplete = false; // some sidecars were left as they are
    PkProgressLine progress;
    PkCopyProgress copyProgress;
};

#endif // PKCOMMANDLINE_H
