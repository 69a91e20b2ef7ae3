// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-boardsim: the station's ADC and relay boards on a pseudo-terminal. One thread,
// one poll() loop: it sleeps until the monitor sends a byte or closes the port, a reply
// falls due or a signal asks it to stop.
#include "Board.h"
#include "Options.h"
#include "Pty.h"

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <fcntl.h>
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 0;
    [[maybe_unused]] const auto written = ::write(g_signalPipe[1], &byte, 1);
}

bool installSignalHandlers()
{
    if (::pipe(g_signalPipe) != 0)
        return false;
    ::fcntl(g_signalPipe[1], F_SETFL, O_NONBLOCK);
    struct sigaction action {};
    action.sa_handler = onSignal;
    ::sigemptyset(&action.sa_mask);
    ::sigaction(SIGINT, &action, nullptr);
    ::sigaction(SIGTERM, &action, nullptr);
    // A closed terminal too: the link must not outlive the simulator, as the next one on
    // that port would refuse it.
    ::sigaction(SIGHUP, &action, nullptr);
    ::signal(SIGPIPE, SIG_IGN);
    return true;
}

// Timers wake a sleeping process a tenth of a millisecond late or more on a busy or virtual
// machine, which would stretch every paced reply well beyond its line time. So the poll
// returns this much before a reply is due, and the last stretch is waited out on the clock.
constexpr auto kPreciseWindow = std::chrono::microseconds(200);

timespec timeoutUntil(boardsim::Clock::time_point due, boardsim::Clock::time_point now)
{
    const auto left = std::chrono::duration_cast<std::chrono::nanoseconds>(
        std::max(due - now - kPreciseWindow, boardsim::Clock::duration::zero()));
    return {static_cast<time_t>(left.count() / 1000000000), static_cast<long>(left.count() % 1000000000)};
}

// Serves the line until a signal arrives. False on an I/O failure of the pseudo-terminal.
bool serve(boardsim::Pty &pty, boardsim::Board &board)
{
    pollfd fds[3] = {{pty.master(), POLLIN, 0}, {g_signalPipe[0], POLLIN, 0}, {pty.closeWatch(), POLLIN, 0}};
    for (;;) {
        const auto due = board.nextDue();
        const timespec timeout = due ? timeoutUntil(*due, boardsim::Clock::now()) : timespec{};
        const int ready = ::ppoll(fds, 3, due ? &timeout : nullptr, nullptr);
        if (ready < 0 && errno != EINTR) {
            std::perror("tovana-boardsim: poll");
            return false;
        }
        if (fds[1].revents & POLLIN)
            return true;
        if (fds[2].revents & POLLIN)
            pty.onSlaveClosed();
        if (fds[0].revents & POLLIN) {
            unsigned char bytes[256];
            const ssize_t count = ::read(pty.master(), bytes, sizeof bytes);
            if (count < 0 && errno != EAGAIN && errno != EINTR) {
                std::perror("tovana-boardsim: read");
                return false;
            }
            const auto now = boardsim::Clock::now();
            for (ssize_t i = 0; i < count; ++i)
                board.receive(bytes[i], now);
            board.endOfBatch();
        }
        const std::string out = board.takeDue(boardsim::Clock::now());
        // A full slave buffer (nobody reading) drops replies, as a real line would.
        if (!out.empty() && ::write(pty.master(), out.data(), out.size()) < 0 && errno != EAGAIN) {
            std::perror("tovana-boardsim: write");
            return false;
        }
    }
}

} // namespace

int main(int argc, char **argv)
{
    std::string message;
    int exitCode = 0;
    const auto options = boardsim::parseOptions(argc, argv, &message, &exitCode);
    if (!options) {
        std::fputs(message.c_str(), exitCode == 0 ? stdout : stderr);
        return exitCode;
    }
    if (!installSignalHandlers()) {
        std::perror("tovana-boardsim: pipe");
        return 1;
    }
#ifdef __linux__
    // Replies are paced in fractions of a millisecond; the default 50 us timer slack
    // would add to every one of them.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    boardsim::Pty pty;
    std::string error;
    if (!pty.open(&error) || (options->makeLink && !pty.link(options->port, &error))) {
        std::fprintf(stderr, "tovana-boardsim: %s\n", error.c_str());
        return 1;
    }
    std::printf("ready %s\n", pty.slavePath().c_str());
    std::fflush(stdout);

    boardsim::Board board(*options, stdout, boardsim::Clock::now());
    return serve(pty, board) ? 0 : 1;
}
