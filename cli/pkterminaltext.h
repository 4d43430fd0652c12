// SPDX-License-Identifier: MIT

#ifndef PKTERMINALTEXT_H
#define PKTERMINALTEXT_H

#include <QByteArray>
#include <QString>

// Text from a list or a folder, made safe to print on a terminal: a name can
// hold escape sequences that retitle the terminal or erase lines, and line
// breaks that split a one-item-a-line report.
class PkTerminalText
{
public:
    // text as UTF-8, with control characters written as an octal escape
    // ("\033"), and line separators and bidirectional overrides as "\u202e".
    static QByteArray escaped(const QString &text);
};

#endif // PKTERMINALTEXT_H
