#include "Label.h"
#include "Panel.h"
#include "TestForm.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

namespace {

// A control that checks, each time it is given a font, that the font it
// was drawing with until then still exists.
class TFontWatcher : public TControl {
public:
    TFontWatcher(TComponent* owner, TControl* parent) : TControl(owner, parent, L"FontWatcher")
    {
        RegisterControlClass(L"TidoraTestFontWatcher");
        CreateHandle(L"TidoraTestFontWatcher", 0, 0);
    }
    ~TFontWatcher() override { DestroyHandle(); }

    int FontsGiven() const { return FFontsGiven; }
    int DeletedWhileHeld() const { return FDeletedWhileHeld; }
    HFONT Held() const { return FHeld; }

protected:
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override
    {
        if (message == WM_SETFONT) {
            if (FHeld && GetObjectType(FHeld) != OBJ_FONT)
                ++FDeletedWhileHeld;
            FHeld = reinterpret_cast<HFONT>(wParam);
            ++FFontsGiven;
        }
        return TControl::WndProc(message, wParam, lParam);
    }

private:
    HFONT FHeld = nullptr;
    int FFontsGiven = 0;
    int FDeletedWhileHeld = 0;
};

// A font is released only after every window that used it has the new one:
// a window never holds a deleted font, whatever made the font change.
TEST(ControlFonts, WindowsNeverHoldADeletedFont)
{
    struct TCase {
        const char* Name;
        std::function<void(TTestForm&, TPanel&)> Change;
    };
    const TCase cases[] = {
        {"the parent's own font is set anew",
         [](TTestForm&, TPanel& panel) { panel.SetFont({L"Arial", 15, FW_BOLD, DEFAULT_QUALITY}); }},
        {"the desktop font changes",
         [](TTestForm& form, TPanel&) {
             SendMessageW(form.Handle(), WM_SETTINGCHANGE, SPI_SETICONTITLELOGFONT, 0);
         }},
        {"the form moves to another DPI",
         [](TTestForm& form, TPanel&) {
             RECT where{};
             GetWindowRect(form.Handle(), &where);
             const UINT dpi = form.Dpi() == 144 ? 96 : 144;
             SendMessageW(form.Handle(), DpiChangedMessage, MAKEWPARAM(dpi, dpi), reinterpret_cast<LPARAM>(&where));
         }},
    };
    for (const TCase& c : cases) {
        SCOPED_TRACE(c.Name);
        TTestForm form;
        form.UseDesktopFont();
        auto* panel = new TPanel(&form, &form, L"Panel");
        panel->SetBounds(0, 0, 200, 100);
        auto* ofForm = new TFontWatcher(&form, &form);
        auto* ofPanel = new TFontWatcher(&form, panel);
        panel->SetFont({L"Arial", 12, FW_NORMAL, DEFAULT_QUALITY});
        const HFONT formFont = ofForm->Held();
        const HFONT panelFont = ofPanel->Held();
        ASSERT_EQ(GetObjectType(formFont), static_cast<DWORD>(OBJ_FONT));
        ASSERT_EQ(GetObjectType(panelFont), static_cast<DWORD>(OBJ_FONT));
        const int givenBefore = ofForm->FontsGiven() + ofPanel->FontsGiven();

        c.Change(form, *panel);

        EXPECT_GT(ofForm->FontsGiven() + ofPanel->FontsGiven(), givenBefore) << "the windows were given fonts";
        EXPECT_EQ(ofForm->DeletedWhileHeld(), 0);
        EXPECT_EQ(ofPanel->DeletedWhileHeld(), 0);
        EXPECT_EQ(ofForm->Held(), form.Font());
        EXPECT_EQ(ofPanel->Held(), panel->Font());
        EXPECT_EQ(GetObjectType(ofForm->Held()), static_cast<DWORD>(OBJ_FONT));
        EXPECT_EQ(GetObjectType(ofPanel->Held()), static_cast<DWORD>(OBJ_FONT));
    }
}

// The windows' classes take the program's icons from the shared ones that
// the system loads once, not a copy per registration that is never freed.
TEST(ControlResources, WindowClassesUseTheSharedProgramIcons)
{
    TTestForm form;
    auto* label = new TLabel(&form, &form, L"Label");
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    auto shared = [instance](int width, int height) {
        return reinterpret_cast<LONG_PTR>(LoadImageW(instance, L"MAINICON", IMAGE_ICON, GetSystemMetrics(width),
                                                     GetSystemMetrics(height), LR_SHARED));
    };
    const LONG_PTR small = shared(SM_CXSMICON, SM_CYSMICON);
    const LONG_PTR large = shared(SM_CXICON, SM_CYICON);
    ASSERT_NE(small, 0);
    ASSERT_NE(large, 0);
    for (HWND window : {form.Handle(), label->Handle()}) {
        EXPECT_EQ(static_cast<LONG_PTR>(GetClassLongPtrW(window, GCLP_HICONSM)), small);
        EXPECT_EQ(static_cast<LONG_PTR>(GetClassLongPtrW(window, GCLP_HICON)), large);
    }
}

}  // namespace
