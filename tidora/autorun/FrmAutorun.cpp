#include "FrmAutorun.h"

#include "Application.h"
#include "Form.h"
#include "MatchList.h"
#include "PathTokens.h"
#include "SaveDialog.h"
#include "ServiceProtocol.h"
#include "Text.h"
#include "TranslateComponent.h"
#include "Translation.h"
#include "VersionStrings.h"

#include "build_config.h"

#include <map>
#include <memory>
#include <stdexcept>
#include <unordered_map>
#include <unordered_set>

namespace {

constexpr int RowHeight = 24;
constexpr int SourceColumnWidth = 50;
constexpr int StripHeight = 49;
constexpr int StripSpace = 8;
constexpr int ButtonWidth = 84;
constexpr int ButtonHeight = 33;

const wchar_t* const BuiltInIcons[] = {L"LISTICON0", L"LISTICON1", L"LISTICON2", L"LISTICON3"};

// The name after the last backslash or colon of a target.
std::wstring LastPart(const std::wstring& target)
{
    const size_t cut = target.find_last_of(L"\\:");
    return cut == std::wstring::npos ? target : target.substr(cut + 1);
}

std::wstring AsciiLower(std::wstring text)
{
    for (wchar_t& c : text)
        if (c >= L'A' && c <= L'Z')
            c = static_cast<wchar_t>(c - L'A' + L'a');
    return text;
}

// Rows are the same entry when Target and From agree, ASCII case ignored.
std::wstring RowKey(const std::wstring& target, const std::wstring& from)
{
    return AsciiUpper(target) + L'\n' + AsciiUpper(from);
}

}  // namespace

TFrmAutorun::TFrmAutorun(TComponent* owner, TControl* parent, TNameList& fileWhite, TNameList& nameWhite,
                         TNameList& nameBlack)
    : TFrame(owner, parent, L"FrmAutorun"), FFileWhite(fileWhite), FNameWhite(nameWhite), FNameBlack(nameBlack)
{
    CreateComponents();
    TranslateComponent(this);
}

// The rows hold nothing of the lists; the list view frees its records.
TFrmAutorun::~TFrmAutorun() = default;

void TFrmAutorun::CreateComponents()
{
    SetAlign(TAlign::Client);

    // The strip first, so that the list takes what it leaves.
    PnlAutorun = new TPanel(this, this, L"PnlAutorun");
    PnlAutorun->SetBounds(0, 0, 375, StripHeight);
    PnlAutorun->SetAlign(TAlign::Bottom);
    PnlAutorun->SetMargins({0, StripSpace, 0, StripSpace});

    ChkAllList = new TCheckBox(this, PnlAutorun, L"ChkAllList");
    ChkAllList->SetCaption(L"전체목록");
    ChkAllList->SetBounds(0, (StripHeight - 20) / 2, 150, 20);
    ChkAllList->OnClick = [this](TComponent* sender) { ChkAllListClick(sender); };

    BtnAutorun = new TStyledButton(this, PnlAutorun, L"BtnAutorun");
    BtnAutorun->SetCaption(L"사용안함");
    BtnAutorun->SetBounds(0, 0, ButtonWidth, ButtonHeight);
    BtnAutorun->SetAlign(TAlign::Right);
    BtnAutorun->SetMargins({0, (StripHeight - ButtonHeight) / 2, 0, (StripHeight - ButtonHeight + 1) / 2});
    BtnAutorun->SetStyle(L"Morvane", L"Primary", L"Outline");
    BtnAutorun->SetShape(TButtonShape::RoundRect, 4);
    BtnAutorun->OnClick = [this](TComponent* sender) { BtnAutorunClick(sender); };

    DataIcon = new TImageCollection(this, L"DataIcon");
    AddBuiltInImages();

    Menu = new TPopupMenu(this, L"Menu");
    BtnSave = Menu->Items().Add(std::make_unique<TMenuItem>(L"BtnSave", L"목록 저장"));
    BtnSave->OnClick = [this](TComponent* sender) { BtnSaveClick(sender); };

    ListAutorun = new TListView(this, this, L"ListAutorun");
    ListAutorun->SetAlign(TAlign::Client);
    ListAutorun->AddColumn(Translate(L"프로그램 이름"), 0);
    ListAutorun->AddColumn(Translate(L"출처"), SourceColumnWidth);
    ListAutorun->SetAutoSizeColumn(0);
    ListAutorun->SetImages(DataIcon);
    ListAutorun->OnGetText = [](const TListRecord& record, int column) {
        const auto& row = static_cast<const TAutorunItem&>(record);
        return column == 0 ? row.FileName : row.From;
    };
    ListAutorun->OnGetImageIndex = [](const TListRecord& record, int column) {
        return column == 0 ? static_cast<const TAutorunItem&>(record).Icon : I_IMAGENONE;
    };
    ListAutorun->OnPaintText = [](const TListRecord& record, int, COLORREF& color) {
        if (!static_cast<const TAutorunItem&>(record).Enabled)
            color = GetSysColor(COLOR_GRAYTEXT);
    };
    ListAutorun->OnDrawText = [this](const TListRecord&, int column, HFONT& font) {
        if (column == 1)
            font = FSourceFont.Get();
    };
    ListAutorun->OnMeasureItem = [](const TListRecord&) { return RowHeight; };
    // The button follows the focused row, chosen by mouse or keyboard.
    ListAutorun->OnClick = [this](TComponent* sender) { ListAutorunClick(sender); };
    ListAutorun->OnFocusChanged = [this](TComponent* sender) { ListAutorunClick(sender); };
    ListAutorun->OnDblClick = [this](TComponent* sender) { ListAutorunDblClick(sender); };
    ListAutorun->OnKeyDown = [this](TComponent* sender, WORD key) { ListAutorunKeyDown(sender, key); };
    ListAutorun->OnContextPopup = [this](TComponent*, POINT at) { Menu->Popup(Handle(), at.x, at.y); };
    ScaleChanged();
}

