// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "RigctlReplyReader.h"

bool RigctlReplyReader::feed(QByteArrayView bytes, QList<RigctlReply> *replies)
{
    while (!bytes.isEmpty()) {
        const qsizetype newline = bytes.indexOf('\n');
        const QByteArrayView piece = newline < 0 ? bytes : bytes.first(newline);
        m_bytes += piece.size() + (newline < 0 ? 0 : 1);
        if (m_bytes > kMaxBytes) {
            clear();
            return false;
        }
        m_partial += piece;
        if (newline < 0)
            return true;
        bytes = bytes.sliced(newline + 1);

        const QString line = QString::fromUtf8(m_partial).trimmed();
        m_partial.clear();
        if (line.isEmpty())
            continue;
        if (m_lines.size() == kMaxLines) {
            clear();
            return false;
        }
        m_lines.append(line);
        if (!line.startsWith(QLatin1String("RPRT ")))
            continue;
        replies->append(RigctlReply::parse(m_lines));
        m_lines.clear();
        m_bytes = 0;
    }
    return true;
}

void RigctlReplyReader::clear()
{
    // Gives the memory back too: a hostile answer may have made these large.
    m_partial = QByteArray();
    m_lines = QStringList();
    m_bytes = 0;
}
