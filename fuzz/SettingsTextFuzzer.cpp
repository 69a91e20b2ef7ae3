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
#include "Settings.h"
#include "SettingsStore.h"
#include "TextForms.h"

#include <QDir>
#include <QFile>
#include <QMap>

#include <cstdio>
#include <cstdlib>

#include <unistd.h>

using namespace tovana;
using namespace tovana::station;

namespace {

QString g_home; // the fuzzer's own config home

void fail(const char *what, const std::string &detail = {})
{
    std::fprintf(stderr, "fuzz_settings_text: %s %s\n", what, detail.c_str());
    std::abort();
}

// What a text of one form reads as, written back in that form; "" when it does not convert.
std::string rewritten(TextForm form, const std::string &text)
{
    std::string textValue;
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
    return parseField(form, text, field) ? formatField(form, field) : std::string();
}

void checkTextForms(const std::string &text)
{
    for (TextForm form : {TextForm::Text, TextForm::Integer16, TextForm::Double, TextForm::Single, TextForm::Colour,
                          TextForm::Boolean}) {
        const std::string once = rewritten(form, text);
        if (once.empty())
            continue;
        if (rewritten(form, once) != once)
            fail("a text form does not survive being written and read again:", text);
    }
    if (const std::optional<bool> boolean = parseBool(text);
        boolean &&
        QString::fromStdString(std::string(trimmed(text)))
                .compare(*boolean ? QLatin1String("True") : QLatin1String("False"), Qt::CaseInsensitive) != 0)
        fail("a text reads as the wrong Boolean:", text);
}

// Seeds, loads and saves the store as an activation and a save do, and returns every text
// the save wrote.
QMap<std::string, std::string> loadAndSave()
{
    SettingsStore store;
    RegInit(store, SeedValues{});
    const Preferences prefs = GetPreferences(store, WindowPosition{});
    std::string why;
    PortSettings::parse(prefs.port.settings, &why);
    GetMultiplier(store, prefs.meters);
    SaveSettings(store, prefs);
    QMap<std::string, std::string> saved;
    forEachKey(Saved, [&](const CatalogueKey &key) {
        saved.insert(key.name, store.get(kStartUpSection, key.name).value_or(""));
    });
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
        checkTextForms(value.toStdString());
        storedTextConverts(key.toStdString(), value.toStdString());
    }

    // The store reads its file afresh when it opens (QSettings keeps a parsed copy by name).
    QFile file(g_home + QStringLiteral("/Tovana2/Tovana2.conf"));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) ||
        file.write(bytes.data(), bytes.size()) != bytes.size())
        fail("cannot write", file.fileName().toStdString());
    file.close();

    const QMap<std::string, std::string> first = loadAndSave();
    const QMap<std::string, std::string> second = loadAndSave();
    for (auto it = first.cbegin(); it != first.cend(); ++it)
        if (second.value(it.key()) != it.value())
            fail("loading and saving again changed", it.key() + ": " + it.value() + " -> " + second.value(it.key()));
    return 0;
}
