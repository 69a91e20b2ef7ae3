// SPDX-License-Identifier: GPL-3.0-or-later
// SPDX-FileCopyrightText: 2026 The Tovana and Tethra developers
#include "Gauge.h"

#include "Text.h"
#include "TextForms.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

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
constexpr double kPi = 3.14159265358979323846;
constexpr double kStartAngle = 160; // the scale minimum, left
constexpr double kSweep = 140;      // clockwise to the maximum, right; all above the hub
constexpr int kMaxSubTicks = 20;    // more would only blacken the ring
constexpr int kMaxMajors = 10;
constexpr double kSmallestText = 6; // pixels; below this nothing is legible

const Color kFaceColor(246, 243, 232);
const Color kInkColor(30, 30, 30);
const Color kNeedleColor(200, 20, 20);
const Color kNoReadingColor(150, 150, 150);
const Color kBevelColor(90, 90, 90);
const Color kGroundColor(0xC8, 0xC8, 0xC8);
const Color kInnerLineColor(0x50, 0x50, 0x50);

Color fromBgr(std::uint32_t bgr)
{
    return Color(BYTE(bgr & 0xFF), BYTE((bgr >> 8) & 0xFF), BYTE((bgr >> 16) & 0xFF));
}

// The next distance between major ticks above `step`, or the first one that splits the
// span into at most five parts when `step` is 0: 1, 2, 2.5 or 5 times a power of ten.
double niceStep(double span, double step)
{
    const double rough = step > 0 ? step * (1 + 1e-9) : std::abs(span) / 5;
    if (!(rough > 0) || !std::isfinite(rough))
        return 0;
    const double power = std::pow(10.0, std::floor(std::log10(rough)));
    for (double nice : {1.0, 2.0, 2.5, 5.0, 10.0}) {
        if (nice * power >= rough * (1 - 1e-9) && (step == 0 || nice * power > step * (1 + 1e-12)))
            return nice * power;
    }
    return 10 * power;
}

PointF polar(PointF centre, double radius, double degrees)
{
    const double rad = degrees * kPi / 180;
    return PointF(REAL(centre.X + radius * std::cos(rad)), REAL(centre.Y - radius * std::sin(rad)));
}

