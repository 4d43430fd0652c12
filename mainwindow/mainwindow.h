// SPDX-License-Identifier: MIT

#ifndef MAINWINDOW_H
#define MAINWINDOW_H

#include <QList>
#include <QMainWindow>
#include <QString>

#include <memory>

QT_BEGIN_NAMESPACE
namespace Ui {
class MainWindow;
}
QT_END_NAMESPACE

class PwTools;

// The program's one window: a fixed 800 x 600 frame over the background
// picture, holding the user's selection between the steps of the workflow.
class MainWindow : public QMainWindow
{
    Q_OBJECT

public:
    explicit MainWindow(QWidget *parent = nullptr);
    ~MainWindow() override;

private:
    void setUpFrame();

    Ui::MainWindow *ui;
    std::unique_ptr<PwTools> tools;
    QString textFilePath;
    QString imagePath;
    QList<QString> listOfIds;
    QList<QString> listOfFilesToCopy;
};

#endif // MAINWINDOW_H
