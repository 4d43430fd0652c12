// SPDX-License-Identifier: MIT

#ifndef PKLIKECHOICE_H
#define PKLIKECHOICE_H

#include <QColor>
#include <QObject>
#include <QStringList>

#include "pkreviewselection.h"

class PkButton;
class PkMatchJobs;
class QShortcut;
struct PkLikeResult;
class QWidget;

// Example pictures chosen as the list: offers them in the list button's
// menu, shows how far their matching has come on the To copy tile, and
// lets Esc stop it.
class PkLikeChoice : public QObject
{
    Q_OBJECT

public:
    PkLikeChoice(QWidget *listButton, PkButton *toCopy, PkMatchJobs *jobs, const QColor &color);

    // What the Text file tile says of them: "12 example pictures".
    static QString tileText(qsizetype count);
    // How the found ones were found ("14 by capture time, 4 by content")
    // and how many are ambiguous, put before the rest of the To copy tile's
    // tooltip.
    static QString toolTip(const PkLikeResult &like, const QString &rest);
    // What the review shows of a match; with examples, each group says how
    // its example found its picture, and an ambiguous one's group offers
    // the pictures it may show, unticked.
    static PkReviewSelection reviewSelection(const QString &folder, const QList<QString> &ids,
                                             const PkMatchResult &match, const PkLikeResult &like);
    // The paths that name pictures, when every one of them does.
    static QStringList pictures(const QStringList &paths);

signals:
    void chosen(const QStringList &examples);

private:
    void choose();
    void chooseFolder();
    void showProgress(int done, int total);

    QWidget *listButton;
    PkButton *toCopy;
    PkMatchJobs *jobs;
    QColor color;
    QShortcut *stop = nullptr;
};

#endif // PKLIKECHOICE_H
