// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The per-user settings store (application "Tovana2", section "StartUp", and sections of
// their own for newer settings), the only code that touches QSettings. Values are
// strings; an absent key reads as "". Writes collect in
// memory and reach the disk as one atomic file replacement in commit(), so a crash leaves
// either the whole old set or the whole new one. On Linux the file is
// $XDG_CONFIG_HOME/Tovana2/Tovana2.conf (~/.config when unset); on Windows the registry key
// HKCU\Software\VB and VBA Program Settings\Tovana2\StartUp.
// A hand-edited file is read with care: anything that is not a regular file (a FIFO, a
// folder) is neither read nor replaced, and the store runs on nothing but what is saved
// to it in memory; of a [StartUp] key given more than once, the first copy that is a
// value of the key's form counts; a file QSettings cannot fully parse still takes saves.
#pragma once

#include "Store.h"

#include <QHash>
#include <QPair>
#include <QString>
#include <memory>

class QSettings;

namespace tovana {

class SettingsStore : public station::Store {
public:
    SettingsStore();
    ~SettingsStore() override;
    SettingsStore(const SettingsStore &) = delete;
    SettingsStore &operator=(const SettingsStore &) = delete;

    QString GetSetting(const QString &key) const;
    void SaveSetting(const QString &key, const QString &value);
    // The same in another section, such as "Window".
    QString GetSetting(const QString &section, const QString &key) const;
    void SaveSetting(const QString &section, const QString &key, const QString &value);
    // Writes every pending change to disk at once and syncs it; false (with errorString)
    // when the platform refused the write. Refused changes stay pending for the next commit;
    // changes still pending when the store is destroyed are written then.
    bool commit() override;
    QString errorString() const;

    // The station's two calls; an empty text counts as none.
    std::optional<std::string> get(const std::string &section, const std::string &key) const override;
    bool save(const std::string &section, const std::string &key, const std::string &value) override;
    std::string error() const override { return m_error.toStdString(); }

    // The folder that holds the store ($XDG_CONFIG_HOME/Tovana2 on Linux); the serial
    // port links live beneath it.
    static QString configFolder();

private:
    // Opens the file unless it is no regular file (then m_refusal says why).
    void open();
    void takeFirstGoodCopies();
    QString read(const QString &section, const QString &key) const;
    void write(const QString &section, const QString &key, const QString &value);

    std::unique_ptr<QSettings> m_settings; // null while the file is refused
    QString m_refusal;
    QHash<QPair<QString, QString>, QString> m_unsaved; // by section and key, while the file is refused
    QHash<QString, QString> m_firstCopies; // keys given twice in [StartUp] whose first good copy is not QSettings' own
    QString m_error;
};

} // namespace tovana
