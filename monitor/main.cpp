// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana: the station monitor. Shows the main window; the window does the rest. With
// --headless it runs the same station with no window, on the MQTT broker alone. Either way
// the station goes on the broker when the "Network" settings (or their options) name one.
//
// Demo and testing aid: with TOVANA_SCREENSHOT=<file.png> the program saves a picture of
// its main window after TOVANA_SCREENSHOT_AFTER milliseconds (default 2000), prints the
// file's path and ends as if the window had been closed. With TOVANA_CLICK=<objectName>
// it clicks that button of the main window once, right after the first activation (the
// offscreen demo turns band following on this way, where nobody can click "On").
#include "CommandLine.h"
#include "GaugeIcon.h"
#include "HeadlessStation.h"
#include "NetworkOptions.h"
#include "StationNetwork.h"
#include "StationPublisher.h"
#include "frmMonitor.h"

#include <QAbstractButton>
#include <QApplication>
#include <QTimer>
#include <cstdio>
#include <memory>

namespace {

void scheduleScreenshot(tovana::frmMonitor *window)
{
    const QString file = qEnvironmentVariable("TOVANA_SCREENSHOT");
    if (file.isEmpty())
        return;
    bool ok = false;
    int after = qEnvironmentVariableIntValue("TOVANA_SCREENSHOT_AFTER", &ok);
    if (!ok || after < 0)
        after = 2000;
    QTimer::singleShot(after, window, [window, file] {
        if (window->grab().save(file))
            std::printf("%s\n", qPrintable(file));
        else
            std::fprintf(stderr, "tovana: could not write the screenshot %s\n", qPrintable(file));
        std::fflush(stdout);
        window->close();
    });
}

void scheduleClick(tovana::frmMonitor *window)
{
    const QString name = qEnvironmentVariable("TOVANA_CLICK");
    if (name.isEmpty())
        return;
    QTimer::singleShot(0, window, [window, name] {
        if (auto *button = window->findChild<QAbstractButton *>(name))
            button->click();
        else
            std::fprintf(stderr, "tovana: no button named %s to click\n", qPrintable(name));
    });
}

void describeCommandLine(QCommandLineParser &parser)
{
    parser.setApplicationDescription(
        QStringLiteral("Station monitor and control panel: eight gauges fed by the ADC board, twelve relay\n"
                       "buttons and a band switch, on the serial port chosen in the setup dialog.\n"
                       "Settings: $XDG_CONFIG_HOME/Tovana2/Tovana2.conf (default ~/.config/Tovana2/Tovana2.conf)."));
    cli::addStandardOptions(parser);
    parser.addOption(QCommandLineOption(
        QStringLiteral("headless"),
        QStringLiteral("Run the station with no window: the board, band following and the hold, seen and "
                       "switched through the MQTT broker, a log line per event on stderr.")));
    tovana::network::addNetworkOptions(parser);
    // As Qt reads its own options: -platform, -style, ... are words after one dash.
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);
}

// The options QApplication takes for itself.
QStringList qtOwnOptions()
{
    return {QStringLiteral("platform"),      QStringLiteral("platformpluginpath"),
            QStringLiteral("platformtheme"), QStringLiteral("plugin"),
            QStringLiteral("qmljsdebugger"), QStringLiteral("qwindowgeometry"),
            QStringLiteral("qwindowicon"),   QStringLiteral("qwindowtitle"),
            QStringLiteral("reverse"),       QStringLiteral("session"),
            QStringLiteral("display"),       QStringLiteral("geometry"),
            QStringLiteral("style"),         QStringLiteral("stylesheet"),
            QStringLiteral("widgetcount"),   QStringLiteral("nograb"),
            QStringLiteral("dograb"),        QStringLiteral("sync")};
}

// Without one, Qt would end the program by abort with a message about its platform plugin.
bool hasDisplay(const QCommandLineParser &parser)
{
    return qEnvironmentVariableIsSet("QT_QPA_PLATFORM") || qEnvironmentVariableIsSet("DISPLAY") ||
           qEnvironmentVariableIsSet("WAYLAND_DISPLAY") ||
           parser.unknownOptionNames().contains(QStringLiteral("platform"));
}

// The panel and the broker are two views of one station: a click is published, a command
// shows on the panel.
std::unique_ptr<tovana::network::StationPublisher> startNetwork(const QCommandLineParser &parser,
                                                                tovana::frmMonitor &window)
{
    const tovana::network::StationNetwork network = tovana::network::stationNetwork(&parser);
    for (const QString &problem : network.problems)
        std::fprintf(stderr, "tovana: %s\n", qPrintable(problem));
    if (!network.usable())
        return {};
    auto publisher = std::make_unique<tovana::network::StationPublisher>(
        *window.host(), network.settings, QString::fromStdString(tovana::network::localHostName()),
        QApplication::applicationVersion());
    const auto log = [](const QString &line) { std::fprintf(stderr, "tovana: %s\n", qPrintable(line)); };
    QObject::connect(publisher.get(), &tovana::network::StationPublisher::logLine, log);
    QObject::connect(&publisher->connection(), &tovana::network::MqttConnection::problem, log);
    publisher->start();
    return publisher;
}

} // namespace

int main(int argc, char **argv)
{
    QApplication::setApplicationName("Tovana");
    QApplication::setApplicationVersion(TOVANA_VERSION);
    QCommandLineParser parser;
    describeCommandLine(parser);
    // The command line is answered before the window system starts where it can be, so that
    // --help, --version and a bad option work with no display at all.
    QStringList raw;
    for (int i = 0; i < argc; ++i)
        raw << QString::fromLocal8Bit(argv[i]);
    parser.parse(raw);
    if (parser.isSet(QStringLiteral("headless")))
        return tovana::headless::runHeadless(parser, argc, argv);
    if (cli::answerBeforeToolkit(parser, raw, qtOwnOptions())) {
        QCoreApplication app(argc, argv);
        return cli::answer(parser, app.arguments(), false, qtOwnOptions()).value_or(0);
    }
    if (!hasDisplay(parser)) {
        std::fprintf(stderr, "tovana: no display to show the window on (DISPLAY and WAYLAND_DISPLAY are unset)\n");
        return 1;
    }

    QApplication app(argc, argv);
    if (const auto status = cli::answer(parser, app.arguments()))
        return *status;
    QGuiApplication::setDesktopFileName(QStringLiteral("org.tethra.Tovana"));
    QApplication::setWindowIcon(gaugeWindowIcon());

    tovana::frmMonitor window;
    const auto network = startNetwork(parser, window);
    window.show();
    scheduleClick(&window);
    scheduleScreenshot(&window);
    return app.exec();
}
