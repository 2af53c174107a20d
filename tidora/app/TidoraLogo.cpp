#include "TidoraLogo.h"

#include "GdiPlus.h"
#include "MorvaneStyle.h"

#include <memory>

namespace {

// A four-pointed star centred at (cx, cy): points at distance `outer`, the
// waist at distance `inner`.
void AddSparkle(Gdiplus::GraphicsPath& path, float cx, float cy, float outer, float inner)
{
    const Gdiplus::PointF points[] = {
        {cx, cy - outer},         {cx + inner, cy - inner}, {cx + outer, cy}, {cx + inner, cy + inner},
        {cx, cy + outer},         {cx - inner, cy + inner}, {cx - outer, cy}, {cx - inner, cy - inner},
    };
    path.AddPolygon(points, 8);
}

std::unique_ptr<Gdiplus::FontFamily> WordFamily()
{
    for (const wchar_t* name : {L"Segoe UI", L"Tahoma", L"Arial", L"DejaVu Sans"}) {
        auto family = std::make_unique<Gdiplus::FontFamily>(name);
        if (family->GetLastStatus() == Gdiplus::Ok && family->IsAvailable())
            return family;
    }
    return std::unique_ptr<Gdiplus::FontFamily>(Gdiplus::FontFamily::GenericSansSerif()->Clone());
}

}  // namespace

// Everything is laid out in design units (112 x 50) and scaled as a whole;
// the word is an outline path fitted into its box, so any font gives the
// same size.
void DrawTidoraLogo(HDC dc, const RECT& rect, float scale)
{
    EnsureGdiplus();
    Gdiplus::Graphics graphics(dc);
    graphics.SetSmoothingMode(Gdiplus::SmoothingModeAntiAlias);
    graphics.TranslateTransform(static_cast<float>(rect.left), static_cast<float>(rect.top));
    graphics.ScaleTransform(scale, scale);

    Gdiplus::SolidBrush accent(ToGdiplusColor(AccentColor));
    Gdiplus::SolidBrush light(ToGdiplusColor(LightAccentColor, 160));
    Gdiplus::SolidBrush white(Gdiplus::Color(255, 255, 255, 255));
    Gdiplus::SolidBrush ink(Gdiplus::Color(255, 0x2B, 0x36, 0x45));

    graphics.FillEllipse(&accent, 6.0f, 8.0f, 34.0f, 34.0f);
    Gdiplus::GraphicsPath sparkle;
    AddSparkle(sparkle, 23.0f, 25.0f, 11.0f, 2.6f);
    graphics.FillPath(&white, &sparkle);
    Gdiplus::GraphicsPath small;
    AddSparkle(small, 39.0f, 9.0f, 5.0f, 1.2f);
    graphics.FillPath(&light, &small);

    auto family = WordFamily();
    Gdiplus::GraphicsPath word;
    Gdiplus::StringFormat format;
    word.AddString(L"Tidora", 6, family.get(), Gdiplus::FontStyleBold, 22.0f, Gdiplus::PointF(0, 0), &format);
    Gdiplus::RectF bounds;
    word.GetBounds(&bounds);
    if (bounds.Width > 0 && bounds.Height > 0) {
        const Gdiplus::RectF box(46.0f, 15.0f, 62.0f, 20.0f);
        float fit = std::min(box.Width / bounds.Width, box.Height / bounds.Height);
        Gdiplus::Matrix place;
        place.Translate(box.X + (box.Width - bounds.Width * fit) / 2, box.Y + (box.Height - bounds.Height * fit) / 2);
        place.Scale(fit, fit);
        place.Translate(-bounds.X, -bounds.Y);
        word.Transform(&place);
        graphics.FillPath(&ink, &word);
    }
}
