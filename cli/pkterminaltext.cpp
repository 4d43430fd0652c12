// SPDX-License-Identifier: MIT

#include "pkterminaltext.h"

#include <algorithm>

bool PkTerminalText::needsEscaping(QChar ch)
{
    const char16_t code = ch.unicode();
    return code < 0x20 || (code >= 0x7f && code <= 0x9f) || code == 0x2028 || code == 0x2029
        || (code >= 0x202a && code <= 0x202e) || (code >= 0x2066 && code <= 0x2069);
}

QByteArray PkTerminalText::escaped(const QString &text)
{
    if (std::none_of(text.begin(), text.end(), needsEscaping))
        return text.toUtf8();
    QString out;
    out.reserve(text.size() + 8);
    for (QChar ch : text) {
        if (!needsEscaping(ch))
            out += ch;
        else if (ch.unicode() < 0x100)
            out += QStringLiteral("\\%1").arg(ch.unicode(), 3, 8, QLatin1Char('0'));
        else
            out += QStringLiteral("\\u%1").arg(ch.unicode(), 4, 16, QLatin1Char('0'));
    }
    return out.toUtf8();
}
