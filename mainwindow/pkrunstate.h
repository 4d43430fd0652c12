// SPDX-License-Identifier: MIT

#ifndef PKRUNSTATE_H
#define PKRUNSTATE_H

#include <QList>
#include <QPair>
#include <QString>
#include <QStringList>

// The copy run that the status panel shows, and what the button at the bottom
// right offers because of it. It knows no widgets, so the rules of a run (when
// the panel resets, what its summary says, what the button does) live here.
class PkRunState
{
public:
    enum class Action { None, Start, Stop, ShowCopies, CopyRest };

    // A new list or folder was matched; ready when it can be copied. While no
    // run is under way this ends the shown run and returns true: the panel
    // then starts afresh. During a run the panel keeps showing that run.
    bool selectionChanged(bool ready);

    // Begins a run over total files into the output folder inside folder,
    // with verify when each copy is read back; returns its number (1, 2, ...).
    int start(int total, const QString &folder, bool verify = false);
    void fileCopied(int count);
    void fileAlreadyThere(int count);
    void fileFailed(const QString &name, const QString &reason);
    // Something the run says of one file that is no failure: a copy that
    // the checksum list leaves out, a leftover removed.
    void fileNoted(const QString &name, const QString &note);
    // The run ends early for a reason that no file left could escape.
    void stopped(const QString &why) { stopCause = why; }
    // A file that failed in a backup folder, one the run copies into as well.
    void backupFailed(const QString &folder, const QString &name, const QString &reason);
    // What became of the run in a backup folder: stopped says why it ended
    // there early, and is empty where it did not.
    void backupFinished(const QString &folder, int copied, int failed, int alreadyThere, const QString &stopped);
    // outputExists: whether the run left an output folder to show.
    void finish(int copied, int alreadyThere, bool outputExists);

    bool isRunning() const { return phase == Phase::Running; }
    // Whether the last selection can be copied.
    bool isReady() const { return selectionReady; }
    int runNumber() const { return runs; }
    QString folder() const { return runFolder; }
    // The run's files in the output folder, copied now or there before.
    int filesThere() const { return copied + alreadyThere; }
    Action action() const;
    // Once a run has ended, while its copies are there to be shown.
    bool canShowCopies() const { return phase == Phase::Ended && hasOutput; }

    // The panel's summary line; isAlarming when it reports failed files or a
    // run that something other than Stop ended early. The
    // failures' tooltip is rich text; there and in the report, control
    // characters in names are written as escapes ("\012").
    QString summary() const;
    bool isAlarming() const { return !failures.isEmpty() || !stopCause.isEmpty() || !backupsShort.isEmpty(); }
    QString failureToolTip() const;
    QString failureReport() const;

private:
    QList<QPair<QString, QString>> reported() const;

    enum class Phase { Idle, Running, Ended };

    Phase phase = Phase::Idle;
    bool selectionReady = false;
    bool changedDuringRun = false;
    bool hasOutput = false;
    bool verified = false;
    int runs = 0;
    int total = 0;
    int copied = 0;
    int alreadyThere = 0;
    QString runFolder;
    QString stopCause;
    QList<QPair<QString, QString>> failures;
    QList<QPair<QString, QString>> notes;
    int backupFailures = 0;
    int backupsDone = 0;
    QStringList backupsShort; // what each backup that is not complete says of itself
};

#endif // PKRUNSTATE_H
