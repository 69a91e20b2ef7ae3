// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The text forms of stored numbers and Booleans. Writing always uses a point; reading
// also takes a comma, so a store written under a comma locale still loads.
#include "Preferences.h"

#include <QLocale>
#include <cmath>

namespace tovana {

QString formatReal(double value, int digits)
{
    if (value == 0)
        return QStringLiteral("0");  // also for -0
    return QString::number(value, 'g', digits);
}

QString formatBool(bool value)
{
    return value ? QStringLiteral("True") : QStringLiteral("False");
}

bool parseReal(const QString &text, double *value)
{
    QString number = text.trimmed();
    if (number.contains(u',')) {
        // Either separator is a decimal separator; with both the text is ambiguous.
        if (number.contains(u'.') || number.count(u',') > 1)
            return false;
        number.replace(u',', u'.');
    }
    QLocale c = QLocale::c();
    c.setNumberOptions(QLocale::RejectGroupSeparator);
    bool ok = false;
    const double v = c.toDouble(number, &ok);
    if (!ok || !std::isfinite(v))
        return false;
    *value = v;
    return true;
}

// Case does not matter, as with the platform's own Boolean conversion; numbers are not
// Booleans here.
bool parseBool(const QString &text, bool *value)
{
    const QString word = text.trimmed();
    if (word.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0)
        *value = true;
    else if (word.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0)
        *value = false;
    else
        return false;
    return true;
}

} // namespace tovana
