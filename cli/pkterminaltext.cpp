// SPDX-License-Identifier: MIT

#include "pkterminaltext.h"

#include "pwtools.h"

QByteArray PkTerminalText::escaped(const QString &text)
{
    return PwTools::visibleText(text).toUtf8();
}
