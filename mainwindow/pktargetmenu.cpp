// SPDX-License-Identifier: MIT

#include "pktargetmenu.h"

#include "pkfilereader.h"
#include "pwdarklook.h"

#include <QAction>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QWidget>

PkTargetMenu::PkTargetMenu(QWidget *pathTile, QWidget *warning)
    : QObject(pathTile)
    , pathTile(pathTile)
{
    const QString output = PkFileReader::outputFolderName();
    elsewhere = new QAction(QStringLiteral("Copy into another folder\u2026"), pathTile);
    connect(elsewhere, &QAction::triggered, this, [this, output] {
        chooseFolder(QStringLiteral("Choose where %1 goes").arg(output), &PkTargetMenu::destinationChosen);
    });
    also = new QAction(QStringLiteral("Also copy to\u2026"), pathTile);
    connect(also, &QAction::triggered, this, [this, output] {
        chooseFolder(QStringLiteral("Choose where a second %1 goes").arg(output), &PkTargetMenu::alsoChosen);
    });
    noBackup = new QAction(QStringLiteral("No backup copy"), pathTile);
    connect(noBackup, &QAction::triggered, this, &PkTargetMenu::alsoDropped);
    addRest = new QAction(QStringLiteral("Add the rest to %1").arg(output), pathTile);
    connect(addRest, &QAction::triggered, this, &PkTargetMenu::addRestChosen);
    offer(QString(), false, false);
    pathTile->addActions({elsewhere, addRest});
    pathTile->setContextMenuPolicy(Qt::ActionsContextMenu);
    // The warning that asks for a choice offers it where the user reads it.
    warning->addActions({elsewhere, addRest});
    warning->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void PkTargetMenu::addBackupChoices()
{
    pathTile->addActions({also, noBackup});
}

void PkTargetMenu::offer(const QString &pictures, bool addRest, bool backups)
{
    const bool choices = !pictures.isEmpty();
    startFolder = QFileInfo(pictures).absolutePath();
    elsewhere->setEnabled(choices);
    also->setEnabled(choices);
    noBackup->setEnabled(choices && backups);
    offerAddRest(addRest);
}

void PkTargetMenu::offerAddRest(bool addRest)
{
    this->addRest->setEnabled(addRest);
}

void PkTargetMenu::chooseFolder(const QString &title, void (PkTargetMenu::*chosen)(const QString &))
{
    QFileDialog *dialog = PwDarkLook::fileDialog(pathTile->window(), title, startFolder, true);
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    connect(dialog, &QFileDialog::fileSelected, this,
            [this, chosen](const QString &path) { emit(this->*chosen)(QDir::cleanPath(path)); });
}
