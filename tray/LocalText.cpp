#include "LocalText.h"

#include <cwchar>

namespace {

LCID userLcid = 0;

struct Translation {
    LCID lcid;
    const wchar_t* text;
};

struct Entry {
    const wchar_t* key;
    Translation translations[7];
};

// Only these exact identifiers have entries; regional variants (2055, 3084,
// 1028 ...) get English.
const Entry table[] = {
    {L"Tidora", {{1042, L"타이도라"}}},
    {L"WhiteList", {{1042, L"예외목록"}}},
    {L"About", {{1041, L"約"}, {1042, L"만든이 윤하람"}, {2052, L"对于"}}},
    {L"Quit", {{1041, L"終了"}, {1042, L"종료하기"}, {2052, L"结束"}}},
    {L"The application configuration file is invalid.",
     {{1031, L"Die Anwendungskonfigurationsdatei ist ungültig."},
      {1036, L"Le fichier de configuration de l'application n'est pas valide."},
      {1040, L"Il file di configurazione dell'applicazione non è valido."},
      {1041, L"アプリケーションの設定ファイルが無効です。"},
      {1042, L"응용 프로그램 구성 파일이 잘못되었습니다."},
      {1049, L"Конфигурационный файл приложения недействителен."},
      {2052, L"应用程序配置文件无效。"}}},
    {L"Please reinstall and run.",
     {{1031, L"Bitte neu installieren und ausführen."},
      {1036, L"Veuillez réinstaller et exécuter."},
      {1040, L"Si prega di reinstallare ed eseguire."},
      {1041, L"再インストールして実行してください。"},
      {1042, L"다시 설치 후 실행해 주십시오."},
      {1049, L"Пожалуйста, переустановите и запустите."},
      {2052, L"请重新安装并运行。"}}},
    {L"This program has been updated.",
     {{1031, L"Dieses Programm ist aktualisiert worden."},
      {1036, L"Ce programme a été mis à jour."},
      {1040, L"Questo programma è stato aggiornato."},
      {1041, L"このプログラムがアップデートされました。"},
      {1042, L"업데이트가 정보가 있습니다."},
      {1049, L"Данная программа была обновлена."},
      {2052, L"该程序已更新。"}}},
    {L"It is recommended to download and execute new for stable use.",
     {{1031, L"Es wird empfohlen, es herunterzuladen und neu auszuführen, um es stabil zu verwenden."},
      {1036, L"Il est recommandé de télécharger et d'exécuter la nouvelle version pour une utilisation stable."},
      {1040, L"Si raccomanda di scaricarlo ed eseguirlo per un uso stabile."},
      {1041, L"安定的に使用するために新しくダウンロード·実行することをお勧めします。"},
      {1042, L"안정적으로 사용하기 위해 업데이트를 하시길 권장합니다."},
      {1049, L"Рекомендуется скачать и выполнить новое для стабильного использования."},
      {2052, L"建议下载并执行新程序以稳定使用。"}}},
    {L"Do you want to download it?",
     {{1031, L"Möchten Sie es herunterladen?"},
      {1036, L"Voulez-vous le télécharger?"},
      {1040, L"Volete scaricarlo?"},
      {1041, L"ダウンロードしますか。"},
      {1042, L"다운로드 받으시겠습니까?"},
      {1049, L"Вы хотите загрузить ее?"},
      {2052, L"您要下载吗？"}}},
};

}  // namespace

LCID UserLcid()
{
    return userLcid;
}

void SetUserLcid(LCID lcid)
{
    userLcid = lcid;
}

// Keys compare exactly and case-sensitively; anything not in the table comes
// back unchanged.
std::wstring LocalText(const std::wstring& text, LCID lcid)
{
    for (const Entry& entry : table) {
        if (text != entry.key)
            continue;
        for (const Translation& translation : entry.translations)
            if (translation.text && translation.lcid == lcid)
                return translation.text;
        break;
    }
    return text;
}

std::wstring LocalText(const std::wstring& text)
{
    return LocalText(text, userLcid);
}
