// SPDX-License-Identifier: MIT

#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QList>
#include <QMainWindow>
#include <QPair>
#include <QString>

#include "pkcopytarget.h"
#include "pkmatchjobs.h"
#include "pklistreader.h"
#include "pkselectionmatcher.h"

#include <memory>

QT_BEGIN_NAMESPACE
class QAction;
class QFileDialog;
class QLabel;
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class PkButton;
class PkDashboard;
class PkMarkChoice;
class PkReviewLink;
class PkRunController;
class PkSelectionReport;
class PkTargetMenu;
class PwPathHelper;
class PwTools;

// The program's one window: a fixed 800 x 600 frame over the background
// picture. Its slots carry the user through the workflow: choose the
// selection file, choose the picture folder, press "Start", watch the copy.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

    // Chooses a selection list exactly as the text-file dialog does.
    void chooseTextFile(const QString &path);
    // Takes text, pasted or dropped, as the selection list.
    void chooseListText(const QString &text);

signals:
    // The disk work for the last choice is done and its result shown.
    void matched();

private slots:
    void on_buttonTextFilePathpressed();
    void on_buttonImageFilePathpressed();
    void on_buttonStartCopypressed();
    void on_textFileSelected(const QString path);
    void on_imagePathSelected(const QString path);

protected:
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void setUpFrame();
    void setUpWidgets();
    void setUpPaste();
    void setUpTargetChoices();
    void takeList(const QString &name, const QString &path, const QString &text, const QStringList &examples = {});
    void rematch();
    void showWarning();
    void setUpShortcuts();
    void prepare(bool takeChosen, const QString &newDestination = QString(), bool asBackup = false);
    void takePreparation(const PkMatchJobs::Preparation &job);
    void takeTarget(const PkMatchJobs::Preparation &job);
    void showFilesToRun();
    void takeCheck(const PkMatchJobs::Check &job);
    void checkAtStart(bool rest);
    void checkFiles(const QList<QString> &files, bool rest, bool start);
    void showBusy();

    Ui::MainWindow *ui;
    std::unique_ptr<PwTools> tools;
    std::unique_ptr<PwPathHelper> pathHelper;
    PkDashboard *dashboard = nullptr;
    PkButton *buttonTextFilePath = nullptr;
    PkButton *buttonImageFilePath = nullptr;
    PkButton *buttonStartCopy = nullptr;
    PkButton *infoTextFile = nullptr;
    PkButton *infoImagePath = nullptr;
    PkButton *infoSelected = nullptr;
    PkButton *infoToCopy = nullptr;
    PkButton *infoWarning = nullptr;
    QLabel *labelWarranty = nullptr;
    QFileDialog *textFileDialog = nullptr;
    QFileDialog *imageFolderDialog = nullptr;
    PkTargetMenu *targetMenu = nullptr;
    PkCopyTarget target;   // for the folder chosen last
    PkCopyTarget accepted; // for the folder taken last, imagePath
    QString textFilePath;
    QString imagePath;
    QList<QString> listOfIds;
    QStringList listExamples; // example pictures chosen as the list
    QList<QString> listOfFilesToCopy;
    PkMatchResult match;
    QHash<QString, qint64> fileSizes; // of match's files
    QString folderWarning; // the chosen folder's, when refused
    QString checkWarning;  // the accepted folder's destination, for the files to copy
    QString listWarning;
    QPair<QString, QString> pendingList; // path, or text when not null, not read yet
    bool listPending = false;
    bool toCopyPending = false; // the To copy tile waits for a match of the folder chosen last
    PkMatchJobs *jobs = nullptr;
    PkSelectionReport *report = nullptr;
    PkRunController *run = nullptr;
    PkReviewLink *reviewLink = nullptr;
    PkMarkChoice *markChoice = nullptr;
};

#endif // MAINWINDOW_H
