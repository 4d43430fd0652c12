// SPDX-License-Identifier: MIT

#include "pklikechoice.h"

#include "pkbutton.h"
#include "pklikejob.h"
#include "pklikereader.h"
#include "pkmatchjobs.h"
#include "pwdarklook.h"

#include <QAction>
#include <QFileDialog>
#include <QFileInfo>
#include <QSettings>
#include <QShortcut>

namespace {
const QString examplesFolderKey = QStringLiteral("examplesFolder");
} // namespace

PkLikeChoice::PkLikeChoice(QWidget *listButton, PkButton *toCopy, PkMatchJobs *jobs, const QColor &color)
    : QObject(listButton)
    , listButton(listButton)
    , toCopy(toCopy)
    , jobs(jobs)
    , color(color)
{
    auto *action = new QAction(QStringLiteral("Select example pictures\u2026"), listButton);
    connect(action, &QAction::triggered, this, &PkLikeChoice::choose);
    listButton->addAction(action);
    auto *folderAction = new QAction(QStringLiteral("Select a folder of example pictures\u2026"), listButton);
    connect(folderAction, &QAction::triggered, this, &PkLikeChoice::chooseFolder);
    listButton->addAction(folderAction);
    listButton->setContextMenuPolicy(Qt::ActionsContextMenu);
    connect(jobs, &PkMatchJobs::progress, this, &PkLikeChoice::showProgress);
    connect(jobs, &PkMatchJobs::prepared, this, [this] { stop->setEnabled(false); });
    // Esc stops a matching of examples in hand; the choices stay as they
    // are. The shortcut lives only meanwhile, as Esc also stops a run.
    stop = new QShortcut(QKeySequence(Qt::Key_Escape), listButton->window());
    stop->setEnabled(false);
    connect(stop, &QShortcut::activated, this, [this] {
        stop->setEnabled(false);
        this->jobs->cancel();
        this->toCopy->setMainText(QStringLiteral("Stopped"), this->color);
    });
}

QString PkLikeChoice::tileText(qsizetype count)
{
    return count == 1 ? QStringLiteral("1 example picture") : QStringLiteral("%1 example pictures").arg(count);
}

QString PkLikeChoice::toolTip(const PkLikeResult &like, const QString &rest)
{
    QStringList lines;
    if (like.byTime + like.byContent > 0)
        lines << QStringLiteral("%1 by capture time, %2 by content").arg(like.byTime).arg(like.byContent);
    if (!like.match.ambiguous.isEmpty())
        lines << QStringLiteral("%1 ambiguous: tick the picture meant in the review").arg(like.match.ambiguous.size());
    if (!rest.isEmpty())
        lines << rest;
    return lines.join(QLatin1Char('\n'));
}

PkReviewSelection PkLikeChoice::reviewSelection(const QString &folder, const QList<QString> &ids,
                                                const PkMatchResult &match, const PkLikeResult &like)
{
    PkReviewSelection selection = PkReviewSelection::fromMatch(folder, ids, match);
    if (like.ids == ids) {
        selection.examples = like.paths;
        selection.files += like.choices;
        selection.fileIds += like.choiceIds;
        selection.unticked = like.choices;
    }
    for (const PkLikeFinding &finding : like.found) {
        selection.how.insert(finding.example, finding.byContent ? QStringLiteral("found by content")
                                   : finding.contentDiffers ? QStringLiteral("found by capture time, content differs")
                                                            : QStringLiteral("found by capture time"));
    }
    return selection;
}

QStringList PkLikeChoice::pictures(const QStringList &paths)
{
    for (const QString &path : paths) {
        if (QFileInfo(path).isDir() || !PkLikeReader::isPictureName(path))
            return {};
    }
    return paths;
}

void PkLikeChoice::choose()
{
    QFileDialog *dialog = PwDarkLook::fileDialog(listButton->window(), QStringLiteral("Choose example pictures"),
                                                  QSettings().value(examplesFolderKey).toString(), false);
    dialog->setFileMode(QFileDialog::ExistingFiles);
    dialog->setNameFilters({QStringLiteral("Pictures (*.jpg *.jpeg *.png *.tif *.tiff *.webp *.heic *.dng *.cr2 *.cr3 "
                                           "*.nef *.arw *.raf *.orf *.rw2 *.pef *.srw)"),
                            QStringLiteral("All files (*)")});
    connect(dialog, &QFileDialog::filesSelected, this, [this](const QStringList &files) {
        if (files.isEmpty())
            return;
        QSettings().setValue(examplesFolderKey, QFileInfo(files.constFirst()).absolutePath());
        emit chosen(files);
    });
}

// A client's downloads often keep a gallery's own sub-folders.
void PkLikeChoice::chooseFolder()
{
    QFileDialog *dialog = PwDarkLook::fileDialog(listButton->window(), QStringLiteral("Choose a folder of example pictures"),
                                                  QSettings().value(examplesFolderKey).toString(), true);
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &folder) {
        const QStringList examples = PkLikeJob::examplesIn(folder);
        if (examples.isEmpty())
            return;
        QSettings().setValue(examplesFolderKey, QFileInfo(folder).absolutePath());
        emit chosen(examples);
    });
}

void PkLikeChoice::showProgress(int done, int total)
{
    // done counts up from 0, so while matching total is at least 1.
    const bool matching = done < total;
    stop->setEnabled(matching);
    if (matching)
        toCopy->setMainText(QStringLiteral("%1%").arg(done * 100 / total), color);
}
