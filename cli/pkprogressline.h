// SPDX-License-Identifier: MIT

#ifndef PKPROGRESSLINE_H
#define PKPROGRESSLINE_H

#include <QByteArray>
#include <QElapsedTimer>

#include <cstdio>

// One line on a terminal, rewritten in place at most ten times a second, that
// other output can clear and put back. Off, it writes nothing at all.
class PkProgressLine
{
public:
    explicit PkProgressLine(FILE *stream = stderr);

    void setEnabled(bool on) { enabled = on; }
    bool isEnabled() const { return enabled; }
    bool isShown() const { return shown; }
    // Shows line unless the last one went out less than 100 ms ago (force
    // shows it anyway).
    void show(const QByteArray &line, bool force = false);
    // Takes the line off the screen, so that other output starts clean.
    void clear();

private:
    FILE *stream;
    bool enabled = false;
    bool shown = false;
    int width = 0;
    QElapsedTimer timer;
};

#endif // PKPROGRESSLINE_H
