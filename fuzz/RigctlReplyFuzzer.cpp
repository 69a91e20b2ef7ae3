// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The byte stream of a rigctld, or of anything that answers on its port, cut into answers.
// However the stream is split into reads, the same answers come out, up to the point where
// an answer passes the reader's bounds; the reader never holds more than its bounds allow.
// Input: one byte seeds the split points, the rest is the stream.
#include "RigctlReplyReader.h"

#include <cstdio>
#include <cstdlib>

namespace {

void fail(const char *what)
{
    std::fprintf(stderr, "fuzz_rigctl_reply: %s\n", what);
    std::abort();
}

bool same(const QList<RigctlReply> &a, const QList<RigctlReply> &b)
{
    if (a.size() != b.size())
        return false;
    for (qsizetype i = 0; i < a.size(); ++i)
        if (a[i].answered != b[i].answered || a[i].code != b[i].code || a[i].fields != b[i].fields)
            return false;
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    if (size < 1)
        return 0;
    const QByteArrayView stream(reinterpret_cast<const char *>(data + 1), qsizetype(size - 1));

    RigctlReplyReader whole;
    QList<RigctlReply> atOnce;
    const bool wholeFits = whole.feed(stream, &atOnce);

    RigctlReplyReader pieces;
    QList<RigctlReply> inPieces;
    bool piecesFit = true;
    unsigned seed = data[0] | 1u;
    for (qsizetype at = 0; at < stream.size() && piecesFit;) {
        seed = seed * 1103515245u + 12345u;
        const qsizetype length = std::min<qsizetype>(stream.size() - at, 1 + (seed >> 16) % 64);
        piecesFit = pieces.feed(stream.sliced(at, length), &inPieces);
        at += length;
    }

    if (wholeFits != piecesFit)
        fail("the bound was passed in one way of reading and not in the other");
    if (!same(atOnce, inPieces))
        fail("the answers depend on how the stream was split");
    for (const RigctlReply &reply : atOnce) {
        if (!reply.answered)
            fail("an answer read from the stream counts as unanswered");
        if (reply.fields.size() >= RigctlReplyReader::kMaxLines)
            fail("an answer holds more lines than the bound");
        if (reply.describe().isEmpty())
            fail("an answer has no description");
    }
    return 0;
}
