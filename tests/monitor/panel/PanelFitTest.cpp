// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// Every text of the panel fits its control, measured against the room the style gives
// it: with the widest eight-character labels and long captions, with the running font and
// a large one, at the window's first size and resized. Built once per device pixel ratio
// (OffscreenScreen.cpp). On the gauges the needle keeps off the caption and the scale
// numbers stand apart.
#include "MonitorFixture.h"
#include "MonitorPanel.h"
#include "PanelControls.h"

#include <QGroupBox>
#include <QLabel>
#include <QStyleOptionButton>
#include <QStyleOptionGroupBox>

using namespace tovana;

namespace {

const QStringList kLongCaptions{"Forward power (W)",      "Reflected power (W)", "Supply voltage 13.8 V",
                                "PA temperature (deg C)", "Drain current (A)",   "SWR at the antenna",
                                "Filament voltage",       "Plate voltage (kV)"};

QString where(const QWidget *w)
{
    return QStringLiteral("%1 \"%2\"").arg(w->objectName(), w->property("text").toString());
}

// What of the panel's text would be clipped, one line each; empty when everything fits.
QStringList clippedTexts(MonitorPanel *panel)
{
    QStringList clipped;
    for (QPushButton *button : panel->findChildren<QPushButton *>()) {
        QStyleOptionButton option;
        option.initFrom(button);
        option.rect = button->rect();
        option.text = button->text();
        QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
        if (qobject_cast<IndicatorButton *>(button))
            room.adjust(
                IndicatorButton::markWidthFor(button->height()), IndicatorButton::markWidthFor(button->height()),
                -IndicatorButton::markWidthFor(button->height()), -IndicatorButton::markWidthFor(button->height()));
        const QFontMetricsF metrics(button->font());
        if (metrics.horizontalAdvance(button->text()) > room.width() || metrics.height() > room.height())
            clipped << where(button) + QStringLiteral(" in %1x%2").arg(room.width()).arg(room.height());
    }
    for (QLabel *label : panel->findChildren<QLabel *>()) {
        const QFontMetricsF metrics(label->font());
        const QString text = label == panel->bandCode() ? QStringLiteral("0000") : label->text();
        if (metrics.horizontalAdvance(text) > label->contentsRect().width() || metrics.height() > label->height())
            clipped << where(label);
    }
    for (QGroupBox *frame : panel->findChildren<QGroupBox *>()) {
        QStyleOptionGroupBox option;
        option.initFrom(frame);
        option.rect = frame->rect();
        option.text = frame->title();
        option.subControls = QStyle::SC_GroupBoxFrame | QStyle::SC_GroupBoxLabel;
        option.lineWidth = 1;
        option.textAlignment = Qt::AlignLeft;
        const QRect title =
            frame->style()->subControlRect(QStyle::CC_GroupBox, &option, QStyle::SC_GroupBoxLabel, frame);
        if (!frame->rect().contains(title) ||
            title.width() < QFontMetricsF(frame->font()).horizontalAdvance(frame->title()))
            clipped << frame->objectName() + " \"" + frame->title() + "\"";
        // Nothing lies over the title, shown now or later (the "TX" beside the band title).
        const QRect titleOnPanel = title.translated(frame->pos());
        for (QWidget *other : panel->findChildren<QWidget *>(Qt::FindDirectChildrenOnly)) {
            if (other != frame && other->geometry().intersects(titleOnPanel))
                clipped << frame->objectName() + " \"" + frame->title() + "\" under " + where(other);
        }
    }
    for (int i = 0; i < MonitorPanel::kGaugeCount; ++i) {
        AGauge *gauge = panel->gauge(i);
        const QRectF face = QRectF(gauge->rect());
        if (gauge->shownCaption() != gauge->caption() || !face.contains(gauge->captionRect()))
            clipped << gauge->objectName() + " \"" + gauge->caption() + "\"";
        const QList<QRectF> numbers = gauge->scaleNumberRects();
        for (qsizetype k = 0; k < numbers.size(); ++k) {
            if (!face.contains(numbers[k]) || (k > 0 && numbers[k].intersects(numbers[k - 1])))
                clipped << gauge->objectName() + QStringLiteral(" number %1").arg(k);
        }
    }
    return clipped;
}

// The needle from the lowest to the highest value, never into the caption.
::testing::AssertionResult needleKeepsOffTheCaption(AGauge *gauge)
{
    const double before = gauge->NeedleValue();
    const double lo = gauge->scaleMin();
    const double hi = gauge->scaleMax();
    for (int step = 0; step <= 10; ++step) {
        gauge->setNeedleValue(lo + (hi - lo) * step / 10);
        const QLineF needle = gauge->needleLine();
        const double lowest = std::max({needle.p1().y(), needle.p2().y(), gauge->hubRect().bottom()});
        if (lowest >= gauge->captionRect().top()) {
            gauge->setNeedleValue(before);
            return ::testing::AssertionFailure() << qPrintable(gauge->objectName()) << " at " << gauge->NeedleValue();
        }
    }
    gauge->setNeedleValue(before);
    return ::testing::AssertionSuccess();
}

class PanelFit : public MonitorFixture {
protected:
    void TearDown() override
    {
        MonitorFixture::TearDown();
        QApplication::setFont(m_font);
    }

