// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"
#include "Preferences.h"

#include <QHash>

#include <cmath>
#include <iterator>

namespace tovana {
namespace {

constexpr unsigned kAll = Seeded | Loaded | Saved;

// Store order. Seeding skips the unseeded "Start-Annular2-Gauge" rows, the save skips
// the multipliers, which only the setup dialog writes.
const CatalogueRow kCatalogue[] = {
    {"Meter-ComPort", KeyScope::Single, TextForm::Integer16, kAll, "1",
     [](Preferences &p, int) -> FieldRef { return &p.port.number; }},
    {"Meter-ComSettings", KeyScope::Single, TextForm::Text, kAll, "19200,n,8,1",
     [](Preferences &p, int) -> FieldRef { return &p.port.settings; }},
    {"Start-Annular2-Gauge", KeyScope::PerMeter, TextForm::Double, Saved, nullptr,
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[0].start; }},
    {"Stop-Annular2-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "3",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[0].stop; }},
    {"Color-Annular2-Gauge", KeyScope::PerMeter, TextForm::Colour, kAll, "32768",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[0].color; }},
    {"Start-Annular3-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "3",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[1].start; }},
    {"Stop-Annular3-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "4",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[1].stop; }},
    {"Color-Annular3-Gauge", KeyScope::PerMeter, TextForm::Colour, kAll, "65535",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[1].color; }},
    {"Start-Annular4-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "4",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[2].start; }},
    {"Stop-Annular4-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "5",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[2].stop; }},
    {"Color-Annular4-Gauge", KeyScope::PerMeter, TextForm::Colour, kAll, "255",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].bands[2].color; }},
    {"ScaleMin-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "0",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].scaleMin; }},
    {"ScaleMax-Gauge", KeyScope::PerMeter, TextForm::Double, kAll, "5",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].scaleMax; }},
    {"TicSubCount-Gauge", KeyScope::PerMeter, TextForm::Integer16, kAll, "4",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].ticSubCount; }},
    {"Caption-Gauge", KeyScope::PerMeter, TextForm::Text, kAll, "Volts DC",
     [](Preferences &p, int i) -> FieldRef { return &p.meters[i].caption; }},
    {"Multiplier", KeyScope::PerMeter, TextForm::Double, Seeded, "1.0", nullptr},
    {"Meter Response", KeyScope::Single, TextForm::Integer16, kAll, "15000",
     [](Preferences &p, int) -> FieldRef { return &p.meterResponse; }},
    {"Relay", KeyScope::PerRelay, TextForm::Text, kAll, nullptr,
     [](Preferences &p, int n) -> FieldRef { return &p.relays[n].label; }},
    {"Position-Left", KeyScope::Single, TextForm::Single, kAll, nullptr,
     [](Preferences &p, int) -> FieldRef { return &p.position.left; }},
    {"Position-Top", KeyScope::Single, TextForm::Single, kAll, nullptr,
     [](Preferences &p, int) -> FieldRef { return &p.position.top; }},
    {"RelayStatus", KeyScope::PerRelay, TextForm::Boolean, kAll, "False",
     [](Preferences &p, int n) -> FieldRef { return &p.relays[n].status; }},
    {"BandStatus", KeyScope::PerBand, TextForm::Boolean, kAll, "False",
     [](Preferences &p, int n) -> FieldRef { return &p.bandStatus[n]; }},
};

int elementCount(KeyScope scope)
{
    switch (scope) {
    case KeyScope::Single: return 1;
    case KeyScope::PerMeter: return kMeterCount;
    case KeyScope::PerRelay: return kRelayCount;
    case KeyScope::PerBand: return kBandStatusCount;
    }
    return 0;
}

// Meters are numbered from 0 in key names, relays and bands from 1.
QString keyName(const CatalogueRow &row, int element)
{
    const QString base = QString::fromLatin1(row.base);
    switch (row.scope) {
    case KeyScope::Single: return base;
    case KeyScope::PerMeter: return base + QString::number(element);
    case KeyScope::PerRelay:
    case KeyScope::PerBand: return base + QString::number(element + 1);
    }
    return base;
}

