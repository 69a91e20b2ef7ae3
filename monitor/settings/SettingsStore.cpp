// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SettingsStore.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStringList>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <unistd.h>
#endif

namespace tovana {
namespace {

const QString kApplication = QStringLiteral("Tovana2");
const QString kSection = QStringLiteral("StartUp");

std::unique_ptr<QSettings> openSettings()
{
#ifdef Q_OS_WIN
    // Where the platform's GetSetting/SaveSetting keep it, so old settings carry over.
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + kApplication,
        QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(
        SettingsStore::configFolder() + u'/' + kApplication + QStringLiteral(".conf"),
        QSettings::IniFormat);
#endif
    settings->beginGroup(kSection);
    return settings;
}

#ifdef Q_OS_UNIX
// The file itself is synced before it replaces the old one; syncing the folder makes the
// replacement survive a power loss too.
void syncFolder(const QString &folder)
{
    const int fd = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (fd >= 0) {
        ::fsync(fd);
        ::close(fd);
    }
}
#endif

} // namespace

SettingsStore::SettingsStore()
    : m_settings(openSettings())
{
    // QSettings shares one parsed copy per file within the process; this re-reads it when
    // the file changed on disk since.
    m_settings->sync();
}

SettingsStore::~SettingsStore() = default;

QString SettingsStore::GetSetting(const QString &key) const
{
    const QVariant value = m_settings->value(key);
    // A hand-edited INI value with unquoted commas ("9600,N,8,1") parses as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SettingsStore::SaveSetting(const QString &key, const QString &value)
{
    m_settings->setValue(key, value);
}

// The store stays in [StartUp] between calls; another section is visited and left.
QString SettingsStore::GetSetting(const QString &section, const QString &key) const
{
    m_settings->endGroup();
    m_settings->beginGroup(section);
    const QString value = GetSetting(key);
    m_settings->endGroup();
    m_settings->beginGroup(kSection);
    return value;
}

void SettingsStore::SaveSetting(const QString &section, const QString &key, const QString &value)
{
    m_settings->endGroup();
    m_settings->beginGroup(section);
    SaveSetting(key, value);
    m_settings->endGroup();
    m_settings->beginGroup(kSection);
}

bool SettingsStore::commit()
{
    // QSettings keeps its first error for good; a fresh one (sharing the pending changes
    // of this file) lets a commit succeed once the cause is gone.
    if (m_settings->status() != QSettings::NoError)
        m_settings = openSettings();
    m_error.clear();
#ifndef Q_OS_WIN
    const QString folder = configFolder();
    if (!QDir().mkpath(folder)) {
        m_error = QStringLiteral("Cannot create the settings folder %1").arg(folder);
        return false;
    }
#endif
    m_settings->sync();
    const QSettings::Status status = m_settings->status();
    if (status != QSettings::NoError) {
        const QString where = QDir::toNativeSeparators(m_settings->fileName());
        m_error = status == QSettings::AccessError
                ? QStringLiteral("Cannot write the settings to %1").arg(where)
                : QStringLiteral("The settings in %1 are not in a readable format").arg(where);
        return false;
    }
#ifdef Q_OS_UNIX
    syncFolder(folder);
#endif
    return true;
}

QString SettingsStore::errorString() const
{
    return m_error;
}

QString SettingsStore::configFolder()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + u'/' + kApplication;
}

} // namespace tovana
