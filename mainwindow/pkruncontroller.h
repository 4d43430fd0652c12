// SPDX-License-Identifier: MIT

#ifndef PKRUNCONTROLLER_H
#define PKRUNCONTROLLER_H

#include <QList>
#include <QObject>
#include <QString>

#include <functional>

#include "pkcopyprogress.h"
#include "pkrunstate.h"

QT_BEGIN_NAMESPACE
class QAction;
class QShortcut;
class QThread;
QT_END_NAMESPACE

class PkButton;
class PkDashboard;
class PkFileReader;
class PwTools;

// Runs the copy worker on its thread for the window, and shows each run: the
// status panel with its ring, summary and failure report, and the run button
// at the bottom right, which starts a run, stops it, and afterwards shows the
// copies. The rules of a run are PkRunState's.
class PkRunController : public QObject
{
    Q_OBJECT

public:
    PkRunController(PkDashboard *dashboard, PkButton *runButton, const PwTools &tools, QObject *parent = nullptr);
    // A run that is under way stops after the file it is copying, so closing
    // the window never leaves a thread behind it or a partial file on disk.
    ~PkRunController() override;

    // What a run started now would copy: files of folder, matched by a list
    // of idCount identifiers shown under listName, into the output folder
    // inside destination; with resume, into the one that is there already.
    // ready: whether the destination can take them, so that Start is offered.
    void setSelection(const QString &listName, const QString &folder, const QList<QString> &files, int idCount,
                      const QString &destination, bool resume, bool ready = true);

    // Folders that runs started from now on copy into as well.
    void setBackups(const QList<QString> &folders) { backups = folders; }
    // The run button was pressed.
    void press();
    // While held, Start and Copy the rest are not offered (a check is under way).
    void setHeld(bool held);
    // When set, Start and Copy the rest go through gate, which calls startRun
    // once the destination has been checked again.
    void setStartGate(std::function<void(bool rest)> gate) { startGate = std::move(gate); }
    void startRun(bool rest);
    // A new choice is being matched: the last run's figures are not its
    // own, so the panel shows none until the match comes back. A run under
    // way keeps its panel.
    void clearFigures();

signals:
    void startCopySignal(QList<QString> files, QString folder, QString destination, bool resume);

private:
    void requestRun(bool rest);
    void stopRun();
    void showCopies() const;
    void onCopied(int count);
    void onAlreadyThere(int count);
    void onProgress(int filesDone, qint64 bytesDone, qint64 bytesTotal);
    QString progressToolTip() const;
    void onFailed(const QString &name, const QString &reason);
    void onFinished(int copied, int failed, int alreadyThere);
    void resetPanel();
    void showRun();

    PkDashboard *dashboard;
    PkButton *runButton;
    const PwTools &tools;
    PkFileReader *fileReader = nullptr;
    QThread *workerThread = nullptr;
    QShortcut *startShortcut = nullptr;
    QShortcut *stopShortcut = nullptr;
    QAction *copyFailuresAction = nullptr;
    QAction *showCopiesAction = nullptr;
    PkRunState runState;
    PkCopyProgress progress;
    QString largeFile; // the large file in hand and how far it has come
    int lastFilesDone = 0;
    QString listName;
    QString folder;
    QString destination;
    bool resume = false;
    QList<QString> backups;
    QList<QString> files;
    int idCount = 0;
    bool held = false;
    std::function<void(bool)> startGate;
};

#endif // PKRUNCONTROLLER_H
