// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// The settings file as anyone may have edited it, read as the monitor reads it at each
// activation: seeding, loading (numbers with a point or a comma, Booleans, values QSettings
// splits at commas and the store joins again, the port settings string), saving. Every text
// form that converts must convert again from what it is written as, and one load-and-save
// must be a fixed point: a second one writes the same texts.
// Input: the bytes of the file.
#include "IniSection.h"
#include "KeyCatalogue.h"
#include "PortSettings.h"
#include "Preferences.h"
#include "SettingsStore.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace tovana;

namespace {

QString g_home;  // the fuzzer's own config home

void fail(const char *what, const QString &detail = {})
{
    std::fprintf(stderr, "fuzz_settings_text: %s %s\n", what, qUtf8Printable(detail));
    std::abort();
}

// What a text of one form reads as, written back in that form; "" when it does not convert.
QString rewritten(TextForm form, const QString &text)
{
    QString textValue;
    int integer = 0;
    double real = 0;
    std::uint32_t colour = 0;
    bool boolean = false;
    FieldRef field = &textValue;
    switch (form) {
    case TextForm::Text: field = &textValue; break;
    case TextForm::Integer16: field = &integer; break;
    case TextForm::Double:
    case TextForm::Single: field = &real; break;
    case TextForm::Colour: field = &colour; break;
    case TextForm::Boolean: field = &boolean; break;
    }
    return parseField(form, text, field) ? formatField(form, field) : QString();
}

void checkTextForms(const QString &text)
{
    for (TextForm form : {TextForm::Text, TextForm::Integer16, TextForm::Double, TextForm::Single, TextForm::Colour,
                          TextForm::Boolean}) {
        const QString once = rewritten(form, text);
        if (once.isEmpty())
            continue;
        if (rewritten(form, once) != once)
            fail("a text form does not survive being written and read again:", text);
    }
    bool boolean = false;
    if (parseBool(text, &boolean)
        && text.trimmed().compare(boolean ? QLatin1String("True") : QLatin1String("False"), Qt::CaseInsensitive) != 0)
        fail("a text reads as the wrong Boolean:", text);
}

// Seeds, loads and saves the store as an activation and a save do, and returns every text
// the save wrote.
QMap<QString, QString> loadAndSave()
{
    SettingsStore store;
    RegInit(store, SeedValues{});
    const Preferences prefs = GetPreferences(store, WindowPosition{});
    QString why;
    PortSettings::parse(prefs.port.settings, &why);
    std::array<Scale, kMeterCount> scales;
    for (int i = 0; i < kMeterCount; ++i)
        scales[std::size_t(i)] = {prefs.meters[std::size_t(i)].scaleMin, prefs.meters[std::size_t(i)].scaleMax};
    GetMultiplier(store, scales);
    SaveSettings(store, prefs);
    QMap<QString, QString> saved;
    forEachKey(Saved, [&](const CatalogueKey &key) { saved.insert(key.name, store.GetSetting(key.name)); });
    return saved;
}

} // namespace

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    // Memory, where there is some, so that each save's sync costs nothing.
    const QString root = QDir(QStringLiteral("/dev/shm")).exists() ? QStringLiteral("/dev/shm") : QDir::tempPath();
    g_home = QStringLiteral("%1/fuzz-settings-%2").arg(root).arg(::getpid());
    QDir().mkpath(g_home + QStringLiteral("/Tovana2"));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(g_home));
    std::atexit([] { QDir(g_home).removeRecursively(); });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArrayView bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    for (const auto &[key, value] : iniSectionEntries(bytes, u"StartUp")) {
        checkTextForms(value);
        storedTextConverts(key, value);
    }

    // The store reads its file afresh when it opens (QSettings keeps a parsed copy by name).
    QFile file(g_home + QStringLiteral("/Tovana2/Tovana2.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes.data(), bytes.size()) != bytes.size())
        fail("cannot write", file.fileName());
    file.close();

    const QMap<QString, QString> first = loadAndSave();
    const QMap<QString, QString> second = loadAndSave();
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        if (second.value(it.key()) != it.value())
            fail("loading and saving again changed", it.key() + QStringLiteral(": ") + it.value() + QStringLiteral(" -> ") + second.value(it.key()));
    return 0;
}
