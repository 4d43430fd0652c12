// SPDX-License-Identifier: MIT

#include "mainwindow.h"
#include "pkcommandline.h"
#include "pkendsignals.h"
#include "pwdarklook.h"

#include <QApplication>
#include <QCoreApplication>

int main(int argc, char *argv[])
{
    // Where the window keeps its settings (the dialogs' folders, the matching option).
    QCoreApplication::setOrganizationName(QStringLiteral("Pickwell"));
    QCoreApplication::setApplicationName(QStringLiteral("Pickwell"));

    // The arguments are read before any application object exists, so help
    // and wrong usage get their answer without a display.
    const PkCommandLine::Invocation invocation = PkCommandLine::parse(argc, argv);
    if (invocation.mode == PkCommandLine::Mode::Exit)
        return PkCommandLine::exitEarly(invocation);

    if (invocation.mode == PkCommandLine::Mode::CommandLine) {
        // Not a QApplication: the command line must run where there is no display.
        QCoreApplication app(argc, argv);
        PkCommandLine commandLine;
        return commandLine.exec(invocation);
    }

    QApplication app(argc, argv);
    PwDarkLook::apply();
    MainWindow window;
    // A logout or a closed terminal ends the window as if it were closed.
    PkEndSignals endSignals;
    QObject::connect(&endSignals, &PkEndSignals::received, &app,
                     [](int signalNumber) { QCoreApplication::exit(128 + signalNumber); });
    if (!invocation.listPath.isEmpty())
        window.chooseTextFile(invocation.listPath);
    window.show();
    return app.exec();
}