struct Number {
    std::wstring text;
    double value;
    RectF box;
};

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
    double fraction(double value) const
    {
        const double span = m_look.meter.scaleMax - m_look.meter.scaleMin;
        if (span == 0 || !std::isfinite(span))
            return 0;
        const double f = (value - m_look.meter.scaleMin) / span;
        return std::isnan(f) ? 0 : std::clamp(f, 0.0, 1.0);
    }
    double angleFor(double value) const { return kStartAngle - kSweep * fraction(value); }

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

        // From the bottom up: the caption, the hub just above it, the arc above the hub.
        const double margin = std::max(2.0, h * 0.04);
        const double captionPixels = std::max(kSmallestText, h * 0.135);
        Font captionFont(m_dc, &messageFont(captionPixels, true));
        const double captionHeight = captionFont.GetHeight(&g);
        const RectF captionBox(REAL(margin), REAL(h - margin - captionHeight), REAL(std::max(0.0, w - 2 * margin)),
                               REAL(captionHeight));
        const double cap = std::max(2.0, h * 0.055);
        const PointF pivot(REAL(w / 2.0), REAL(captionBox.Y - cap - 1));
        const double halfChord = std::sin(kSweep / 2 * kPi / 180);
        const double radius = std::max(4.0, std::min(pivot.Y - margin, (w / 2.0 - margin) / halfChord));
        const double ringWidth = std::max(2.0, radius * 0.11);
        const double inner = radius - ringWidth;
        const double line = std::max(1.0, h / 57.0);

        auto ring = [&](double start, double stop, double outerR, double innerR, Color colour) {
            const double a0 = angleFor(std::min(start, stop));
            const double a1 = angleFor(std::max(start, stop));
            if (a0 - a1 <= 0)
                return;
            GraphicsPath path;
            // GDI+ measures angles clockwise from the x axis.
            path.AddArc(REAL(pivot.X - outerR), REAL(pivot.Y - outerR), REAL(2 * outerR), REAL(2 * outerR), REAL(-a0),
                        REAL(a0 - a1));
            path.AddArc(REAL(pivot.X - innerR), REAL(pivot.Y - innerR), REAL(2 * innerR), REAL(2 * innerR), REAL(-a1),
                        REAL(a1 - a0));
            path.CloseFigure();
            SolidBrush brush(colour);
            g.FillPath(&brush, &path);
        };
        ring(meter.scaleMin, meter.scaleMax, radius, inner, kGroundColor);
        for (const station::Annulus &band : meter.bands)
            ring(band.start, band.stop, radius, inner, fromBgr(band.color));
        ring(meter.scaleMin, meter.scaleMax, inner + 0.8 * line, inner, kInnerLineColor);

        drawScale(g, pivot, radius, inner, ringWidth, line, h);

        // The caption, bold, below the hub, shortened with an ellipsis when it does not fit.
        const auto caption = widen(meter.caption);
        StringFormat centred;
        centred.SetAlignment(StringAlignmentCenter);
        centred.SetLineAlignment(StringAlignmentCenter);
        centred.SetTrimming(StringTrimmingEllipsisCharacter);
        centred.SetFormatFlags(StringFormatFlagsNoWrap);
        SolidBrush ink(kInkColor);
        if (caption)
            g.DrawString(caption->c_str(), -1, &captionFont, captionBox, &centred, &ink);

        // Without a reading the needle stands greyed and dashed where it was left.
        const Color needleColour = m_look.noReading ? kNoReadingColor : kNeedleColor;
        Pen needle(needleColour, REAL(1.4 * line));
        needle.SetStartCap(LineCapRound);
        needle.SetEndCap(LineCapRound);
        if (m_look.noReading)
            needle.SetDashStyle(DashStyleDash);
        g.DrawLine(&needle, pivot, polar(pivot, radius - 1, angleFor(m_look.needle)));
        SolidBrush hub(m_look.noReading ? kNoReadingColor : kInkColor);
        g.FillEllipse(&hub, REAL(pivot.X - cap), REAL(pivot.Y - cap), REAL(2 * cap), REAL(2 * cap));
    }

    // Majors across the ring with their numbers inside it: the finest step whose numbers
    // stand apart, in a smaller text when even the coarsest crowds them; the minor ticks on
    // the ring's outer and inner halves.
    void drawScale(Graphics &g, PointF pivot, double radius, double inner, double ringWidth, double line, int h)
    {
        const station::MeterConfig &meter = m_look.meter;
        const double span = meter.scaleMax - meter.scaleMin;
        const double finest = niceStep(span, 0);
        const auto usable = [](double step) { return step > 0 && std::isfinite(step); };
        std::vector<Number> numbers;
        double chosenStep = 0, chosenPixels = kSmallestText;
        for (double pixels = std::max(kSmallestText, h * 0.13); usable(finest); pixels -= 1) {
            Font font(m_dc, &messageFont(pixels, false));
            const bool smallest = pixels - 1 < kSmallestText;
            bool placed = false;
            for (double step = finest; usable(step) && !placed; step = niceStep(span, step)) {
                std::vector<Number> candidate = place(g, font, pivot, inner, step);
                bool apart = true;
                for (std::size_t k = 1; k < candidate.size() && apart; ++k) {
                    RectF a = candidate[k - 1].box;
                    a.Inflate(1, 1);
                    apart = !a.IntersectsWith(candidate[k].box);
                }
                const bool coarsest = candidate.size() <= 2;
                if (apart || (coarsest && smallest)) {
                    numbers = std::move(candidate);
                    chosenStep = step;
                    chosenPixels = pixels;
                    placed = true;
                } else if (coarsest) {
                    break;
                }
            }
            if (placed || smallest)
                break;
        }
        Font font(m_dc, &messageFont(chosenPixels, false));
        StringFormat centred;
        centred.SetAlignment(StringAlignmentCenter);
        centred.SetLineAlignment(StringAlignmentCenter);
        SolidBrush ink(kInkColor);
        Pen major(kInkColor, REAL(1.2 * line));
        Pen minor(kInkColor, REAL(0.7 * line));
        const double hi = std::max(meter.scaleMin, meter.scaleMax);
        const int count = std::clamp(meter.ticSubCount, 0, kMaxSubTicks);
        for (const Number &number : numbers) {
            const double a = angleFor(number.value);
            g.DrawLine(&major, polar(pivot, radius + 1.5 * line, a), polar(pivot, inner - 2 * line, a));
            g.DrawString(number.text.c_str(), -1, &font, number.box, &centred, &ink);
            // Both tick sets carry the meter's minor count: the outer half and the inner half.
            for (int set = 0; set < 2; ++set) {
                const double outerR = set == 0 ? radius : inner + ringWidth / 2;
                const double innerR = set == 0 ? radius - ringWidth / 2 : inner;
                for (int k = 1; k <= count; ++k) {
                    const double value = number.value + chosenStep * k / (count + 1);
                    if (value > hi + chosenStep * 1e-9)
                        break;
                    const double am = angleFor(value);
                    g.DrawLine(&minor, polar(pivot, outerR, am), polar(pivot, innerR, am));
                }
            }
        }
    }

    std::vector<Number> place(Graphics &g, Font &font, PointF pivot, double inner, double step) const
    {
        std::vector<Number> numbers;
        const double lo = std::min(m_look.meter.scaleMin, m_look.meter.scaleMax);
        const double hi = std::max(m_look.meter.scaleMin, m_look.meter.scaleMax);
        const double first = std::ceil(lo / step - 1e-9) * step;
        // Counted, not accumulated: far from zero a step can vanish in rounding.
        const int majors = int(std::clamp(std::floor((hi - first) / step + 1e-9), 0.0, double(kMaxMajors)));
        for (int m = 0; m <= majors; ++m) {
            double value = first + m * step;
            if (std::abs(value) < step * 1e-9)
                value = 0;
            const std::wstring text = widen(station::formatReal(value, 4)).value_or(L"");
            RectF box;
            g.MeasureString(text.c_str(), -1, &font, PointF(0, 0), &box);
            // Far enough inside the ring that the box's corner clears it at any angle.
            const double labelR = inner - 3 - std::hypot(box.Width, box.Height) / 2;
            const PointF at = polar(pivot, labelR, angleFor(value));
            numbers.push_back(
                {text, value, RectF(REAL(at.X - box.Width / 2), REAL(at.Y - box.Height / 2), box.Width, box.Height)});
        }
        return numbers;
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
