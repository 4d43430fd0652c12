// SPDX-License-Identifier: MIT

#ifndef PKTARGETMENU_H
#define PKTARGETMENU_H

#include <QObject>
#include <QString>

QT_BEGIN_NAMESPACE
class QAction;
class QWidget;
QT_END_NAMESPACE

// The choices of where a picture folder's copies go, on the Image path
// tile's context menu and on the warning that asks for one: another folder,
// a backup folder as well, and adding to an earlier run. A picture folder
// that cannot take the copies (a write-protected card, the output of an
// earlier run) can still be copied from.
class PkTargetMenu : public QObject
{
    Q_OBJECT

public:
    PkTargetMenu(QWidget *pathTile, QWidget *warning);

    // Puts the choice of a backup folder on the path tile's menu, below
    // what is there by then.
    void addBackupChoices();
    // What can be chosen for the picture folder pictures: nothing before
    // there is one; adding to an earlier run only where there is one.
    void offer(const QString &pictures, bool addRest, bool backups);
    void offerAddRest(bool addRest);

signals:
    void destinationChosen(const QString &folder);
    void alsoChosen(const QString &folder);
    void alsoDropped();
    void addRestChosen();

private:
    void chooseFolder(const QString &title, void (PkTargetMenu::*chosen)(const QString &));

    QWidget *pathTile;
    QAction *elsewhere = nullptr;
    QAction *also = nullptr;
    QAction *noBackup = nullptr;
    QAction *addRest = nullptr;
    QString startFolder; // where the dialogs open: beside the picture folder
};

#endif // PKTARGETMENU_H
