// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The simulator's end of the serial line: a raw pseudo-terminal whose slave the monitor
// opens as its port, and optionally the COM<n> link to it in the monitor's port folder.
// The simulator keeps a slave descriptor of its own open, so the master never sees a
// hang-up (and never spins in poll) while the monitor closes and reopens the port; that
// same descriptor lets it end the monitor's exclusive use when the monitor goes. A link
// that is already there is never replaced, and only the link made here is removed.
#pragma once

#include <string>

namespace boardsim {

class Pty {
public:
    Pty() = default;
    ~Pty();
    Pty(const Pty &) = delete;
    Pty &operator=(const Pty &) = delete;

    bool open(std::string *error);
    // Makes the link COM<port> to the slave; fails, saying what is there, when COM<port>
    // already exists.
    bool link(int port, std::string *error);
    // Removes the link made by link() if it still points at this pseudo-terminal.
    void unlink();

    int master() const { return m_master; }
    const std::string &slavePath() const { return m_slavePath; }

    // Readable when another process has closed the slave (-1 where that cannot be
    // watched); then call onSlaveClosed().
    int closeWatch() const { return m_closeWatch; }
    // Ends the exclusive use (TIOCEXCL) its user had set, as the last close of a real port
    // does: a user killed before it could clear the flag would leave the port busy.
    void onSlaveClosed();

private:
    void watchCloses();

    int m_master = -1;
    int m_slave = -1;
    int m_closeWatch = -1;
    std::string m_slavePath;
    std::string m_linkPath;
};

} // namespace boardsim
