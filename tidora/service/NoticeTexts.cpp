#include "NoticeTexts.h"

#include "Translation.h"

#include <iterator>

namespace {

struct TNoticeTexts {
    const wchar_t* Language;
    const wchar_t* Paragraphs[3];
    const wchar_t* Yes;
    const wchar_t* No;
};

const TNoticeTexts Texts[] = {
    {L"ko", {L"업데이트가 정보가 있습니다.", L"안정적으로 사용하기 위해 업데이트를 하시길 권장합니다.", L"다운로드 받으시겠습니까?"}, L"예", L"아니오"},
    {L"ja", {L"このプログラムがアップデートされました。", L"安定的に使用するために新しくダウンロード·実行することをお勧めします。", L"ダウンロードしますか。"}, L"はい", L"いいえ"},
    {L"zh", {L"该程序已更新。", L"建议下载并执行新程序以稳定使用。", L"您要下载吗？"}, L"是", L"否"},
    {L"de", {L"Dieses Programm ist aktualisiert worden.", L"Es wird empfohlen, es herunterzuladen und neu auszuführen, um es stabil zu verwenden.", L"Möchten Sie es herunterladen?"}, L"Ja", L"Nein"},
    {L"ru", {L"Данная программа была обновлена.", L"Рекомендуется скачать и выполнить новое для стабильного использования.", L"Вы хотите загрузить ее?"}, L"Да", L"Нет"},
    {L"it", {L"È disponibile una nuova versione del programma.", L"Ti suggeriamo di scaricare ed aggiornare il programma.", L"Vuoi scaricare la nuova versione del programma?"}, L"Sì", L"No"},
    {L"fr", {L"Ce programme a été mis à jour.", L"Il est recommandé de télécharger et d'exécuter la nouvelle version pour une utilisation stable.", L"Voulez-vous le télécharger?"}, L"Oui", L"Non"},
    {L"", {L"This program has been updated.", L"It is recommended to download and execute new for stable use.", L"Do you want to download it?"}, L"Yes", L"No"},
};

}  // namespace

std::wstring GetUpdateText(int kind, std::wstring_view language)
{
    const TNoticeTexts* texts = &Texts[std::size(Texts) - 1];
    for (const auto& entry : Texts) {
        if (*entry.Language && language == entry.Language) {
            texts = &entry;
            break;
        }
    }
    switch (kind) {
    case 0:
        return std::wstring(texts->Paragraphs[0]) + L"\r\r" + texts->Paragraphs[1] + L"\r\r" + texts->Paragraphs[2];
    case 1:
        return texts->Yes;
    case 2:
        return texts->No;
    }
    return {};
}

std::wstring GetUpdateText(int kind)
{
    return GetUpdateText(kind, CurrentLanguage());
}
