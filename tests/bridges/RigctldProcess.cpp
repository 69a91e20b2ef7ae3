#include "RigctldProcess.h"

#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

namespace {

quint16 freeLoopbackPort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool accepts(quint16 port)
{
    QTcpSocket socket;
    socket.connectToHost(QHostAddress::LocalHost, port);
    return socket.waitForConnected(500);
}

} // namespace

RigctldProcess::RigctldProcess() : m_port(freeLoopbackPort())
{
    m_process.setProcessChannelMode(QProcess::ForwardedErrorChannel);
}

RigctldProcess::~RigctldProcess()
{
    stop();
}

bool RigctldProcess::start()
{
    m_process.start(QStringLiteral("rigctld"), {QStringLiteral("-m"), QStringLiteral("1"), QStringLiteral("-P"),
                                                QStringLiteral("RIG"), QStringLiteral("-T"), QStringLiteral("127.0.0.1"),
                                                QStringLiteral("-t"), QString::number(m_port)});
    if (!m_process.waitForStarted(10000))
        return false;
    return QTest::qWaitFor([this] { return m_process.state() == QProcess::Running && accepts(m_port); }, 10000);
}

void RigctldProcess::stop()
{
    if (m_process.state() == QProcess::NotRunning)
        return;
    m_process.kill();
    m_process.waitForFinished(10000);
}

QString RigctldProcess::run(const QStringList &command, bool *ok) const
{
    QProcess rigctl;
    rigctl.start(QStringLiteral("rigctl"),
                 QStringList{QStringLiteral("-m"), QStringLiteral("2"), QStringLiteral("-r"),
                             QStringLiteral("127.0.0.1:%1").arg(m_port)} + command);
    *ok = rigctl.waitForFinished(20000) && rigctl.exitStatus() == QProcess::NormalExit && rigctl.exitCode() == 0;
    return QString::fromUtf8(rigctl.readAllStandardOutput()).trimmed();
}

bool RigctldProcess::set(const QStringList &command) const
{
    bool ok = false;
    run(command, &ok);
    return ok;
}

QString RigctldProcess::get(const QString &command) const
{
    bool ok = false;
    const QString out = run({command}, &ok);
    return ok ? out : QString();
}
