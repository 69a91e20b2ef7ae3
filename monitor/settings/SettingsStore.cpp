// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "SettingsStore.h"

#include "IniSection.h"
#include "KeyCatalogue.h"

#include <QDir>
#include <QFileInfo>
#include <QSet>
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

QString storeFile()
{
    return SettingsStore::configFolder() + u'/' + kApplication + QStringLiteral(".conf");
}

// Why the store's file cannot be used, or "" (a missing file is fine: the first save makes
// it). Opening a FIFO would wait for a writer for ever; a folder or a device is no store.
QString refusalOf([[maybe_unused]] const QString &path)
{
#ifdef Q_OS_WIN
    return {};
#else
    const QFileInfo info(path);
    if (!info.exists() || info.isFile())
        return {};
    return QStringLiteral("%1 is not a regular file, so the settings are neither read from it nor saved to it")
        .arg(QDir::toNativeSeparators(path));
#endif
}

std::unique_ptr<QSettings> openSettings()
{
#ifdef Q_OS_WIN
    // Where the platform's GetSetting/SaveSetting keep it, so old settings carry over.
    auto settings = std::make_unique<QSettings>(
        QStringLiteral("HKEY_CURRENT_USER\\Software\\VB and VBA Program Settings\\") + kApplication,
        QSettings::NativeFormat);
#else
    auto settings = std::make_unique<QSettings>(storeFile(), QSettings::IniFormat);
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
{
    open();
}

SettingsStore::~SettingsStore() = default;

void SettingsStore::open()
{
    m_refusal = refusalOf(storeFile());
    if (!m_refusal.isEmpty())
        return;
    m_settings = openSettings();
    // QSettings shares one parsed copy per file within the process; this re-reads it when
    // the file changed on disk since.
    m_settings->sync();
    // Every section is parsed now, so the format errors of a damaged file are those of this
    // reading and do not come back as the failure of every save (see commit()).
    m_settings->endGroup();
    m_settings->allKeys();
    m_settings->beginGroup(kSection);
    takeFirstGoodCopies();
}

// QSettings keeps the last copy of a key given twice; a hand-edited file whose later copy
// is nonsense would then lose the good value to the default at the next save.
void SettingsStore::takeFirstGoodCopies()
{
#ifndef Q_OS_WIN
    QFile file(m_settings->fileName());
    if (!file.open(QIODevice::ReadOnly))
        return;
    const QList<std::pair<QString, QString>> entries = iniSectionEntries(file.readAll(), kSection);
    QHash<QString, int> copies;
    for (const auto &entry : entries)
        ++copies[entry.first];
    QSet<QString> decided;
    for (const auto &[key, value] : entries) {
        if (copies.value(key) < 2 || decided.contains(key) ||
            !station::storedTextConverts(key.toStdString(), value.toStdString()))
            continue;
        decided.insert(key);
        if (value != GetSetting(key))
            m_firstCopies.insert(key, value);
    }
#endif
}

QString SettingsStore::GetSetting(const QString &key) const
{
    if (const auto first = m_firstCopies.constFind(key); first != m_firstCopies.cend())
        return *first;
    return read(kSection, key);
}

void SettingsStore::SaveSetting(const QString &key, const QString &value)
{
    m_firstCopies.remove(key);
    write(kSection, key, value);
}

QString SettingsStore::GetSetting(const QString &section, const QString &key) const
{
    return section == kSection ? GetSetting(key) : read(section, key);
}

void SettingsStore::SaveSetting(const QString &section, const QString &key, const QString &value)
{
    if (section == kSection)
        SaveSetting(key, value);
    else
        write(section, key, value);
}

// The store stays in [StartUp] between calls; another section is visited and left.
QString SettingsStore::read(const QString &section, const QString &key) const
{
    if (!m_settings)
        return m_unsaved.value({section, key});
    if (section != kSection) {
        m_settings->endGroup();
        m_settings->beginGroup(section);
    }
    const QVariant value = m_settings->value(key);
    if (section != kSection) {
        m_settings->endGroup();
        m_settings->beginGroup(kSection);
    }
    // A hand-edited INI value with unquoted commas ("9600,N,8,1") parses as a list.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(u',');
    return value.toString();
}

void SettingsStore::write(const QString &section, const QString &key, const QString &value)
{
    if (!m_settings) {
        m_unsaved.insert({section, key}, value);
        return;
    }
    if (section != kSection) {
        m_settings->endGroup();
        m_settings->beginGroup(section);
    }
    m_settings->setValue(key, value);
    if (section != kSection) {
        m_settings->endGroup();
        m_settings->beginGroup(kSection);
    }
}

bool SettingsStore::commit()
{
    m_error.clear();
    if (const QString refusal = refusalOf(storeFile()); !refusal.isEmpty()) {
        m_error = refusal;
        return false;
    }
    if (!m_settings) {
        // The file refused before has been put right since: what was saved meanwhile goes in.
        open();
        for (auto it = m_unsaved.cbegin(); it != m_unsaved.cend(); ++it)
            SaveSetting(it.key().first, it.key().second, it.value());
        m_unsaved.clear();
    }
    // The first good copies of duplicated keys are what the file keeps from now on.
    for (auto it = m_firstCopies.cbegin(); it != m_firstCopies.cend(); ++it)
        m_settings->setValue(it.key(), it.value());
    m_firstCopies.clear();
    // QSettings keeps its first error for good; a fresh one (sharing the pending changes
    // of this file) lets a commit succeed once the cause is gone.
    if (m_settings->status() != QSettings::NoError)
        m_settings = openSettings();
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

std::optional<std::string> SettingsStore::get(const std::string &section, const std::string &key) const
{
    const QString text = GetSetting(QString::fromStdString(section), QString::fromStdString(key));
    return text.isEmpty() ? std::nullopt : std::optional<std::string>(text.toStdString());
}

bool SettingsStore::save(const std::string &section, const std::string &key, const std::string &value)
{
    SaveSetting(QString::fromStdString(section), QString::fromStdString(key), QString::fromStdString(value));
    return true;
}

QString SettingsStore::configFolder()
{
    QString home = qEnvironmentVariable("XDG_CONFIG_HOME");
    if (home.isEmpty())
        home = QDir::homePath() + QStringLiteral("/.config");
    return home + u'/' + kApplication;
}

} // namespace tovana
