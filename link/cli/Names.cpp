// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Names.h"

#include "ValueText.h"

#include <algorithm>
#include <vector>

namespace tethracli {
namespace {

using tethra::catalogue::Kind;

// Edits (insert, delete, replace, swap two neighbours) from a to b.
qsizetype distance(const QString &a, const QString &b)
{
    const qsizetype n = a.size(), m = b.size();
    std::vector<std::vector<qsizetype>> d(std::size_t(n + 1), std::vector<qsizetype>(std::size_t(m + 1)));
    for (qsizetype i = 0; i <= n; ++i)
        d[std::size_t(i)][0] = i;
    for (qsizetype j = 0; j <= m; ++j)
        d[0][std::size_t(j)] = j;
    for (qsizetype i = 1; i <= n; ++i) {
        for (qsizetype j = 1; j <= m; ++j) {
            const auto ui = std::size_t(i), uj = std::size_t(j);
            const qsizetype cost = a[i - 1] == b[j - 1] ? 0 : 1;
            d[ui][uj] = std::min({d[ui - 1][uj] + 1, d[ui][uj - 1] + 1, d[ui - 1][uj - 1] + cost});
            if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1])
                d[ui][uj] = std::min(d[ui][uj], d[ui - 2][uj - 2] + 1);
        }
    }
    return d[std::size_t(n)][std::size_t(m)];
}

} // namespace

const tethra::catalogue::Member *member(const QString &name, Kind kind)
{
    const auto *m = tethra::catalogue::findVarnexMember(name.toStdString());
    return m && m->kind == kind ? m : nullptr;
}

QString nearestName(const QString &typed, Kind kind)
{
    const QString folded = typed.toLower();
    QString best;
    qsizetype bestDistance = std::max<qsizetype>(1, typed.size() / 3) + 1;
    for (const auto &m : tethra::catalogue::varnexMembers()) {
        if (m.kind != kind)
            continue;
        const QString name = latin1(m.name);
        const qsizetype d = name.toLower() == folded ? 0 : distance(folded, name.toLower());
        if (d < bestDistance) {
            best = name;
            bestDistance = d;
        }
    }
    return best;
}

QString noSuchMember(const QString &typed, Kind kind)
{
    const QString what = kind == Kind::Property ? QStringLiteral("property") : QStringLiteral("command");
    QString text = QStringLiteral("no %1 '%2'").arg(what, typed);
    const Kind other = kind == Kind::Property ? Kind::Method : Kind::Property;
    if (member(typed, other))
        return text + QStringLiteral(" (%1 is a %2)")
                          .arg(typed, other == Kind::Property ? QStringLiteral("property") : QStringLiteral("command"));
    const QString near = nearestName(typed, kind);
    return near.isEmpty() ? text : text + QStringLiteral(" (did you mean %1?)").arg(near);
}

} // namespace tethracli