// Images 0 to 3 come from the program's resources.
void TFrmAutorun::AddBuiltInImages()
{
    for (const wchar_t* name : BuiltInIcons)
        AddResourceIcon(*DataIcon, name);
}

// The source column's font: Consolas at the list's own text height.
void TFrmAutorun::ScaleChanged()
{
    LOGFONTW font{};
    GetObjectW(Font(), sizeof(font), &font);
    lstrcpynW(font.lfFaceName, L"Consolas", LF_FACESIZE);
    font.lfWeight = FW_NORMAL;
    TFontHandle replacement(CreateFontIndirectW(&font));
    // The list is told to redraw before the old font goes.
    if (ListAutorun)
        ListAutorun->Invalidate();
    FSourceFont = std::move(replacement);
}

bool TFrmAutorun::IsHidden(const TAutorunInfo& entry) const
{
    if (AsciiEqualsIgnoreCase(entry.From, L"FILE"))
        return MatchList(FFileWhite, entry.Target, true);
    if (AsciiEqualsIgnoreCase(entry.From, L"SERV"))
        return MatchList(FNameWhite, entry.Target, false);
    // Tasks and Run values: by their name, the target's last part.
    return MatchList(FNameWhite, LastPart(entry.Target), false);
}

TAutorunItem TFrmAutorun::MakeRow(const TAutorunInfo& entry)
{
    TAutorunItem row;
    row.Target = entry.Target;
    row.From = entry.From;
    row.Enabled = entry.Enabled;
    std::wstring displayName;
    if (AsciiEqualsIgnoreCase(entry.From, L"SCHE")) {
        row.Icon = ImageTask;
    } else if (AsciiEqualsIgnoreCase(entry.From, L"SERV")) {
        row.Icon = ImageService;
    } else {
        std::map<std::wstring, std::wstring> values;
        if (GetVersionStrings(entry.FileName, {L"ProductName", L"CompanyName"}, values) > 0)
            displayName = values[L"ProductName"];
        // A file that no longer exists shows image 0, the missing-file mark.
        row.Icon = GetIconIndex(ListIconObj, *DataIcon, entry.FileName, ImageProgram);
    }
    row.FileName = displayName.empty() ? entry.Caption : displayName;
    return row;
}

