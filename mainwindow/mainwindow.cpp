// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "ui_mainwindow.h"

#include "pwtools.h"

#include <QFontDatabase>
#include <QIcon>
#include <QPalette>
#include <QPixmap>

MainWindow::MainWindow(QWidget *parent)
    : QMainWindow(parent)
    , ui(new Ui::MainWindow)
{
    ui->setupUi(this);
    tools = std::make_unique<PwTools>();
    setUpFrame();
}

MainWindow::~MainWindow()
{
    delete ui;
}

void MainWindow::setUpFrame()
{
    setFixedSize(800, 600);
    setWindowTitle(QStringLiteral("Pickwell - - by pickwell.example.org"));
    setWindowIcon(QIcon(QStringLiteral(":/images/favicon.ico")));

    // The picture is exactly the window's size, so the tiled brush shows it once.
    QPalette backgroundPalette;
    backgroundPalette.setBrush(QPalette::All, QPalette::Window,
                               QBrush(QPixmap(QStringLiteral(":/images/backgroundImage.jpg"))));
    setPalette(backgroundPalette);

    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender.otf"));
    QFontDatabase::addApplicationFont(QStringLiteral(":/fonts/Quillmark - Bender-Bold.otf"));
}
