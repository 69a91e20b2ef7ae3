// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "QuitSignals.h"

#include <QSocketNotifier>

#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace tovana::headless {

namespace {

int g_pipe[2] = {-1, -1};
constexpr int kSignals[] = {SIGTERM, SIGINT, SIGHUP};

extern "C" void onSignal(int number)
{
    const int saved = errno;
    const char byte = static_cast<char>(number);
    [[maybe_unused]] const ssize_t written = ::write(g_pipe[1], &byte, 1);
    errno = saved;
}

} // namespace

QuitSignals::QuitSignals(QObject *parent) : QObject(parent)
{
    if (::pipe2(g_pipe, O_CLOEXEC | O_NONBLOCK) != 0)
        return;
    m_notifier = new QSocketNotifier(g_pipe[0], QSocketNotifier::Read, this);
    connect(m_notifier, &QSocketNotifier::activated, this, &QuitSignals::onReadable);
    struct sigaction action {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    for (int number : kSignals)
        sigaction(number, &action, nullptr);
}

QuitSignals::~QuitSignals()
{
    for (int number : kSignals)
        std::signal(number, SIG_DFL);
    delete m_notifier;
    for (int &end : g_pipe) {
        if (end >= 0)
            ::close(end);
        end = -1;
    }
}

void QuitSignals::onReadable()
{
    char byte = 0;
    while (::read(g_pipe[0], &byte, 1) == 1) {
        const int number = static_cast<unsigned char>(byte);
        emit quitRequested(number == SIGTERM  ? QStringLiteral("SIGTERM")
                           : number == SIGINT ? QStringLiteral("SIGINT")
                                              : QStringLiteral("SIGHUP"));
    }
}

} // namespace tovana::headless
