#include "TranslateComponent.h"

#include "Component.h"
#include "Form.h"
#include "MenuItem.h"
#include "PopupMenu.h"
#include "Translation.h"

void TranslateComponent(TComponent* component, const std::wstring& language)
{
    if (!component)
        return;
    if (!language.empty())
        SetCurrentLanguage(language);
    if (auto* popup = dynamic_cast<TPopupMenu*>(component))
        TranslateMenuItem(popup->Items());
    if (component->HasCaption()) {
        if (dynamic_cast<TForm*>(component) && CurrentLanguage() != L"ko")
            component->SetCaption(Translate(component->Caption(), L"en"));
        else
            component->SetCaption(Translate(component->Caption()));
    }
    for (TComponent* owned : std::vector<TComponent*>(component->Components()))
        TranslateComponent(owned, language);
}

void TranslateMenuItem(TMenuItem& item)
{
    item.SetCaption(Translate(item.Caption()));
    for (int i = 0; i < item.Count(); ++i)
        TranslateMenuItem(*item.Item(i));
}
