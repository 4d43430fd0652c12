// SPDX-License-Identifier: MIT

#include "pkdropchoice.h"
#include "pklikechoice.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QList>
#include <QMimeData>
#include <QUrl>

PkDropChoice PkDropChoice::fromMimeData(const QMimeData *mimeData, bool folderAllowed)
{
    if (!mimeData)
        return {};
    // File managers put the paths of dragged files into the text as well;
    // only a drag without files is a list as text.
    if (!mimeData->hasUrls()) {
        PkDropChoice choice;
        if (mimeData->hasText() && !mimeData->text().trimmed().isEmpty())
            choice.text = mimeData->text();
        return choice;
    }
    // Picture files alone are examples; else a list and a folder at most:
    // a third path always finds its place taken.
    const QList<QUrl> urls = mimeData->urls();
    PkDropChoice choice;
    for (const QUrl &url : urls)
        choice.pictures.append(url.isLocalFile() ? QDir::cleanPath(url.toLocalFile()) : QString());
    choice.pictures = PkLikeChoice::pictures(choice.pictures);
    if (!choice.pictures.isEmpty())
        return choice;
    for (const QUrl &url : urls) {
        if (!url.isLocalFile())
            return {};
        const QFileInfo info(url.toLocalFile());
        QString &slot = info.isDir() ? choice.folder : choice.file;
        if (!slot.isEmpty() || !info.exists())
            return {};
        slot = QDir::cleanPath(info.filePath());
    }
    if (choice.file.isEmpty() && !folderAllowed)
        return {};
    return choice;
}

bool PkDropChoice::acceptWithoutMove(QDropEvent *event)
{
    if (event->possibleActions() & Qt::CopyAction)
        event->setDropAction(Qt::CopyAction);
    else if (event->possibleActions() & Qt::LinkAction)
        event->setDropAction(Qt::LinkAction);
    else
        return false;
    event->accept();
    return true;
}
