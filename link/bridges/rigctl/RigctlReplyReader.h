// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Cuts the byte stream from rigctld into answers, each ended by its "RPRT n" line. It holds
// at most one unfinished answer, bounded in lines and bytes: a peer that never ends its
// answer, or never ends a line, is at fault once past the bound, and the reader lets go of
// everything it held. Plain code over bytes, with no socket, so it can be fed anything.
#pragma once

#include "RigctlReply.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QList>
#include <QStringList>

class RigctlReplyReader {
public:
    // Far above any real answer: \dump_caps, the longest, runs to a few hundred lines of
    // a few kilobytes.
    static constexpr qsizetype kMaxLines = 4096;
    static constexpr qsizetype kMaxBytes = 256 * 1024;

    // Appends the answers these bytes complete to *replies, in order. False when the
    // answer being read passed a bound; the reader is then empty, and the answers
    // completed before it are in *replies.
    bool feed(QByteArrayView bytes, QList<RigctlReply> *replies);
    void clear();

private:
    QByteArray m_partial;  // a line not ended yet
    QStringList m_lines;   // the unfinished answer
    qsizetype m_bytes = 0; // held by the unfinished answer, its partial line included
};
