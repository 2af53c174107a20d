#include "CardPanel.h"

namespace {

constexpr wchar_t ClassName[] = L"TidoraCardPanel";

}  // namespace

TCardPanel::TCardPanel(TComponent* owner, TControl* parent, std::wstring name)
    : TControl(owner, parent, std::move(name))
{
    RegisterControlClass(ClassName);
    CreateHandle(ClassName, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT);
}

TPanel* TCardPanel::AddCard(TComponent* owner, std::wstring name)
{
    auto* card = new TPanel(owner, this, std::move(name));
    card->SetAlign(TAlign::Client);
    SetWindowLongPtrW(card->Handle(), GWLP_ID, static_cast<LONG_PTR>(FCards.size() + 1));
    FCards.push_back(card);
    if (FActive < 0)
        FActive = 0;
    card->SetVisible(static_cast<int>(FCards.size()) - 1 == FActive);
    return card;
}

TPanel* TCardPanel::Card(int index) const
{
    return index >= 0 && index < CardCount() ? FCards[static_cast<size_t>(index)] : nullptr;
}

void TCardPanel::SetActiveCardIndex(int index)
{
    if (index < 0 || index >= CardCount())
        return;
    FActive = index;
    // The new card is shown before the old one is hidden: no flash of the
    // empty container between them.
    FCards[static_cast<size_t>(index)]->SetVisible(true);
    for (int i = 0; i < CardCount(); ++i)
        if (i != index)
            FCards[static_cast<size_t>(i)]->SetVisible(false);
}
