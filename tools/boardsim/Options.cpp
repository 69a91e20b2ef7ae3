// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Options.h"

#include <cstdlib>
#include <string_view>

namespace boardsim {

namespace {

const char kHelp[] = "Usage: tovana-boardsim [options]\n"
                     "Simulates the ADC board and the relay board of the station monitor on a\n"
                     "pseudo-terminal and links it as $XDG_CONFIG_HOME/Tovana2/ports/COM<n>.\n"
                     "Prints \"ready <slave path>\" once the port can be opened, then one line per relay\n"
                     "change (\"relay 13 on\") and, when relays 13..16 change, the band code\n"
                     "(\"band code 1010 (20 m)\"). Ctrl-C, SIGTERM or SIGHUP removes the link and exits.\n"
                     "\n"
                     "  --port N            link as COM<N> (default 1); refused when COM<N> exists\n"
                     "  --no-link           make no link; only print the slave path\n"
                     "  --channel C=WAVE    what channel C (1..8) reads; WAVE is one of\n"
                     "                        const:V        always V (0..255)\n"
                     "                        ramp:PERIOD    0 up to 255, again every PERIOD\n"
                     "                        sine:PERIOD    0..255 around 127.5\n"
                     "                        noise          uniform random 0..255\n"
                     "                      PERIOD as 5s, 250ms or 2.5 (seconds).\n"
                     "                      Default: channel C reads const:16*C.\n"
                     "  --baud B            pace the line at B baud (1200..19200, 10 bits a byte):\n"
                     "                      a reply arrives no earlier than the query's and the\n"
                     "                      reply's own line time\n"
                     "Faults:\n"
                     "  --silent            never answer a query\n"
                     "  --late MS           answer every query MS milliseconds late\n"
                     "  --double RATE       send a reply twice with probability RATE (0..1)\n"
                     "  --drop RATE         leave a query unanswered with probability RATE (0..1)\n"
                     "  --stray PER_SECOND  send random stray bytes, PER_SECOND on average\n"
                     "  --heal-after S      the faults end S seconds after start (0.5, 30, ...)\n"
                     "  --seed N            seed of the random faults and noise (default 1)\n"
                     "  -h, --help          show this help\n"
                     "  -v, --version       show the version\n";

bool toInt(std::string_view text, int low, int high, int *value)
{
    const std::string copy(text);
    char *end = nullptr;
    const long parsed = std::strtol(copy.c_str(), &end, 10);
    if (copy.empty() || *end != '\0' || parsed < low || parsed > high)
        return false;
    *value = static_cast<int>(parsed);
    return true;
}

bool toReal(std::string_view text, double low, double high, double *value)
{
    const std::string copy(text);
    char *end = nullptr;
    const double parsed = std::strtod(copy.c_str(), &end);
    if (copy.empty() || *end != '\0' || !(parsed >= low && parsed <= high))
        return false;
    *value = parsed;
    return true;
}

bool parseChannel(std::string_view text, Options *options)
{
    const std::size_t equals = text.find('=');
    int channel = 0;
    if (equals == std::string_view::npos || !toInt(text.substr(0, equals), 1, 8, &channel))
        return false;
    return Waveform::parse(std::string(text.substr(equals + 1)),
                           &options->channels[static_cast<std::size_t>(channel - 1)]);
}

} // namespace

std::optional<Options> parseOptions(int argc, char **argv, std::string *message, int *exitCode)
{
    Options options;
    for (std::size_t c = 0; c < options.channels.size(); ++c)
        options.channels[c].value = 16 * static_cast<int>(c + 1);

    const auto fail = [&](const std::string &why) -> std::optional<Options> {
        *message = "tovana-boardsim: " + why +
                   "\nUsage: tovana-boardsim [options]\n"
                   "Try 'tovana-boardsim --help' for more information.\n";
        *exitCode = 2;
        return std::nullopt;
    };
    for (int i = 1; i < argc; ++i) {
        const std::string_view option = argv[i];
        if (option == "--help" || option == "-h") {
            *message = kHelp;
            *exitCode = 0;
            return std::nullopt;
        }
        if (option == "--version" || option == "-v") {
            *message = "tovana-boardsim " TOVANA_VERSION "\n";
            *exitCode = 0;
            return std::nullopt;
        }
        if (option == "--no-link") {
            options.makeLink = false;
            continue;
        }
        if (option == "--silent") {
            options.silent = true;
            continue;
        }
        if (i + 1 >= argc)
            return fail("unknown option or missing value: " + std::string(option));
        const std::string_view value = argv[++i];
        bool ok = false;
        if (option == "--port")
            ok = toInt(value, 1, 255, &options.port);
        else if (option == "--channel")
            ok = parseChannel(value, &options);
        else if (option == "--baud")
            ok = toInt(value, 1200, 19200, &options.baud);
        else if (option == "--late")
            ok = toInt(value, 0, 600000, &options.lateMs);
        else if (option == "--double")
            ok = toReal(value, 0, 1, &options.doubleRate);
        else if (option == "--drop")
            ok = toReal(value, 0, 1, &options.dropRate);
        else if (option == "--stray")
            ok = toReal(value, 0, 10000, &options.strayPerSecond);
        else if (option == "--heal-after")
            ok = toReal(value, 0.001, 86400, &options.healAfterS);
        else if (option == "--seed") {
            int parsed = 0;
            ok = toInt(value, 0, 2147483647, &parsed);
            options.seed = static_cast<unsigned>(parsed);
        } else
            return fail("unknown option: " + std::string(option));
        if (!ok)
            return fail("bad value for " + std::string(option) + ": " + std::string(value));
    }
    return options;
}

} // namespace boardsim
