// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "TempConfigHome.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSettings>
#include <atomic>
#include <sys/stat.h>

namespace {
std::atomic<int> g_serial{0};
}

TempConfigHome::TempConfigHome()
    : m_dir(QDir::tempPath() + QStringLiteral("/tovana-config-XXXXXX"))
    , m_previous(qgetenv("XDG_CONFIG_HOME"))
    , m_hadPrevious(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
{
    if (!m_dir.isValid())
        qFatal("TempConfigHome: cannot create a temporary folder: %s", qPrintable(m_dir.errorString()));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(m_dir.path()));
}

TempConfigHome::~TempConfigHome()
{
    if (m_hadPrevious)
        qputenv("XDG_CONFIG_HOME", m_previous);
    else
        qunsetenv("XDG_CONFIG_HOME");
}

QString TempConfigHome::path() const
{
    return m_dir.path();
}

QString TempConfigHome::storeFile() const
{
    return m_dir.path() + QStringLiteral("/Tovana2/Tovana2.conf");
}

QMap<QString, QString> TempConfigHome::readStore(const QString &section) const
{
    QMap<QString, QString> keys;
    if (!QFile::exists(storeFile()))
        return keys;
    // QSettings shares one parsed copy per path within a process; a copy under a name never
    // used before is parsed afresh from the bytes on disk.
    const QString snapshot = m_dir.path() + QStringLiteral("/snapshot-%1.conf").arg(g_serial++);
    if (!QFile::copy(storeFile(), snapshot))
        qFatal("TempConfigHome: cannot copy %s", qPrintable(storeFile()));
    {
        QSettings ini(snapshot, QSettings::IniFormat);
        ini.beginGroup(section);
        for (const QString &key : ini.childKeys()) {
            const QVariant value = ini.value(key);
            keys.insert(key,
                        value.typeId() == QMetaType::QStringList ? value.toStringList().join(u',') : value.toString());
        }
    }
    QFile::remove(snapshot);
    return keys;
}

QByteArray TempConfigHome::storeBytes() const
{
    QFile file(storeFile());
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

void TempConfigHome::writeStore(const QByteArray &iniText) const
{
    QDir().mkpath(m_dir.path() + QStringLiteral("/Tovana2"));
    QFile file(storeFile());
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(iniText) != iniText.size())
        qFatal("TempConfigHome: cannot write %s", qPrintable(storeFile()));
    file.flush();
    file.setFileTime(QDateTime::fromSecsSinceEpoch(1000000000 + g_serial++), QFileDevice::FileModificationTime);
}

TempConfigHome::Stamp TempConfigHome::storeStamp() const
{
    struct stat info {};
    if (::stat(QFile::encodeName(storeFile()).constData(), &info) != 0)
        return {};
    return {static_cast<quint64>(info.st_ino),
            static_cast<qint64>(info.st_mtim.tv_sec) * 1000000000 + info.st_mtim.tv_nsec};
}
