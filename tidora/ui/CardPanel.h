// A container that shows one of its cards at a time. Each card is a panel
// filling the container; the card at index i has the window id i + 1.
#pragma once

#include "Panel.h"

#include <vector>

class TCardPanel : public TControl {
public:
    TCardPanel(TComponent* owner, TControl* parent, std::wstring name);

    TPanel* AddCard(TComponent* owner, std::wstring name);
    int CardCount() const { return static_cast<int>(FCards.size()); }
    TPanel* Card(int index) const;
    int ActiveCardIndex() const { return FActive; }
    // Shows the card at `index` and hides the others; ignores other indices.
    void SetActiveCardIndex(int index);

protected:
    bool PaintsItself() const override { return true; }

private:
    std::vector<TPanel*> FCards;
    int FActive = -1;
};
