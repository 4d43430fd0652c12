// SPDX-License-Identifier: MIT

#ifndef PKENDSIGNALS_H
#define PKENDSIGNALS_H

#include <QObject>

#include <memory>

class QSocketNotifier;

// SIGTERM (a logout, a shutdown), SIGHUP (a closed terminal) and SIGQUIT end
// the program with 128 + the signal's number. The hidden temporary of the
// copy in hand is removed in the handler itself, before anything else, so
// that nothing of ours is left on a card whatever follows.
class PkEndSignals : public QObject
{
    Q_OBJECT

public:
    // The window ends as if closed: received is emitted from the event loop,
    // and from then on another of these signals ends the program at once.
    explicit PkEndSignals(QObject *parent = nullptr);
    ~PkEndSignals() override;

    // The command line ends in the handler, without waiting for the file in
    // hand; a dry run never gets here.
    static void endAtOnce();

    // Removes the temporary in hand and ends the program: safe in a signal
    // handler, and used by the command line's second Ctrl+C too.
    [[noreturn]] static void endNow(int signalNumber);

signals:
    void received(int signalNumber);

private:
    void readPipe();
    std::unique_ptr<QSocketNotifier> notifier;
};

#endif // PKENDSIGNALS_H
