#include "FrmInstall.h"

#include "Application.h"
#include "Execute.h"
#include "MatchList.h"
#include "Text.h"
#include "ThreadHandover.h"
#include "TranslateComponent.h"
#include "Translation.h"

#include <unordered_set>

namespace {

constexpr int RowHeight = 24;
constexpr int PublisherColumnWidth = 140;
constexpr int StripHeight = 49;
constexpr int StripSpace = 8;
constexpr int ButtonWidth = 84;
constexpr int ButtonHeight = 33;

// Image 0 stands for a program without an icon of its own; 1 to 3 keep the
// indexes of the autorun page's built-in images.
const wchar_t* const BuiltInIcons[] = {L"LISTICON1", L"LISTICON1", L"LISTICON2", L"LISTICON3"};

}  // namespace

TFrmInstall::TFrmInstall(TComponent* owner, TControl* parent, TNameList& nameBlack)
    : TFrame(owner, parent, L"FrmInstall"), FNameBlack(nameBlack)
{
    CreateComponents();
    TranslateComponent(this);
    StartWatches();
}

TFrmInstall::~TFrmInstall()
{
    StopWatches();
}

void TFrmInstall::CreateComponents()
{
    SetAlign(TAlign::Client);

    DataIcon = new TImageCollection(this, L"DataIcon");
    for (const wchar_t* name : BuiltInIcons)
        AddResourceIcon(*DataIcon, name);

    // The strip first, so that the list takes what it leaves.
    PnlInstall = new TPanel(this, this, L"PnlInstall");
    PnlInstall->SetBounds(0, 0, 375, StripHeight);
    PnlInstall->SetAlign(TAlign::Bottom);
    PnlInstall->SetMargins({0, StripSpace, 0, StripSpace});

    BtnInstall = new TStyledButton(this, PnlInstall, L"BtnInstall");
    BtnInstall->SetCaption(L"삭제하기");
    BtnInstall->SetBounds(0, 0, ButtonWidth, ButtonHeight);
    BtnInstall->SetAlign(TAlign::Right);
    BtnInstall->SetMargins({0, (StripHeight - ButtonHeight) / 2, 0, (StripHeight - ButtonHeight + 1) / 2});
    BtnInstall->SetStyle(L"Morvane", L"Primary", L"Outline");
    BtnInstall->SetShape(TButtonShape::RoundRect, 4);
    BtnInstall->OnClick = [this](TComponent* sender) { BtnInstallClick(sender); };

    ListInstall = new TListView(this, this, L"ListInstall");
    ListInstall->SetAlign(TAlign::Client);
    ListInstall->AddColumn(Translate(L"프로그램 이름"), 0);
    ListInstall->AddColumn(Translate(L"출처"), PublisherColumnWidth);
    ListInstall->SetAutoSizeColumn(0);
    ListInstall->SetImages(DataIcon);
    ListInstall->OnGetText = [](const TListRecord& record, int column) {
        const auto& row = static_cast<const TInstallItem&>(record);
        return column == 0 ? row.DisplayName : column == 1 ? row.Publisher : std::wstring();
    };
    ListInstall->OnGetImageIndex = [](const TListRecord& record, int column) {
        return column == 0 ? static_cast<const TInstallItem&>(record).Icon : I_IMAGENONE;
    };
    ListInstall->OnMeasureItem = [](const TListRecord&) { return RowHeight; };
    ListInstall->OnDblClick = [this](TComponent* sender) { BtnInstallClick(sender); };
}

// One watch per uninstall source, each on its key's whole subtree.
void TFrmInstall::StartWatches()
{
    for (const TUninstallSource& source : UninstallSources())
        ListInstThd.push_back(
            RegistryMonitor(source.Root, source.Path, [this] { LoadInstall(); }, true, WindowThreadHandover()));
}

// Last started, first stopped; each is joined before it is freed, so no
// reload can run once the page's parts begin to go.
void TFrmInstall::StopWatches()
{
    for (auto watch = ListInstThd.rbegin(); watch != ListInstThd.rend(); ++watch) {
        if (*watch) {
            (*watch)->Stop();
            (*watch)->Join();
            watch->reset();
        }
    }
    ListInstThd.clear();
}

void TFrmInstall::LoadInstall()
{
    // A watch that fires while a load lets pending messages through is not
    // served inside it: the load runs once more when it is done.
    if (FLoading) {
        FReloadPending = true;
        return;
    }
    FLoading = true;
    do {
        FReloadPending = false;
        // The page is painted before the inventory is read.
        Application::ProcessMessages();
        GetInstall(ListInstObj);

        std::unordered_set<std::wstring> seen;
        std::unordered_set<std::wstring> shown;  // ASCII upper case
        ListInstall->Clear();
        for (const TInstallInfo& record : ListInstObj) {
            // Of several records with one name only the newest can be a row.
            if (!seen.insert(record.DisplayName).second)
                continue;
            if (!MatchList(FNameBlack, record.DisplayName, false))
                continue;
            if (!shown.insert(AsciiUpper(record.DisplayName)).second)
                continue;
            auto row = std::make_unique<TInstallItem>();
            row->DisplayName = record.DisplayName;
            row->Publisher = record.Publisher.empty() ? Translate(L"알수없음") : record.Publisher;
            row->InstallDate = record.InstallDate;
            row->UninstallString = record.UninstallString;
            row->Icon = GetIconIndex(ListIconObj, *DataIcon, record.DisplayIcon, 0);
            ListInstall->AddRow(std::move(row));
        }
        ListInstall->Repaint();
    } while (FReloadPending);
    FLoading = false;
    if (OnLoadFinished)
        OnLoadFinished(this);
}

void TFrmInstall::BtnInstallClick(TComponent*)
{
    BtnInstall->SetEnabled(false);
    // The uninstaller is not waited for: the watches drop its row once it
    // has removed its registration.
    if (const auto* row = ListInstall->RowAs<TInstallItem>(ListInstall->SelectedRow()))
        Execute(row->UninstallString, SW_SHOW);
    LoadInstall();
    BtnInstall->SetEnabled(true);
}
