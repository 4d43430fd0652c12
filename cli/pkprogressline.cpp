// SPDX-License-Identifier: MIT

#include "pkprogressline.h"

#include <algorithm>

PkProgressLine::PkProgressLine(FILE *stream)
    : stream(stream)
{
}

void PkProgressLine::show(const QByteArray &line, bool force)
{
    if (!enabled)
        return;
    if (!force && timer.isValid() && timer.elapsed() < 100)
        return;
    timer.start();
    // Spaces cover what a longer line before left on the screen.
    const QByteArray padded = '\r' + line + QByteArray(std::max(0, width - int(line.size())), ' ');
    std::fwrite(padded.constData(), 1, size_t(padded.size()), stream);
    std::fflush(stream);
    width = std::max(width, int(line.size()));
    shown = true;
}

void PkProgressLine::clear()
{
    if (!shown)
        return;
    const QByteArray blank = '\r' + QByteArray(width, ' ') + '\r';
    std::fwrite(blank.constData(), 1, size_t(blank.size()), stream);
    std::fflush(stream);
    shown = false;
    timer.invalidate();
}
