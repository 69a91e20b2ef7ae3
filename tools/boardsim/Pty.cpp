// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Pty.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <filesystem>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>
#ifdef __linux__
#include <sys/inotify.h>
#endif

namespace boardsim {

namespace {

std::string portsFolder()
{
    const char *config = std::getenv("XDG_CONFIG_HOME");
    if (config && *config)
        return std::string(config) + "/Tovana2/ports";
    const char *home = std::getenv("HOME");
    return std::string(home ? home : ".") + "/.config/Tovana2/ports";
}

std::string systemError(const std::string &what)
{
    return what + ": " + std::strerror(errno);
}

// What stands at a port link's place, for the message that refuses to replace it.
std::string describeExisting(const std::filesystem::path &path)
{
    namespace fs = std::filesystem;
    std::error_code code;
    if (!fs::is_symlink(fs::symlink_status(path, code)))
        return path.string() + " already exists (not a link)";
    return path.string() + " already links to " + fs::read_symlink(path, code).string();
}

} // namespace

Pty::~Pty()
{
    unlink();
    if (m_closeWatch >= 0)
        ::close(m_closeWatch);
    if (m_slave >= 0)
        ::close(m_slave);
    if (m_master >= 0)
        ::close(m_master);
}

bool Pty::open(std::string *error)
{
    m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) {
        *error = systemError("cannot open a pseudo-terminal");
        return false;
    }
    const char *name = ::ptsname(m_master);
    if (!name) {
        *error = systemError("cannot name the pseudo-terminal");
        return false;
    }
    m_slavePath = name;
    m_slave = ::open(name, O_RDWR | O_NOCTTY);
    if (m_slave < 0) {
        *error = systemError("cannot open " + m_slavePath);
        return false;
    }
    termios raw{};
    ::tcgetattr(m_slave, &raw);
    ::cfmakeraw(&raw);
    ::tcsetattr(m_slave, TCSANOW, &raw);
    ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    watchCloses();
    return true;
}

void Pty::watchCloses()
{
#ifdef __linux__
    // The master hears nothing when the monitor closes the slave (or dies): the simulator's
    // own slave descriptor keeps the line up. The slave's device node tells of every close.
    m_closeWatch = ::inotify_init1(IN_NONBLOCK | IN_CLOEXEC);
    if (m_closeWatch >= 0 && ::inotify_add_watch(m_closeWatch, m_slavePath.c_str(), IN_CLOSE) >= 0)
        return;
    std::fprintf(stderr, "tovana-boardsim: %s\n",
                 systemError("cannot watch " + m_slavePath +
                             " for its user leaving; a user killed "
                             "while it holds the port will leave the port busy")
                     .c_str());
    if (m_closeWatch >= 0)
        ::close(m_closeWatch);
    m_closeWatch = -1;
#endif
}

void Pty::onSlaveClosed()
{
#ifdef __linux__
    alignas(inotify_event) char events[4096];
    while (::read(m_closeWatch, events, sizeof events) > 0) {
    }
#endif
    // The line has one user, the monitor: once it has closed the port, nobody holds it.
    ::ioctl(m_slave, TIOCNXCL);
}

bool Pty::link(int port, std::string *error)
{
    namespace fs = std::filesystem;
    const fs::path folder = portsFolder();
    const fs::path path = folder / ("COM" + std::to_string(port));
    std::error_code code;
    fs::create_directories(folder, code);
    if (code) {
        *error = "cannot make " + folder.string() + ": " + code.message();
        return false;
    }
    // Whatever is there (the operator's link to a USB adapter, another simulator's) stays:
    // the simulator never takes a port it did not make.
    fs::create_symlink(m_slavePath, path, code);
    if (code == std::errc::file_exists) {
        *error = "port COM" + std::to_string(port) + " is taken: " + describeExisting(path) +
                 "; it stays as it is. Choose another port with --port";
        return false;
    }
    if (code) {
        *error = "cannot link " + path.string() + ": " + code.message();
        return false;
    }
    m_linkPath = path.string();
    return true;
}

void Pty::unlink()
{
    if (m_linkPath.empty())
        return;
    std::error_code code;
    if (std::filesystem::read_symlink(m_linkPath, code) == m_slavePath)
        std::filesystem::remove(m_linkPath, code);
    m_linkPath.clear();
}

} // namespace boardsim
