// Translation of the captions of a component tree (see Translation.h for
// the lookup itself).
#pragma once

#include <string>

class TComponent;
class TMenuItem;

// A non-empty `language` becomes the current language first. Popup menus
// translate their items; a caption is translated for the current language,
// except that a form's caption is translated to English whenever the
// current language is not Korean. Then every owned component follows, in
// ownership order, down the whole tree.
void TranslateComponent(TComponent* component, const std::wstring& language = L"");
// The item's caption, then its sub-items', recursively.
void TranslateMenuItem(TMenuItem& item);