void TFrmAutorun::LoadAutorun()
{
    // A reload asked for while one runs (F5 while pending messages are
    // served) runs after it, not inside it.
    if (FLoading) {
        FReloadPending = true;
        return;
    }
    FLoading = true;
    do {
        FReloadPending = false;
        // The page is painted before the sources are read.
        Application::ProcessMessages();
        GetAutorun(ListAutoObj);

        // Existing rows by identity, so that each entry finds its row at once.
        std::unordered_map<std::wstring, int> rows;
        for (int i = ListAutorun->RowCount() - 1; i >= 0; --i) {
            const auto* row = ListAutorun->RowAs<TAutorunItem>(i);
            rows[RowKey(row->Target, row->From)] = i;
        }
        std::unordered_set<std::wstring> present;
        for (const TAutorunInfo& entry : ListAutoObj) {
            present.insert(entry.From + L"|" + entry.Target);
            const std::wstring key = RowKey(entry.Target, entry.From);
            if (const auto found = rows.find(key); found != rows.end()) {
                ListAutorun->RowAs<TAutorunItem>(found->second)->Enabled = entry.Enabled;
                continue;
            }
            if (entry.Caption.empty() || (!entry.Enabled && !ChkAllList->Checked()) || IsHidden(entry))
                continue;
            const int added = ListAutorun->AddRow(std::make_unique<TAutorunItem>(MakeRow(entry)));
            if (added >= 0)
                rows.emplace(key, added);
        }
        for (int i = ListAutorun->RowCount() - 1; i >= 0; --i) {
            const auto* row = ListAutorun->RowAs<TAutorunItem>(i);
            if (!present.contains(row->From + L"|" + row->Target))
                ListAutorun->DeleteRow(i);
        }
        ListAutorun->Repaint();
    } while (FReloadPending);
    FLoading = false;
    if (OnLoadFinished)
        OnLoadFinished(this);
}

void TFrmAutorun::ReloadAll()
{
    ListAutorun->Clear();
    LoadAutorun();
}

void TFrmAutorun::ChkAllListClick(TComponent*)
{
    ReloadAll();
}

void TFrmAutorun::ListAutorunKeyDown(TComponent*, WORD key)
{
    if (key == VK_F5)
        ReloadAll();
}

// The button offers the opposite of the row's state.
void TFrmAutorun::ShowRowState(bool enabled)
{
    BtnAutorun->SetDown(!enabled);
    BtnAutorun->SetCaption(Translate(enabled ? L"사용안함" : L"사용함"));
}

void TFrmAutorun::ListAutorunClick(TComponent*)
{
    if (const auto* row = ListAutorun->RowAs<TAutorunItem>(ListAutorun->FocusedRow()))
        ShowRowState(row->Enabled);
}

void TFrmAutorun::BtnAutorunClick(TComponent*)
{
    BtnAutorun->SetEnabled(false);
    if (const auto* row = ListAutorun->RowAs<TAutorunItem>(ListAutorun->SelectedRow())) {
        const bool wasEnabled = row->Enabled;
        SetAutorun(row->Target, row->From, !wasEnabled);
        ShowRowState(!wasEnabled);
    }
    LoadAutorun();
    BtnAutorun->SetEnabled(true);
}

std::wstring TFrmAutorun::EntryAddress(const std::wstring& site, const std::wstring& from, const std::wstring& target)
{
    // Names come from any program on the machine: each piece is lower-cased
    // (ASCII) and then percent-encoded as UTF-8, so spaces, "#", "?", "&"
    // or Hangul cannot break the address. Plain names stay as they are.
    return site + L"/entry/" + PercentEncodeKey(AsciiLower(from)) + L"/" + PercentEncodeKey(AsciiLower(LastPart(target)));
}

void TFrmAutorun::ListAutorunDblClick(TComponent*)
{
    if (const auto* row = ListAutorun->RowAs<TAutorunItem>(ListAutorun->FocusedRow()))
        ShellOpen(EntryAddress(TIDORA_SITE_URL, row->From, row->Target));
}

std::string TFrmAutorun::SavedListText(const TAutorunList& entries)
{
    std::wstring text;
    for (const TAutorunInfo& entry : entries)
        text += entry.From + L"|" + entry.Caption + L"|" + entry.Target + L"\r\n";
    return "\xEF\xBB\xBF" + WideToUtf8(text);
}

void TFrmAutorun::BtnSaveClick(TComponent*)
{
    TSaveDialogOptions options;
    options.Title = Translate(L"파일 저장");
    options.Filter = Translate(L"텍스트 파일") + L" (*.txt)|*.txt|" + Translate(L"모든 파일") + L" (*.*)|*.*";
    options.FilterIndex = 1;
    options.DefaultExt = L"txt";
    TForm* form = ParentForm();
    const auto path = ShowSaveDialog(form ? form->Handle() : Handle(), options);
    if (!path)
        return;
    const std::string bytes = SavedListText(ListAutoObj);
    TFileHandle file(CreateFileW(path->c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL,
                                 nullptr));
    DWORD written = 0;
    // A file that cannot be written is reported like any other error of a
    // window event: the crash reporter shows it and the page stays as it is.
    if (!file || !WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
        written != bytes.size())
        throw std::runtime_error("목록 파일을 저장할 수 없습니다: " + WideToUtf8(*path));
}
