// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "HistoryCsv.h"

#include "Station.h"
#include "Store.h"
#include "TextForms.h"

#include <QDateTime>
#include <QDir>
#include <QStandardPaths>

#include <array>
#include <vector>

namespace tovana {

namespace {

const std::string kHistorySection = "History";

// A caption as one CSV field: quoted, its quotes doubled.
QByteArray field(const std::string &caption)
{
    QByteArray text = QByteArray::fromStdString(caption);
    return '"' + text.replace('"', "\"\"") + '"';
}

} // namespace

HistoryCsv::HistoryCsv(station::Station &station, QObject *parent) : QObject(parent), m_station(station)
{
    m_station.addObserver(this);
}

HistoryCsv::~HistoryCsv()
{
    m_station.removeObserver(this);
}

void HistoryCsv::configure(const station::Store &store)
{
    m_enabled = station::parseBool(store.get(kHistorySection, "Csv").value_or("")).value_or(false);
    const QString folder = QString::fromStdString(store.get(kHistorySection, "Folder").value_or(""));
    // Beside the settings' own folder name, under the user's data folder.
    m_folder = folder.isEmpty()
                   ? QDir(QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation)).filePath("Tovana2")
                   : folder;
    m_file.close();
    m_day.clear();
    m_failedDay.clear();
    // Only seconds from now on: a file is never given rows twice.
    m_written = m_station.history().lastSecond();
}

void HistoryCsv::stationChanged(station::StationChange change, int)
{
    if (m_enabled && change == station::StationChange::Readings && m_station.history().lastSecond() > m_written)
        writeSeconds();
}

// The file of the day, with the header when it is new.
bool HistoryCsv::openFor(const QString &day)
{
    if (day == m_day && m_file.isOpen())
        return true;
    if (day == m_failedDay)
        return false;
    m_file.close();
    m_day = day;
    QDir().mkpath(m_folder);
    m_file.setFileName(QDir(m_folder).filePath(QStringLiteral("readings-%1.csv").arg(day)));
    const bool fresh = !m_file.exists() || m_file.size() == 0;
    if (!m_file.open(QIODevice::Append | QIODevice::Text)) {
        m_failedDay = day;
        emit failed(
            QStringLiteral("The readings could not be written to %1: %2").arg(m_file.fileName(), m_file.errorString()));
        return false;
    }
    if (fresh) {
        QByteArray header = "time";
        for (int i = 0; i < station::kMeterCount; ++i)
            header += ',' + field(m_station.meter(i).caption);
        m_file.write(header + '\n');
    }
    return true;
}

void HistoryCsv::writeSeconds()
{
    const station::History &history = m_station.history();
    std::array<std::vector<station::SecondSummary>, station::kMeterCount> meters;
    for (int i = 0; i < station::kMeterCount; ++i)
        meters[i] = history.since(i, m_written + 1);
    m_written = history.lastSecond();
    for (std::size_t row = 0; row < meters[0].size(); ++row) {
        const QDateTime at = QDateTime::fromSecsSinceEpoch(meters[0][row].second);
        if (!openFor(at.toString(QStringLiteral("yyyy-MM-dd"))))
            continue;
        QByteArray line = at.toString(Qt::ISODate).toUtf8();
        for (int i = 0; i < station::kMeterCount; ++i)
            line += ',' + QByteArray::fromStdString(station::formatReal(meters[i][row].mean, 6));
        m_file.write(line + '\n');
    }
    // A full disk or a folder that went away: told once, and the day's file given up, as
    // one that cannot be opened is.
    if (m_file.isOpen() && (!m_file.flush() || m_file.error() != QFileDevice::NoError)) {
        m_failedDay = m_day;
        emit failed(
            QStringLiteral("The readings could not be written to %1: %2").arg(m_file.fileName(), m_file.errorString()));
        m_file.close();
    }
}

} // namespace tovana
