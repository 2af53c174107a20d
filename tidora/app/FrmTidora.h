// The main window: the header with the three page buttons and the logo,
// and the card panel holding the home, autorun and install pages.
#pragma once

#include "ActivityIndicator.h"
#include "CardPanel.h"
#include "Form.h"
#include "FrmAutorun.h"
#include "FrmInstall.h"
#include "HtmlLabel.h"
#include "Label.h"
#include "NameList.h"
#include "Panel.h"
#include "StyledButton.h"
#include "StyledToolBar.h"
#include "StyledToolButton.h"
#include "ThemeHelper.h"
#include "VectorImage.h"

#include <memory>
#include <string>

class TFrmTidora : public TForm {
public:
    TFrmTidora();
    ~TFrmTidora() override;

    TPanel* PnlHead;
    TStyledToolBar* BtnHead;
    TStyledToolButton* BtnHome;
    TStyledToolButton* BtnAutorun;
    TStyledToolButton* BtnInstall;
    TPanel* PnlLogo;
    TVectorImage* ImgLogo;
    TCardPanel* PnlMain;
    TPanel* PnlCleaner;
    TPanel* PnlAutorun;
    TPanel* PnlInstall;
    TLabel* LblTitle;
    THtmlLabel* LblContent;
    TStyledButton* BtnStart;
    TActivityIndicator* Indicator;

    // The autorun and install pages, made on the first visit.
    TFrmAutorun* FrmAutorun = nullptr;
    TFrmInstall* FrmInstall = nullptr;

    // Created by FormCreate from the embedded defaults, released by FormClose.
    std::unique_ptr<TNameList> FileWhite;
    std::unique_ptr<TNameList> NameWhite;
    std::unique_ptr<TNameList> NameBlack;

    void FormCreate();
    // Shared by the three header buttons and the logo.
    void BtnHomeClick(TComponent* sender);
    void BtnStartClick(TComponent* sender);
    // Completion of the start-up request, on the window thread: closes the
    // window when the user took an update, else merges the list additions.
    void StartupAnswer(bool closeProgram, const std::wstring& answer);

    // True from the press of the run button until the run's end.
    bool RunActive() const { return FRunActive; }

protected:
    bool FormCloseQuery() override;
    void FormClose() override;
    LRESULT WndProc(UINT message, WPARAM wParam, LPARAM lParam) override;

private:
    void CreateComponents();
    void RestoreRunButton();
    void PageLoadFinished();

    TThemeHelper* FThemeHelper = nullptr;
    bool FRunActive = false;
    bool FCloseAfterLoad = false;
};
