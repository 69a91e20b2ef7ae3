// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Gauge.h"

#include "GaugeFace.h"
#include "Text.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>

// GDI+'s headers use min and max unqualified.
namespace Gdiplus {
using std::max;
using std::min;
} // namespace Gdiplus
#include <gdiplus.h>

namespace tovana::win32::app {

namespace {

using namespace Gdiplus;

const wchar_t kClassName[] = L"TovanaGauge";

Color toGdi(face::Rgb colour)
{
    return Color(colour.red, colour.green, colour.blue);
}

const Color kFaceColor = toGdi(face::kPlateColour);
const Color kInkColor = toGdi(face::kInkColour);
const Color kNeedleColor = toGdi(face::kNeedleColour);
const Color kNoReadingColor = toGdi(face::kNoReadingColour);
const Color kBevelColor = toGdi(face::kBevelColour);
const Color kGroundColor(0xC8, 0xC8, 0xC8);
const Color kInnerLineColor(0x50, 0x50, 0x50);

Color fromBgr(std::uint32_t bgr)
{
    return Color(BYTE(bgr & 0xFF), BYTE((bgr >> 8) & 0xFF), BYTE((bgr >> 16) & 0xFF));
}

PointF toGdi(const face::Point &point)
{
    return PointF(REAL(point.x), REAL(point.y));
}

RectF toGdi(const face::Box &box)
{
    return RectF(REAL(box.x), REAL(box.y), REAL(box.width), REAL(box.height));
}

class Gauge {
public:
    explicit Gauge(HWND window) : m_window(window) {}

    void set(const GaugeLook &look)
    {
        const station::MeterConfig &a = look.meter, &b = m_look.meter;
        bool same = a.caption == b.caption && a.scaleMin == b.scaleMin && a.scaleMax == b.scaleMax &&
                    a.ticSubCount == b.ticSubCount && look.needle == m_look.needle &&
                    look.noReading == m_look.noReading;
        for (int i = 0; i < 3 && same; ++i)
            same = a.bands[i].start == b.bands[i].start && a.bands[i].stop == b.bands[i].stop &&
                   a.bands[i].color == b.bands[i].color;
        if (same && m_shown)
            return;
        m_look = look;
        m_shown = true;
        const auto caption = widen(look.meter.caption);
        SetWindowTextW(m_window, caption ? caption->c_str() : L"");
        InvalidateRect(m_window, nullptr, FALSE);
    }

