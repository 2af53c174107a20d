// The autorun page: everything that starts with Windows, with its name and
// source; switched-off entries in grey; Windows' essentials and the maker's
// own programs hidden by the white lists. The selected entry is switched
// off or on with the button, the whole list saved from the popup menu, and
// an entry looked up on the product web site with a double click or Enter.
// Window thread only.
#pragma once

#include "Autorun.h"
#include "CheckBox.h"
#include "Frame.h"
#include "IconIndex.h"
#include "ImageCollection.h"
#include "ListView.h"
#include "MenuItem.h"
#include "NameList.h"
#include "Panel.h"
#include "PopupMenu.h"
#include "StyledButton.h"
#include "Win32Handles.h"

#include <string>

// One row of the list.
struct TAutorunItem : TListRecord {
    std::wstring FileName;  // display name: the file's product name, else the entry's caption
    std::wstring Target;
    std::wstring From;
    int Icon = 1;  // index in DataIcon
    bool Enabled = true;
};

// Built-in images of DataIcon.
enum TAutorunImage : int {
    ImageMissingFile = 0,
    ImageProgram = 1,
    ImageTask = 2,
    ImageService = 3,
};

class TFrmAutorun : public TFrame {
public:
    // The lists belong to the main window and outlive the page.
    TFrmAutorun(TComponent* owner, TControl* parent, TNameList& fileWhite, TNameList& nameWhite,
                TNameList& nameBlack);
    ~TFrmAutorun() override;

    TListView* ListAutorun;
    TPanel* PnlAutorun;
    TCheckBox* ChkAllList;
    TImageCollection* DataIcon;
    TPopupMenu* Menu;
    TMenuItem* BtnSave;
    TStyledButton* BtnAutorun;

    // The entries of the last load, in source order.
    TAutorunList ListAutoObj;
    // Icon source text to its index in DataIcon.
    TIconCache ListIconObj;

    // Reads the sources again and brings the rows up to date: rows of
    // entries that still exist stay (their state refreshed), new entries
    // are appended, rows of vanished entries go.
    void LoadAutorun();
    // True while a load runs (it lets pending messages through).
    bool Loading() const { return FLoading; }
    // Runs when a load has ended.
    TNotifyEvent OnLoadFinished;

    void BtnAutorunClick(TComponent* sender);
    void BtnSaveClick(TComponent* sender);
    void ChkAllListClick(TComponent* sender);
    void ListAutorunClick(TComponent* sender);
    void ListAutorunDblClick(TComponent* sender);
    void ListAutorunKeyDown(TComponent* sender, WORD key);

    // The address the look-up of a row opens.
    static std::wstring EntryAddress(const std::wstring& site, const std::wstring& from, const std::wstring& target);
    // The saved list: UTF-8 with a byte-order mark, "From|Caption|Target" and
    // CR LF for every entry.
    static std::string SavedListText(const TAutorunList& entries);

protected:
    void ScaleChanged() override;

private:
    void CreateComponents();
    void AddBuiltInImages();
    void ReloadAll();
    void ShowRowState(bool enabled);
    bool IsHidden(const TAutorunInfo& entry) const;
    TAutorunItem MakeRow(const TAutorunInfo& entry);

    TNameList& FFileWhite;
    TNameList& FNameWhite;
    TNameList& FNameBlack;  // not consulted by this page
    TFontHandle FSourceFont;
    bool FLoading = false;
    bool FReloadPending = false;
};
