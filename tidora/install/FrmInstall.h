// The install page: the installed programs whose names are on the black
// list of banking and certificate security modules, with their icons and
// publishers, and a button (or a double click, or Enter) that starts the
// selected program's uninstaller. Four watches on the uninstall keys reload
// the page whenever a registration changes, so a row goes by itself once its
// uninstaller has removed the program. Window thread only.
#pragma once

#include "Frame.h"
#include "IconIndex.h"
#include "ImageCollection.h"
#include "Install.h"
#include "ListView.h"
#include "NameList.h"
#include "Panel.h"
#include "RegistryMonitor.h"
#include "StyledButton.h"

#include <memory>
#include <string>
#include <vector>

// One row of the list.
struct TInstallItem : TListRecord {
    std::wstring DisplayName;
    std::wstring Publisher;  // or the no-publisher text
    std::wstring InstallDate;
    std::wstring UninstallString;
    int Icon = 0;  // index in DataIcon
};

class TFrmInstall : public TFrame {
public:
    // The black list belongs to the main window and outlives the page.
    TFrmInstall(TComponent* owner, TControl* parent, TNameList& nameBlack);
    // Stops and joins the watches before anything they reach goes.
    ~TFrmInstall() override;

    TImageCollection* DataIcon;
    TListView* ListInstall;
    TPanel* PnlInstall;
    TStyledButton* BtnInstall;

    // The inventory of the last load, newest install first.
    TInstallList ListInstObj;
    // Icon source text to its index in DataIcon.
    TIconCache ListIconObj;
    // The watches on the four uninstall keys, in source order.
    std::vector<std::unique_ptr<TRegistryMonitor>> ListInstThd;

    // Reads the inventory again and rebuilds the rows.
    void LoadInstall();
    // True while a load runs (it lets pending messages through).
    bool Loading() const { return FLoading; }
    // Runs when a load has ended.
    TNotifyEvent OnLoadFinished;
    // Starts the uninstaller of the selected row (button and double click).
    void BtnInstallClick(TComponent* sender);

private:
    void CreateComponents();
    void StartWatches();
    void StopWatches();

    TNameList& FNameBlack;
    bool FLoading = false;
    bool FReloadPending = false;
};
