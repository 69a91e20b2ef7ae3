// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
// tovana-icons OUTDIR NAME: writes the program's icon into a hicolor icon theme under OUTDIR,
// as a scalable SVG and as PNGs at the theme's sizes, from the same drawing as the window
// icon and the about box. Run at build time; not installed.
#include "GaugeIcon.h"

#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QSvgGenerator>

#include <cstdio>

namespace {

constexpr int kSizes[] = {16, 22, 24, 32, 48, 64, 128, 256};
constexpr int kSvgSize = 64; // the drawing's design size; an SVG scales to any other

bool writeSvg(const QString &file)
{
    QSvgGenerator svg;
    svg.setFileName(file);
    svg.setSize(QSize(kSvgSize, kSvgSize));
    svg.setViewBox(QRect(0, 0, kSvgSize, kSvgSize));
    svg.setTitle(QStringLiteral("Tovana"));
    svg.setDescription(QStringLiteral("An annular gauge with green, yellow and red bands and a needle"));
    QPainter painter;
    if (!painter.begin(&svg))
        return false;
    drawGaugeIcon(painter, kSvgSize);
    return painter.end();
}

bool writePng(const QString &file, int size)
{
    QImage image(size, size, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    drawGaugeIcon(painter, size);
    painter.end();
    return image.save(file, "PNG");
}

} // namespace

int main(int argc, char **argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen"); // a build machine has no display
    QGuiApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() != 3) {
        std::fprintf(stderr, "usage: tovana-icons OUTDIR NAME\n");
        return 2;
    }
    const QString theme = args[1] + QStringLiteral("/hicolor");
    const QString name = args[2];

    const QString scalable = theme + QStringLiteral("/scalable/apps");
    if (!QDir().mkpath(scalable) || !writeSvg(scalable + '/' + name + QStringLiteral(".svg"))) {
        std::fprintf(stderr, "tovana-icons: cannot write %s\n", qUtf8Printable(scalable));
        return 1;
    }
    for (const int size : kSizes) {
        const QString folder = theme + QStringLiteral("/%1x%1/apps").arg(size);
        if (!QDir().mkpath(folder) || !writePng(folder + '/' + name + QStringLiteral(".png"), size)) {
            std::fprintf(stderr, "tovana-icons: cannot write %s\n", qUtf8Printable(folder));
            return 1;
        }
    }
    return 0;
}
