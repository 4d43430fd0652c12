// SPDX-License-Identifier: MIT

#ifndef PKMATCHJOBS_H
#define PKMATCHJOBS_H

#include <QHash>
#include <QList>
#include <QObject>
#include <QString>
#include <QThreadPool>

#include <atomic>
#include <memory>

#include "pkcopytarget.h"
#include "pklikejob.h"
#include "pkselectionmatcher.h"

// The window's work that touches the disk: reading a list, checking and
// matching a picture folder, checking where the copies go and whether they
// fit. On a network share each of these costs round trips, so all of them
// run on threads of their own and come back as values. A newer job
// supersedes the ones in hand: their results are dropped when they arrive.
class PkMatchJobs : public QObject
{
    Q_OBJECT

public:
    // A list to read, a picture folder to take, a folder to match; each part
    // is done when asked for, in that order, and an answer fills the rest.
    struct Preparation
    {
        bool readList = false;
        QString listPath;
        QString listText; // read instead of listPath when not null
        QList<QString> ids;
        QString listError;
        // Example pictures instead of a list: ids become their names, and
        // the folder is matched by capture time and content.
        QStringList examples;
        PkLikeResult like;
        std::shared_ptr<std::atomic_bool> cancel;
        PkMatchJobs *reporter = nullptr; // told of the progress

        PkCopyTarget target;
        QString newDestination; // chosen for target before it is checked
        bool newIsBackup = false; // newDestination is where the copies go as well
        bool checkTarget = false;
        QString refusal; // why target cannot take the copies
        bool canAddToExisting = false;

        bool matchFolder = false; // target's pictures against ids
        PkMatchOptions options;
        PkMatchResult match;
        QHash<QString, qint64> sizes; // of the matched files, read once a match
    };

    // Whether files of target's picture folder can be copied where target
    // says: its refusal, else a shortfall of space.
    struct Check
    {
        PkCopyTarget target;
        QList<QString> files;
        QHash<QString, qint64> sizes;
        bool rest = false; // to finish a run: the output folder is added to
        bool start = false; // the run starts when the check passes
        QString warning;
        bool canAddToExisting = false;
    };

    explicit PkMatchJobs(QObject *parent = nullptr);
    // Waits for the jobs in hand: they read what the caller may remove next.
    ~PkMatchJobs() override;

    // Supersedes every job in hand, checks too.
    void prepare(const Preparation &job);
    // Supersedes the checks in hand; a preparation in hand still comes,
    // since its files will be checked anew.
    void check(const Check &job);
    bool isBusy() const { return preparing || checking; }
    // Ends the preparation in hand, which then never comes.
    void cancel();

    // The work itself, as the jobs run it.
    static void run(Preparation &job);
    static void run(Check &job);

signals:
    void prepared(const PkMatchJobs::Preparation &job);
    void checked(const PkMatchJobs::Check &job);
    // How far the matching of examples has come.
    void progress(int done, int total);

private:
    static PkLikeJob::Options likeOptions(const Preparation &job);
    template<typename Job, typename Done>
    void start(Job job, int generation, const int &latest, Done done);

    QThreadPool pool;
    std::shared_ptr<std::atomic_bool> cancelling = std::make_shared<std::atomic_bool>(false);
    int preparations = 0;
    int checks = 0;
    bool preparing = false;
    bool checking = false;
};

#endif // PKMATCHJOBS_H
