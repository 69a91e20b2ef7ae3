// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// A meter's history: a minute of a ramp on the board's channel 1 (one step a second, on a
// station clock that the test moves a second each cycle) shows in the plot as a rising
// curve of one point a second, over the meter's three colour bands, with the trip marked,
// and in the day's CSV file as one row a second under the captions.
#include "BandFixture.h"
#include "AGauge.h"
#include "Eventually.h"
#include "MeterPlot.h"

#include <QAreaSeries>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QPixmap>
#include <QChart>
#include <QLineSeries>
#include <QScatterSeries>

using HistoryPlot = BandFixture;

TEST_F(HistoryPlot, AMinuteOfARampShowsAsOnePointASecondWithTheBandsBehindAndTheTripMarked)
{
    // No settle delay: the minute of cycles runs in a few seconds.
    const QString csv = home.path() + "/csv";
    home.writeStore("[StartUp]\nMeter Response=0\nCaption-Gauge0=\"SWR, ant\"\n[Limits]\nLimit0=Above\nValue0=1\n"
                    "Readings0=1\nWhileTx0=False\nAction0=\n[History]\nCsv=True\nFolder=" +
                    csv.toUtf8() + "\n");
    int step = 0;
    // Ten days ahead, on a whole second: after every second the real clock gave.
    std::int64_t now = (QDateTime::currentMSecsSinceEpoch() / 1000 + 10 * 86400) * 1000;
    board.setAnswer([&](char byte) {
        if (byte == '\x01') {
            now += 1000; // each cycle a second of its own
            return QByteArray(1, char(step < 60 ? step++ : 60));
        }
        return byte >= 0 && byte < 8 ? QByteArray(1, '\x40') : QByteArray();
    });
    start();
    window->station().setClock([&] { return now; });
    step = 0;
    ASSERT_EVENTUALLY(step == 60 && window->station().history().since(0, 0).size() >= 62, 4 * kWaitMs)
        << "the ramp's sixty cycles reach the history";

    QTest::mouseDClick(window->gauge(0), Qt::LeftButton);
    auto *plot = window->findChild<tovana::MeterPlot *>();
    ASSERT_NE(plot, nullptr) << "a double-click opens the gauge's plot";
    EXPECT_EQ(plot->meter(), 0);
    const QList<QPointF> points = plot->curve()->points();
    ASSERT_GE(points.size(), 60);
    // The ramp's 60 steps, each a second after the one before and 5/255 V higher.
    const qsizetype top = points.size() - 1;
    qsizetype rampEnd = top;
    while (rampEnd > 0 && points[rampEnd - 1].y() >= 60 * 5 / 255.0 - 1e-4)
        --rampEnd;
    ASSERT_GE(rampEnd, 59);
    for (qsizetype i = rampEnd - 58; i <= rampEnd; ++i) {
        EXPECT_DOUBLE_EQ(points[i].x() - points[i - 1].x(), 1000.0);
        EXPECT_NEAR(points[i].y() - points[i - 1].y(), 5 / 255.0, 1e-4) << "at point " << i;
    }
    int bands = 0;
    for (QAbstractSeries *series : plot->chart()->series())
        bands += qobject_cast<QAreaSeries *>(series) != nullptr;
    EXPECT_EQ(bands, 3);
    ASSERT_EQ(plot->trips()->points().size(), 1) << "the reading passed 1 V once; the trip stays latched";
    EXPECT_EQ(plot->trips()->points().front().x(), double(window->station().trip(0).at));

    QTest::mouseDClick(window->gauge(0), Qt::LeftButton);
    EXPECT_EQ(window->findChildren<tovana::MeterPlot *>().size(), 1) << "one plot a meter";

    QByteArray rows;
    const QDir folder(csv);
    for (const QString &day : folder.entryList({"readings-*.csv"}, QDir::Files, QDir::Name)) {
        QFile file(folder.filePath(day));
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray text = file.readAll();
        EXPECT_TRUE(text.startsWith("time,\"SWR, ant\",\"Volts DC\",")) << text.left(80).constData();
        rows += text.mid(text.indexOf('\n') + 1);
    }
    QList<double> swr;
    for (const QByteArray &row : rows.split('\n')) {
        if (!row.isEmpty())
            swr.append(row.split(',').value(1).toDouble());
    }
    qsizetype longest = 0;
    for (qsizetype i = 1, run = 0; i < swr.size(); ++i) {
        run = std::abs(swr[i] - swr[i - 1] - 5 / 255.0) < 1e-4 ? run + 1 : 0;
        longest = std::max(longest, run);
    }
    EXPECT_GE(longest, 59) << "the ramp's sixty seconds, one row each: " << rows.left(400).constData();

    // scripts/screenshots takes the help page's picture of a plot from here.
    if (const QString picture = qEnvironmentVariable("TOVANA_PLOT_PICTURE"); !picture.isEmpty()) {
        EXPECT_TRUE(plot->grab().save(picture));
    }
}