    void paint(HDC dc, int w, int h)
    {
        m_dc = dc;
        Bitmap buffer(std::max(1, w), std::max(1, h), PixelFormat32bppPARGB);
        Graphics g(&buffer);
        g.SetSmoothingMode(SmoothingModeAntiAlias);
        g.SetTextRenderingHint(TextRenderingHintAntiAliasGridFit);
        g.SetPixelOffsetMode(PixelOffsetModeHalf);
        g.Clear(Color(GetRValue(GetSysColor(COLOR_BTNFACE)), GetGValue(GetSysColor(COLOR_BTNFACE)),
                      GetBValue(GetSysColor(COLOR_BTNFACE))));
        draw(g, w, h);
        Graphics screen(dc);
        screen.DrawImage(&buffer, 0, 0);
    }

private:
    void draw(Graphics &g, int w, int h)
    {
        const station::MeterConfig &meter = m_look.meter;
        // The face: a cream plate with a thin dark bevel.
        const double corner = std::max(3.0, h * 0.06);
        GraphicsPath plate;
        const REAL r = REAL(2 * corner), right = REAL(w - 1), bottom = REAL(h - 1);
        plate.AddArc(REAL(0), REAL(0), r, r, 180, 90);
        plate.AddArc(right - r, REAL(0), r, r, 270, 90);
        plate.AddArc(right - r, bottom - r, r, r, 0, 90);
        plate.AddArc(REAL(0), bottom - r, r, r, 90, 90);
        plate.CloseFigure();
        SolidBrush face(kFaceColor);
        g.FillPath(&face, &plate);
        Pen bevel(kBevelColor, 1);
        g.DrawPath(&bevel, &plate);

        const face::GaugeFace f = face::layOutGauge(
            w, h, meter.scaleMin, meter.scaleMax, meter.caption,
            [&](const std::string &text, double pixels, bool bold) {
                Font font(m_dc, &messageFont(pixels, bold));
                RectF box;
                const std::wstring wide = widen(text).value_or(L"");
                g.MeasureString(wide.c_str(), -1, &font, PointF(0, 0), &box);
                return face::TextSize{box.Width, std::max(double(box.Height), double(font.GetHeight(&g)))};
            });
        const double inner = f.inner();

        auto ring = [&](double start, double stop, double outerR, double innerR, Color colour) {
            const std::optional<face::Arc> arc = f.arc(start, stop);
            if (!arc)
                return;
            GraphicsPath path;
            // GDI+ measures angles clockwise from the x axis.
            path.AddArc(REAL(f.pivot.x - outerR), REAL(f.pivot.y - outerR), REAL(2 * outerR), REAL(2 * outerR),
                        REAL(-arc->from), REAL(arc->from - arc->to));
            path.AddArc(REAL(f.pivot.x - innerR), REAL(f.pivot.y - innerR), REAL(2 * innerR), REAL(2 * innerR),
                        REAL(-arc->to), REAL(arc->to - arc->from));
            path.CloseFigure();
            SolidBrush brush(colour);
            g.FillPath(&brush, &path);
        };
        ring(meter.scaleMin, meter.scaleMax, f.radius, inner, kGroundColor);
        for (const station::Annulus &band : meter.bands)
            ring(band.start, band.stop, f.radius, inner, fromBgr(band.color));
        ring(meter.scaleMin, meter.scaleMax, inner + 0.8 * f.line, inner, kInnerLineColor);

        // Majors across the ring with their numbers inside it; the minor ticks on the ring's
        // outer and inner halves, both with the meter's minor count.
        StringFormat centred;
        centred.SetAlignment(StringAlignmentCenter);
        centred.SetLineAlignment(StringAlignmentCenter);
        centred.SetFormatFlags(StringFormatFlagsNoWrap);
        SolidBrush ink(kInkColor);
        Font numberFont(m_dc, &messageFont(f.numberPixels, false));
        Pen major(kInkColor, REAL(1.2 * f.line));
        for (const face::ScaleNumber &number : f.numbers) {
            const double a = f.angleFor(number.value);
            g.DrawLine(&major, toGdi(f.polar(f.radius + 1.5 * f.line, a)), toGdi(f.polar(inner - 2 * f.line, a)));
            const std::wstring text = widen(number.text).value_or(L"");
            g.DrawString(text.c_str(), -1, &numberFont, toGdi(number.box), &centred, &ink);
        }
        Pen minor(kInkColor, REAL(0.7 * f.line));
        for (double value : f.minorTicks(meter.ticSubCount)) {
            const double a = f.angleFor(value);
            g.DrawLine(&minor, toGdi(f.polar(f.radius, a)), toGdi(f.polar(f.radius - f.ringWidth / 2, a)));
            g.DrawLine(&minor, toGdi(f.polar(inner + f.ringWidth / 2, a)), toGdi(f.polar(inner, a)));
        }

        // The caption, bold, below the hub; centred in a box with room to spare, so that a
        // rounding in GDI+'s measure never cuts its last letter.
        Font captionFont(m_dc, &messageFont(f.captionPixels, true));
        const std::wstring caption = widen(f.caption).value_or(L"");
        RectF captionBox = toGdi(f.captionText);
        captionBox.Inflate(REAL(f.captionPixels), 0);
        g.DrawString(caption.c_str(), -1, &captionFont, captionBox, &centred, &ink);

        // Without a reading the needle stands greyed and dashed where it was left.
        const Color needleColour = m_look.noReading ? kNoReadingColor : kNeedleColor;
        Pen needle(needleColour, REAL(1.4 * f.line));
        needle.SetStartCap(LineCapRound);
        needle.SetEndCap(LineCapRound);
        if (m_look.noReading)
            needle.SetDashStyle(DashStyleDash);
        g.DrawLine(&needle, toGdi(f.pivot), toGdi(f.needleTip(m_look.needle)));
        SolidBrush hub(m_look.noReading ? kNoReadingColor : kInkColor);
        g.FillEllipse(&hub, REAL(f.pivot.x - f.cap), REAL(f.pivot.y - f.cap), REAL(2 * f.cap), REAL(2 * f.cap));
    }

    // The system's message font at this pixel height, through GDI's font mapping (which
    // finds a face where GDI+'s own font list may have none).
    const LOGFONTW &messageFont(double pixels, bool bold)
    {
        NONCLIENTMETRICSW metrics{};
        metrics.cbSize = sizeof metrics;
        SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0);
        m_font = metrics.lfMessageFont;
        m_font.lfHeight = -std::max(1, int(pixels));
        m_font.lfWidth = 0;
        m_font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
        m_font.lfQuality = ANTIALIASED_QUALITY;
        return m_font;
    }

    HWND m_window;
    HDC m_dc = nullptr; // while painting
    LOGFONTW m_font{};
    GaugeLook m_look;
    bool m_shown = false;
};

LRESULT CALLBACK gaugeProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam)
{
    auto *gauge = reinterpret_cast<Gauge *>(GetWindowLongPtrW(window, GWLP_USERDATA));
    switch (message) {
    case WM_NCCREATE: SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(new Gauge(window))); break;
    case WM_NCDESTROY:
        delete gauge;
        SetWindowLongPtrW(window, GWLP_USERDATA, 0);
        break;
    case WM_ERASEBKGND: return 1; // the paint covers every pixel
    case WM_SIZE: InvalidateRect(window, nullptr, FALSE); return 0;
    case WM_PAINT: {
        PAINTSTRUCT paint;
        HDC dc = BeginPaint(window, &paint);
        RECT area;
        GetClientRect(window, &area);
        if (gauge)
            gauge->paint(dc, area.right, area.bottom);
        EndPaint(window, &paint);
        return 0;
    }
    default: break;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

} // namespace

void registerGaugeClass(HINSTANCE instance)
{
    WNDCLASSW type{};
    type.lpfnWndProc = gaugeProcedure;
    type.hInstance = instance;
    type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    type.lpszClassName = kClassName;
    RegisterClassW(&type);
}

HWND createGauge(HWND parent, int id, HINSTANCE instance)
{
    return CreateWindowExW(0, kClassName, L"", WS_CHILD | WS_VISIBLE, 0, 0, 10, 10, parent,
                           reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
}

void setGaugeLook(HWND gauge, const GaugeLook &look)
{
    if (auto *g = reinterpret_cast<Gauge *>(GetWindowLongPtrW(gauge, GWLP_USERDATA)))
        g->set(look);
}

} // namespace tovana::win32::app
