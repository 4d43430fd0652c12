// SPDX-License-Identifier: MIT

#ifndef PKMARKCHOICE_H
#define PKMARKCHOICE_H

#include "pkmarkjob.h"

#include <QObject>
#include <QThreadPool>

#include <functional>

QT_BEGIN_NAMESPACE
class QAction;
class QWidget;
QT_END_NAMESPACE

// Marks the picks in their sidecars from the window: "Mark picks in the
// sidecars…" and "Remove the mark…" on the To copy tile's menu ask for a
// keyword and a colour label, write them on a worker thread, and say what
// became of each sidecar. The sidecars created are files of their pictures:
// the folder is matched again, so that a run copies them too.
class PkMarkChoice : public QObject
{
    Q_OBJECT

public:
    // folder: the picture folder; files: those a run would copy now.
    PkMarkChoice(QWidget *toCopyTile, std::function<QString()> folder, std::function<QList<QString>()> files);
    ~PkMarkChoice() override;

    // Offered only where there are files to mark.
    void setEnabled(bool enabled);
    // Marks, or takes the mark off, as the dialog would once answered.
    void mark(const PkXmpPacket::Edit &edit);
    // What the user is told of a job.
    static QString resultText(const PkMarkJob::Report &report, bool remove);

    // Tests answer the dialog and see the message without showing either.
    std::function<bool(PkXmpPacket::Edit *edit)> askHook;
    std::function<void(const QString &text)> tellHook;

signals:
    // Some sidecars changed or were created.
    void marked();

private:
    void ask(bool remove);
    bool askUser(PkXmpPacket::Edit *edit);
    void tell(const QString &text, const PkMarkJob::Report &report);

    QWidget *tile;
    std::function<QString()> folder;
    std::function<QList<QString>()> files;
    QAction *markAction;
    QAction *unmarkAction;
    QThreadPool pool;
    bool busy = false;    // a job is under way: one at a time
    bool offered = false; // there are files to mark
};

#endif // PKMARKCHOICE_H
