// SPDX-License-Identifier: MIT

#include "pkendsignals.h"

#include "pkfilecopier.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>

#include <fcntl.h>
#include <unistd.h>

namespace {

constexpr int endSignals[] = {SIGTERM, SIGHUP, SIGQUIT};

// The handler writes the signal's number here for the event loop to read.
int endPipe[] = {-1, -1};

void install(void (*handler)(int))
{
    struct sigaction action = {};
    action.sa_handler = handler;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signalNumber : endSignals)
        ::sigaction(signalNumber, &action, nullptr);
}

void onEndSignal(int signalNumber)
{
    PkEndSignals::endNow(signalNumber);
}

void onEndSignalInWindow(int signalNumber)
{
    PkFileCopier::removeTemporaryInProgress();
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signalNumber);
    [[maybe_unused]] const ssize_t written = ::write(endPipe[1], &byte, 1);
    errno = savedErrno;
}

} // namespace

PkEndSignals::PkEndSignals(QObject *parent)
    : QObject(parent)
{
    if (endPipe[0] == -1 && ::pipe2(endPipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    notifier = std::make_unique<QSocketNotifier>(endPipe[0], QSocketNotifier::Read);
    connect(notifier.get(), &QSocketNotifier::activated, this, &PkEndSignals::readPipe);
    install(onEndSignalInWindow);
}

PkEndSignals::~PkEndSignals() = default;

void PkEndSignals::endAtOnce()
{
    install(onEndSignal);
}

void PkEndSignals::endNow(int signalNumber)
{
    PkFileCopier::removeTemporaryInProgress();
    ::_exit(128 + signalNumber);
}

void PkEndSignals::readPipe()
{
    // Ending as if closed waits for the file in hand; another signal meanwhile
    // ends the program at once.
    unsigned char byte = 0;
    if (::read(endPipe[0], &byte, 1) == 1) {
        endAtOnce();
        emit received(byte);
    }
}