    // The widest labels on every relay and long captions on every gauge, one of 0..1500.
    QMap<QString, QString> crowdedPanel() const
    {
        QMap<QString, QString> keys{{"ScaleMax-Gauge0", "1500"}, {"Stop-Annular4-Gauge0", "1500"}};
        for (int n = 1; n <= 12; ++n)
            keys.insert(QStringLiteral("Relay%1").arg(n), "WWWWWWWW");
        for (int i = 0; i < 8; ++i)
            keys.insert(QStringLiteral("Caption-Gauge%1").arg(i), kLongCaptions[i]);
        keys.insert("BandStatus5", "True");
        return keys;
    }

    void expectEverythingFits(const char *when)
    {
        MonitorPanel *panel = window->panel();
        const QStringList clipped = clippedTexts(panel);
        EXPECT_TRUE(clipped.isEmpty()) << when << ", scale " << panel->scale() << ": "
                                       << qPrintable(clipped.join("; "));
        for (int i = 0; i < MonitorPanel::kGaugeCount; ++i)
            EXPECT_TRUE(needleKeepsOffTheCaption(panel->gauge(i))) << when;
    }

    QFont m_font = QApplication::font();
};

} // namespace

TEST_F(PanelFit, WidestLabelsAndLongCaptionsFitAtFirstStart)
{
    frmMonitor &w = startWith(crowdedPanel());
    EXPECT_DOUBLE_EQ(w.devicePixelRatioF(), TOVANA_TEST_DPR);
    EXPECT_EQ(w.relayButton(7)->text(), "WWWWWWWW");
    EXPECT_GE(w.panel()->scale(), 1.0);
    expectEverythingFits("first start");
    EXPECT_GE(w.gauge(0)->scaleNumberRects().size(), 2) << "a crowded scale keeps numbers at both ends";

    // A stored label longer than eight shows whole, in a smaller text, and in its tooltip.
    const QString longer = "Antenna 160 m tuner";
    w.setupForm()->setRelayLabel(4, longer);
    auto *button = qobject_cast<FittingButton *>(w.relayButton(4));
    ASSERT_NE(button, nullptr);
    QStyleOptionButton option;
    option.initFrom(button);
    option.rect = button->rect();
    option.text = longer;
    const QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &option, button);
    EXPECT_EQ(button->text(), longer);
    EXPECT_EQ(button->toolTip(), longer);
    EXPECT_GT(QFontMetricsF(button->font()).horizontalAdvance(longer), room.width()) << "too long for the panel's text";
    EXPECT_LE(QFontMetricsF(button->captionFont()).horizontalAdvance(longer), room.width());
}

TEST_F(PanelFit, LargeSystemFontGrowsThePanelUntilItFits)
{
    startWith(crowdedPanel());
    const double usual = window->panel()->scale();
    window.reset();

    QFont large = m_font;
    large.setPointSizeF(m_font.pointSizeF() * 1.8);
    QApplication::setFont(large);
    frmMonitor &w = startWith(crowdedPanel());
    EXPECT_GT(w.panel()->scale(), usual * 1.5);
    expectEverythingFits("large font");
}

TEST_F(PanelFit, ResizedWindowScalesItsGaugesAndComesBackAtThatSize)
{
    frmMonitor &w = startWith(crowdedPanel());
    const QSize first = w.size();
    const QSize gauge = w.gauge(3)->size();
    const double text = w.panel()->font().pointSizeF();

    w.resize(first * 2);
    EXPECT_NEAR(w.gauge(3)->width(), 2 * gauge.width(), 3);
    EXPECT_NEAR(w.gauge(3)->height(), 2 * gauge.height(), 3);
    EXPECT_GT(w.panel()->font().pointSizeF(), 1.6 * text) << "the text grows with it";
    expectEverythingFits("twice the size");

    w.resize(w.minimumSize());
    EXPECT_LT(w.gauge(3)->width(), gauge.width());
    expectEverythingFits("smallest size");

    w.resize(first * 2);
    ASSERT_TRUE(w.close());
    EXPECT_EQ(home.readStore().size(), 151) << "[StartUp] keeps its keys";
    window.reset();
    frmMonitor &again = start();
    EXPECT_EQ(again.size(), first * 2);
    EXPECT_NEAR(again.gauge(3)->width(), 2 * gauge.width(), 3);
}