// A whole number, or a real rounded half to even as the platform's integer conversion does.
bool parseInteger(const QString &text, qint64 min, qint64 max, qint64 *value)
{
    bool ok = false;
    qint64 v = text.trimmed().toLongLong(&ok);
    if (!ok) {
        double real = 0;
        if (!parseReal(text, &real) || real < double(min) - 0.5 || real > double(max) + 0.5)
            return false;
        v = static_cast<qint64>(std::nearbyint(real));
    }
    if (v < min || v > max)
        return false;
    *value = v;
    return true;
}

} // namespace

void forEachKey(KeyUse use, const std::function<void(const CatalogueKey &)> &visit)
{
    const auto end = std::end(kCatalogue);
    for (auto run = std::begin(kCatalogue); run != end;) {
        auto runEnd = run;
        while (runEnd != end && runEnd->scope == run->scope)
            ++runEnd;
        for (int element = 0; element < elementCount(run->scope); ++element) {
            for (auto row = run; row != runEnd; ++row) {
                if (row->uses & use)
                    visit(CatalogueKey{*row, element, keyName(*row, element)});
            }
        }
        run = runEnd;
    }
}

QString multiplierKey(int meter)
{
    return QStringLiteral("Multiplier") + QString::number(meter);
}

QString formatField(TextForm form, FieldRef field)
{
    switch (form) {
    case TextForm::Text: return *std::get<QString *>(field);
    case TextForm::Integer16: return QString::number(*std::get<int *>(field));
    case TextForm::Double: return formatReal(*std::get<double *>(field));
    case TextForm::Single: return formatReal(static_cast<float>(*std::get<double *>(field)), 7);
    case TextForm::Colour: return QString::number(*std::get<std::uint32_t *>(field));
    case TextForm::Boolean: return formatBool(*std::get<bool *>(field));
    }
    return {};
}

bool parseField(TextForm form, const QString &text, FieldRef field)
{
    qint64 integer = 0;
    double real = 0;
    switch (form) {
    case TextForm::Text:
        // An empty text is an absent key, never a value.
        if (text.isEmpty())
            return false;
        *std::get<QString *>(field) = text;
        return true;
    case TextForm::Integer16:
        if (!parseInteger(text, -32768, 32767, &integer))
            return false;
        *std::get<int *>(field) = static_cast<int>(integer);
        return true;
    case TextForm::Double:
        if (!parseReal(text, &real))
            return false;
        *std::get<double *>(field) = real;
        return true;
    case TextForm::Single: {
        if (!parseReal(text, &real))
            return false;
        const float single = static_cast<float>(real);
        if (!std::isfinite(single))
            return false;
        *std::get<double *>(field) = single;
        return true;
    }
    case TextForm::Colour:
        // 0x00BBGGRR: anything with a high byte is not a colour the gauges can draw.
        if (!parseInteger(text, 0, 0xFFFFFF, &integer))
            return false;
        *std::get<std::uint32_t *>(field) = static_cast<std::uint32_t>(integer);
        return true;
    case TextForm::Boolean:
        return parseBool(text, std::get<bool *>(field));
    }
    return false;
}

bool storedTextConverts(const QString &key, const QString &text)
{
    static const QHash<QString, TextForm> forms = [] {
        QHash<QString, TextForm> byName;
        for (KeyUse use : {Seeded, Loaded, Saved})
            forEachKey(use, [&](const CatalogueKey &k) { byName.insert(k.name, k.row.form); });
        return byName;
    }();
    const auto form = forms.find(key);
    if (form == forms.end())
        return !text.isEmpty();
    QString textField;
    int integer = 0;
    double real = 0;
    std::uint32_t colour = 0;
    bool boolean = false;
    switch (*form) {
    case TextForm::Text: return parseField(*form, text, &textField);
    case TextForm::Integer16: return parseField(*form, text, &integer);
    case TextForm::Double:
    case TextForm::Single: return parseField(*form, text, &real);
    case TextForm::Colour: return parseField(*form, text, &colour);
    case TextForm::Boolean: return parseField(*form, text, &boolean);
    }
    return false;
}

} // namespace tovana
