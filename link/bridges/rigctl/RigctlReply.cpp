// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RigctlReply.h"

#include <array>

namespace {

// Hamlib's error texts, indexed by the negated status code.
constexpr std::array<const char *, 21> kHamlibErrors{{
    "success",
    "invalid parameter",
    "invalid configuration",
    "memory shortage",
    "feature not implemented",
    "communication timed out",
    "IO error",
    "internal Hamlib error",
    "protocol error",
    "command rejected by the rig",
    "command performed, but arg truncated",
    "feature not available",
    "target VFO unaccessible",
    "communication bus error",
    "communication bus collision",
    "NULL RIG handle or invalid pointer parameter",
    "invalid VFO",
    "argument out of domain",
    "function deprecated",
    "security error",
    "rig not powered on",
}};

} // namespace

QString RigctlReply::value(const QString &key) const
{
    for (const auto &[k, v] : fields) {
        if (k == key)
            return v;
    }
    return {};
}

QString RigctlReply::describe() const
{
    if (!answered)
        return QStringLiteral("no answer from rigctld");
    const int index = -code;
    const QString text = index >= 0 && index < int(kHamlibErrors.size())
                             ? QString::fromLatin1(kHamlibErrors[size_t(index)])
                             : QStringLiteral("unknown error");
    return QStringLiteral("RPRT %1 (%2)").arg(code).arg(text);
}

RigctlReply RigctlReply::parse(const QStringList &lines)
{
    RigctlReply reply;
    reply.answered = true;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString &line = lines[i];
        if (line.startsWith(QLatin1String("RPRT "))) {
            bool ok = false;
            reply.code = line.mid(5).trimmed().toInt(&ok);
            if (!ok)
                reply.code = -8; // protocol error: a status we cannot read is no success
            continue;
        }
        // The first line echoes the command ("get_freq:"); it is no field.
        const qsizetype colon = line.indexOf(QLatin1Char(':'));
        if (i == 0 || colon <= 0)
            continue;
        reply.fields.append({line.left(colon).trimmed(), line.mid(colon + 1).trimmed()});
    }
    return reply;
}

RigctlReply RigctlReply::unanswered()
{
    return {};
}
