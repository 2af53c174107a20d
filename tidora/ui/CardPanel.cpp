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
    SetWindowLongPtrW(card->Handle(), GWLP_ID, static_cast<LONG_PTR>(cards_.size() + 1));
    cards_.push_back(card);
    if (active_ < 0)
        active_ = 0;
    card->SetVisible(static_cast<int>(cards_.size()) - 1 == active_);
    return card;
}

TPanel* TCardPanel::Card(int index) const
{
    return index >= 0 && index < CardCount() ? cards_[static_cast<size_t>(index)] : nullptr;
}

void TCardPanel::SetActiveCardIndex(int index)
{
    if (index < 0 || index >= CardCount())
        return;
    active_ = index;
    // The new card is shown before the old one is hidden: no flash of the
    // empty container between them.
    cards_[static_cast<size_t>(index)]->SetVisible(true);
    for (int i = 0; i < CardCount(); ++i)
        if (i != index)
            cards_[static_cast<size_t>(i)]->SetVisible(false);
}
