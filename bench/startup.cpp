// SPDX-License-Identifier: MIT

// Measures how long Pickwell takes from process start to its first shown
// window, and its resident memory at that moment, against a bare QWidget
// program built the same way. Both run as child processes of this program
// (the same executable in another mode), alternately, several times.

#include "mainwindow.h"

#include "benchsupport.h"
#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QProcess>
#include <QTemporaryDir>
#include <QTextStream>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <vector>

namespace {

long residentKiB()
{
    QFile status(QStringLiteral("/proc/self/status"));
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith("VmRSS:"))
            return line.mid(6).trimmed().split(' ').value(0).toLong();
    }
    return -1;
}

// Reports once the window has been exposed and its first frame painted.
class ExposeWatcher : public QObject
{
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (event->type() == QEvent::Expose && !reported) {
            reported = true;
            QTimer::singleShot(0, qApp, [] {
                std::printf("shown %ld\n", residentKiB());
                std::fflush(stdout);
                QCoreApplication::quit();
            });
        }
        return QObject::eventFilter(watched, event);
    }

private:
    bool reported = false;
};

enum class Mode { Bare, Text, Window };

int runChild(int argc, char *argv[], Mode mode)
{
    QApplication app(argc, argv);
    std::unique_ptr<QWidget> window;
    if (mode != Mode::Window) {
        // The same fixed size as Pickwell's window, so that the comparison
        // shows what the fonts, pictures and widgets cost, not a larger surface.
        window = std::make_unique<QWidget>();
        window->setFixedSize(800, 600);
        // One line of text makes Qt load the system font database, which
        // every program that shows text pays for.
        if (mode == Mode::Text)
            new QLabel(QStringLiteral("Select text file"), window.get());
    } else
        window = std::make_unique<MainWindow>();
    window->show();
    ExposeWatcher watcher;
    window->windowHandle()->installEventFilter(&watcher);
    return app.exec();
}

struct Sample
{
    double milliseconds = 0;
    long kib = 0;
};

Sample measure(const QString &program, const QString &mode)
{
    QProcess child;
    child.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    QElapsedTimer timer;
    timer.start();
    child.start(program, {mode});
    Sample sample;
    while (child.waitForReadyRead(10000)) {
        const QByteArray line = child.readLine();
        if (line.startsWith("shown ")) {
            sample.milliseconds = timer.nsecsElapsed() / 1e6;
            sample.kib = line.mid(6).trimmed().toLong();
            break;
        }
    }
    child.waitForFinished(10000);
    return sample;
}

} // namespace

int main(int argc, char *argv[])
{
    if (argc > 1 && qstrcmp(argv[1], "--bare") == 0)
        return runChild(argc, argv, Mode::Bare);
    if (argc > 1 && qstrcmp(argv[1], "--text") == 0)
        return runChild(argc, argv, Mode::Text);
    if (argc > 1 && qstrcmp(argv[1], "--window") == 0)
        return runChild(argc, argv, Mode::Window);

    QCoreApplication app(argc, argv);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir runtimeDir; // keeps the children from warning about a missing runtime folder
    if (qEnvironmentVariableIsEmpty("XDG_RUNTIME_DIR") && runtimeDir.isValid())
        qputenv("XDG_RUNTIME_DIR", runtimeDir.path().toLocal8Bit());
    const QString self = QCoreApplication::applicationFilePath();
    const int rounds = 15;

    const QStringList modes = {QStringLiteral("--bare"), QStringLiteral("--text"),
                               QStringLiteral("--window")};
    for (const QString &mode : modes)
        measure(self, mode); // warm the page cache for every mode alike
    std::vector<double> times[3], memory[3];
    for (int round = 0; round < rounds; ++round) {
        for (int m = 0; m < 3; ++m) {
            const Sample sample = measure(self, modes[m]);
            times[m].push_back(sample.milliseconds);
            memory[m].push_back(sample.kib);
        }
    }

    QTextStream out(stdout);
    out << "platform: " << qgetenv("QT_QPA_PLATFORM") << ", " << rounds << " rounds, medians\n";
    const char *names[] = {"bare QWidget", "QWidget with a label"};
    for (int base = 0; base < 2; ++base) {
        out << QStringLiteral("against %1: start to shown window %2 ms vs Pickwell %3 ms, ratio %4; "
                              "resident memory %5 KiB vs %6 KiB, ratio %7\n")
                   .arg(QLatin1String(names[base]))
                   .arg(BenchSupport::median(times[base]), 0, 'f', 1)
                   .arg(BenchSupport::median(times[2]), 0, 'f', 1)
                   .arg(BenchSupport::median(times[2]) / BenchSupport::median(times[base]), 0, 'f', 2)
                   .arg(BenchSupport::median(memory[base]), 0, 'f', 0)
                   .arg(BenchSupport::median(memory[2]), 0, 'f', 0)
                   .arg(BenchSupport::median(memory[2]) / BenchSupport::median(memory[base]), 0, 'f', 2);
    }
    return 0;
}
