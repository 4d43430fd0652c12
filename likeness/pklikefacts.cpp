// SPDX-License-Identifier: MIT

#include "pklikefacts.h"

namespace {

QString serialKey(const QString &serial)
{
    QString key = serial.trimmed().toLower();
    qsizetype zeros = 0;
    while (zeros < key.size() - 1 && key.at(zeros) == QLatin1Char('0'))
        ++zeros;
    return key.mid(zeros);
}

// Cameras write "Canon" and "Canon EOS R5", or "NIKON CORPORATION" and
// "NIKON Z 6": the model compares without a make it starts with.
QString modelKey(const QString &make, const QString &model)
{
    QString key = model.trimmed().toLower();
    const QString makeKey = make.trimmed().toLower();
    const QString firstWord = makeKey.section(QLatin1Char(' '), 0, 0);
    for (const QString &prefix : {makeKey, firstWord}) {
        if (!prefix.isEmpty() && key.startsWith(prefix)) {
            key = key.mid(prefix.size()).trimmed();
            break;
        }
    }
    return key;
}

// "5" and "50" are the same half second.
QString fraction(const QString &digits)
{
    QString key = digits.trimmed();
    while (key.endsWith(QLatin1Char('0')))
        key.chop(1);
    return key;
}

} // namespace

bool PkLikeFacts::sameCamera(const PkLikeFacts &a, const PkLikeFacts &b)
{
    const QString serialA = serialKey(a.serial), serialB = serialKey(b.serial);
    if (!serialA.isEmpty() && !serialB.isEmpty())
        return serialA == serialB;
    const bool named = !a.make.trimmed().isEmpty() && !a.model.trimmed().isEmpty() && !b.make.trimmed().isEmpty()
        && !b.model.trimmed().isEmpty();
    if (!named)
        return true;
    return a.make.trimmed().compare(b.make.trimmed(), Qt::CaseInsensitive) == 0
        && modelKey(a.make, a.model) == modelKey(b.make, b.model);
}

bool PkLikeFacts::sameShot(const PkLikeFacts &a, const PkLikeFacts &b)
{
    if (!a.taken.isValid() || a.taken != b.taken || !sameCamera(a, b))
        return false;
    return a.subSeconds.isEmpty() || b.subSeconds.isEmpty() || fraction(a.subSeconds) == fraction(b.subSeconds);
}
