// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "KeyCatalogue.h"

#include "TextForms.h"

#include <cmath>
#include <iterator>
#include <unordered_map>

namespace tovana::station {
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
std::string keyName(const CatalogueRow &row, int element)
{
    const std::string base = row.base;
    switch (row.scope) {
    case KeyScope::Single: return base;
    case KeyScope::PerMeter: return base + std::to_string(element);
    case KeyScope::PerRelay:
    case KeyScope::PerBand: return base + std::to_string(element + 1);
    }
    return base;
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

std::string multiplierKey(int meter)
{
    return "Multiplier" + std::to_string(meter);
}

std::string formatField(TextForm form, FieldRef field, char separator)
{
    switch (form) {
    case TextForm::Text: return *std::get<std::string *>(field);
    case TextForm::Integer16: return std::to_string(*std::get<int *>(field));
    case TextForm::Double: return formatReal(*std::get<double *>(field), 15, separator);
    case TextForm::Single: return formatReal(static_cast<float>(*std::get<double *>(field)), 7, separator);
    case TextForm::Colour: return std::to_string(*std::get<std::uint32_t *>(field));
    case TextForm::Boolean: return formatBool(*std::get<bool *>(field));
    }
    return {};
}

bool parseField(TextForm form, const std::string &text, FieldRef field)
{
    switch (form) {
    case TextForm::Text:
        // An empty text is an absent key, never a value.
        if (text.empty())
            return false;
        *std::get<std::string *>(field) = text;
        return true;
    case TextForm::Integer16:
        if (const auto value = parseInteger(text, -32768, 32767)) {
            *std::get<int *>(field) = static_cast<int>(*value);
            return true;
        }
        return false;
    case TextForm::Double:
        if (const auto value = parseReal(text)) {
            *std::get<double *>(field) = *value;
            return true;
        }
        return false;
    case TextForm::Single: {
        const auto value = parseReal(text);
        if (!value || !std::isfinite(static_cast<float>(*value)))
            return false;
        *std::get<double *>(field) = static_cast<float>(*value);
        return true;
    }
    case TextForm::Colour:
        // 0x00BBGGRR: anything with a high byte is not a colour the gauges can draw.
        if (const auto value = parseInteger(text, 0, 0xFFFFFF)) {
            *std::get<std::uint32_t *>(field) = static_cast<std::uint32_t>(*value);
            return true;
        }
        return false;
    case TextForm::Boolean:
        if (const auto value = parseBool(text)) {
            *std::get<bool *>(field) = *value;
            return true;
        }
        return false;
    }
    return false;
}

bool storedTextConverts(const std::string &key, const std::string &text)
{
    static const std::unordered_map<std::string, TextForm> forms = [] {
        std::unordered_map<std::string, TextForm> byName;
        for (KeyUse use : {Seeded, Loaded, Saved})
            forEachKey(use, [&](const CatalogueKey &k) { byName.emplace(k.name, k.row.form); });
        return byName;
    }();
    const auto form = forms.find(key);
    if (form == forms.end())
        return !text.empty();
    std::string textField;
    int integer = 0;
    double real = 0;
    std::uint32_t colour = 0;
    bool boolean = false;
    switch (form->second) {
    case TextForm::Text: return parseField(form->second, text, &textField);
    case TextForm::Integer16: return parseField(form->second, text, &integer);
    case TextForm::Double:
    case TextForm::Single: return parseField(form->second, text, &real);
    case TextForm::Colour: return parseField(form->second, text, &colour);
    case TextForm::Boolean: return parseField(form->second, text, &boolean);
    }
    return false;
}

} // namespace tovana::station
