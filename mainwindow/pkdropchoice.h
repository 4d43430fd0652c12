// SPDX-License-Identifier: MIT

#ifndef PKDROPCHOICE_H
#define PKDROPCHOICE_H

#include <QString>
#include <QStringList>

QT_BEGIN_NAMESPACE
class QDropEvent;
class QMimeData;
QT_END_NAMESPACE

// What a drop onto the window chooses: a selection file, a picture folder,
// or both, in which case the file is taken first; or a list as text, dragged
// out of a mail or an editor; or picture files, the examples of what to copy.
struct PkDropChoice
{
    QString file;
    QString folder;
    QString text;
    QStringList pictures;

    bool isEmpty() const { return file.isEmpty() && folder.isEmpty() && text.isEmpty() && pictures.isEmpty(); }

    // A folder alone is only taken while folderAllowed, so that a drop can
    // never accept a folder before a list.
    static PkDropChoice fromMimeData(const QMimeData *mimeData, bool folderAllowed);

    // A drop only names paths or carries text: it must never tell the source
    // to move or delete anything, so it is taken as a copy, or a link where a
    // copy is not offered. False when neither is offered.
    static bool acceptWithoutMove(QDropEvent *event);
};

#endif // PKDROPCHOICE_H
