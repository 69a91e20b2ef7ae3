// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "PrivateBus.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QXmlStreamReader>

#include <csignal>
#include <cstdio>

#include <sys/prctl.h>

namespace {

// The limits the system's session bus runs with (a message may be as large as the protocol
// allows, for one), from its own configuration; empty when it cannot be read.
QString sessionLimits()
{
    QFile file(QStringLiteral("/usr/share/dbus-1/session.conf"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString limits;
    QXmlStreamReader xml(&file);
    while (!xml.atEnd()) {
        if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == QLatin1String("limit")) {
            const QString name = xml.attributes().value(QLatin1String("name")).toString();
            limits += QStringLiteral("  <limit name=\"%1\">%2</limit>\n").arg(name, xml.readElementText().trimmed());
        }
    }
    return limits;
}

QString configuration(const QString &socketDir, const QString &serviceDir, const QString &session,
                      const QMap<QString, int> &limits, PrivateBus::Changes changes)
{
    // The session's limits first, so that the fixture's own and the test's come after and win.
    QString extra = session + QStringLiteral("  <limit name=\"service_start_timeout\">60000</limit>\n");
    for (auto it = limits.begin(); it != limits.end(); ++it)
        extra += QStringLiteral("  <limit name=\"%1\">%2</limit>\n").arg(it.key()).arg(it.value());
    const QString withheld =
        changes == PrivateBus::Changes::Withheld
            ? QStringLiteral("    <deny receive_type=\"signal\" receive_interface=\"org.freedesktop.DBus.Properties\"\n"
                             "          receive_member=\"PropertiesChanged\"/>\n")
            : QString();
    return QStringLiteral("<!DOCTYPE busconfig PUBLIC \"-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN\"\n"
                          " \"http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd\">\n"
                          "<busconfig>\n"
                          "  <type>session</type>\n"
                          "  <keep_umask/>\n"
                          "  <listen>unix:dir=%1</listen>\n"
                          "  <servicedir>%2</servicedir>\n"
                          "  <policy context=\"default\">\n"
                          "    <allow send_destination=\"*\" eavesdrop=\"true\"/>\n"
                          "    <allow eavesdrop=\"true\"/>\n"
                          "    <allow own=\"*\"/>\n"
                          "%4"
                          "  </policy>\n"
                          "%3"
                          "</busconfig>\n")
        .arg(socketDir, serviceDir, extra, withheld);
}

// The build tree: from the environment, or else the nearest folder above the test binary
// that holds dbus-services.
QString buildDirectory()
{
    const QString fromEnvironment = qEnvironmentVariable("TOVANA_BUILD_DIR");
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    QDir dir(QCoreApplication::applicationDirPath());
    while (!dir.exists(QStringLiteral("dbus-services")) && dir.cdUp()) {
    }
    return dir.path();
}

} // namespace

PrivateBus::PrivateBus(const QMap<QString, int> &limits, Changes changes)
{
    const QString buildDir = buildDirectory();
    const QString configPath = m_dir.filePath(QStringLiteral("session.conf"));
    const QString session = sessionLimits();
    if (session.isEmpty()) {
        std::fprintf(stderr,
                     "PrivateBus: the session bus's limits could not be read from /usr/share/dbus-1/session.conf\n");
        return;
    }
    QFile config(configPath);
    if (!m_dir.isValid() || !config.open(QIODevice::WriteOnly))
        return;
    config.write(
        configuration(m_dir.path(), QDir(buildDir).filePath(QStringLiteral("dbus-services")), session, limits, changes)
            .toUtf8());
    config.close();

    m_daemon.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    // A test that crashes must not leave its daemon holding ctest's pipe open: the crash would
    // then be reported as a two-minute timeout.
    m_daemon.setChildProcessModifier([] { ::prctl(PR_SET_PDEATHSIG, SIGTERM); });
    m_daemon.start(QStringLiteral("dbus-daemon"), {QStringLiteral("--config-file=") + configPath,
                                                   QStringLiteral("--nofork"), QStringLiteral("--print-address=1")});
    // The daemon prints its address once it listens.
    const QDeadlineTimer deadline(30000);
    QByteArray line;
    while (!line.contains('\n') && !deadline.hasExpired() && m_daemon.state() != QProcess::NotRunning) {
        m_daemon.waitForReadyRead(int(deadline.remainingTime()));
        line += m_daemon.readAllStandardOutput();
    }
    m_address = QString::fromUtf8(line).trimmed();
}

PrivateBus::~PrivateBus()
{
    for (const QString &name : std::as_const(m_connectionNames))
        QDBusConnection::disconnectFromBus(name);
    if (m_daemon.state() != QProcess::NotRunning) {
        m_daemon.terminate();
        if (!m_daemon.waitForFinished(5000)) {
            m_daemon.kill();
            m_daemon.waitForFinished(5000);
        }
    }
}

QDBusConnection PrivateBus::connect(const QString &name) const
{
    // Names are process-wide in Qt; make them unique per bus so tests never share one.
    const QString unique = name + QLatin1Char('@') + m_address;
    m_connectionNames << unique;
    return QDBusConnection::connectToBus(m_address, unique);
}

QProcessEnvironment PrivateBus::environment() const
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(QStringLiteral("DBUS_SESSION_BUS_ADDRESS"), m_address);
    return env;
}
