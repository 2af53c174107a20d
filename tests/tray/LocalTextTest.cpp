#include "LocalText.h"
#include "TrayActions.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

struct TextCase {
    const wchar_t* key;
    LCID lcid;
    const wchar_t* expected;
};

TEST(LocalText, MenuAndCaptionTexts)
{
    const TextCase cases[] = {
        {L"Tidora", 1042, L"타이도라"},
        {L"Tidora", 1041, L"Tidora"},
        {L"Tidora", 2052, L"Tidora"},
        {L"WhiteList", 1042, L"예외목록"},
        {L"WhiteList", 1041, L"WhiteList"},
        {L"About", 1041, L"約"},
        {L"About", 1042, L"만든이 윤하람"},
        {L"About", 2052, L"对于"},
        {L"Quit", 1041, L"終了"},
        {L"Quit", 1042, L"종료하기"},
        {L"Quit", 2052, L"结束"},
        // No German, French, Italian or Russian menu texts.
        {L"Quit", 1031, L"Quit"},
        {L"About", 1049, L"About"},
        {L"Tidora", 1036, L"Tidora"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalText(c.key, c.lcid), c.expected) << c.key << " " << c.lcid;
}

TEST(LocalText, MessageTextsForAllSevenLocales)
{
    const TextCase cases[] = {
        {L"The application configuration file is invalid.", 1031, L"Die Anwendungskonfigurationsdatei ist ungültig."},
        {L"The application configuration file is invalid.", 1036,
         L"Le fichier de configuration de l'application n'est pas valide."},
        {L"The application configuration file is invalid.", 1040,
         L"Il file di configurazione dell'applicazione non è valido."},
        {L"The application configuration file is invalid.", 1041, L"アプリケーションの設定ファイルが無効です。"},
        {L"The application configuration file is invalid.", 1042, L"응용 프로그램 구성 파일이 잘못되었습니다."},
        {L"The application configuration file is invalid.", 1049, L"Конфигурационный файл приложения недействителен."},
        {L"The application configuration file is invalid.", 2052, L"应用程序配置文件无效。"},
        {L"Please reinstall and run.", 1031, L"Bitte neu installieren und ausführen."},
        {L"Please reinstall and run.", 1036, L"Veuillez réinstaller et exécuter."},
        {L"Please reinstall and run.", 1040, L"Si prega di reinstallare ed eseguire."},
        {L"Please reinstall and run.", 1041, L"再インストールして実行してください。"},
        {L"Please reinstall and run.", 1042, L"다시 설치 후 실행해 주십시오."},
        {L"Please reinstall and run.", 1049, L"Пожалуйста, переустановите и запустите."},
        {L"Please reinstall and run.", 2052, L"请重新安装并运行。"},
        {L"This program has been updated.", 1031, L"Dieses Programm ist aktualisiert worden."},
        {L"This program has been updated.", 1036, L"Ce programme a été mis à jour."},
        {L"This program has been updated.", 1040, L"Questo programma è stato aggiornato."},
        {L"This program has been updated.", 1041, L"このプログラムがアップデートされました。"},
        {L"This program has been updated.", 1042, L"업데이트가 정보가 있습니다."},
        {L"This program has been updated.", 1049, L"Данная программа была обновлена."},
        {L"This program has been updated.", 2052, L"该程序已更新。"},
        {L"It is recommended to download and execute new for stable use.", 1031,
         L"Es wird empfohlen, es herunterzuladen und neu auszuführen, um es stabil zu verwenden."},
        {L"It is recommended to download and execute new for stable use.", 1036,
         L"Il est recommandé de télécharger et d'exécuter la nouvelle version pour une utilisation stable."},
        {L"It is recommended to download and execute new for stable use.", 1040,
         L"Si raccomanda di scaricarlo ed eseguirlo per un uso stabile."},
        {L"It is recommended to download and execute new for stable use.", 1041,
         L"安定的に使用するために新しくダウンロード·実行することをお勧めします。"},
        {L"It is recommended to download and execute new for stable use.", 1042,
         L"안정적으로 사용하기 위해 업데이트를 하시길 권장합니다."},
        {L"It is recommended to download and execute new for stable use.", 1049,
         L"Рекомендуется скачать и выполнить новое для стабильного использования."},
        {L"It is recommended to download and execute new for stable use.", 2052, L"建议下载并执行新程序以稳定使用。"},
        {L"Do you want to download it?", 1031, L"Möchten Sie es herunterladen?"},
        {L"Do you want to download it?", 1036, L"Voulez-vous le télécharger?"},
        {L"Do you want to download it?", 1040, L"Volete scaricarlo?"},
        {L"Do you want to download it?", 1041, L"ダウンロードしますか。"},
        {L"Do you want to download it?", 1042, L"다운로드 받으시겠습니까?"},
        {L"Do you want to download it?", 1049, L"Вы хотите загрузить ее?"},
        {L"Do you want to download it?", 2052, L"您要下载吗？"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalText(c.key, c.lcid), c.expected) << c.lcid;
}

TEST(LocalText, OtherLocalesAndTextsStayEnglish)
{
    const TextCase cases[] = {
        {L"Please reinstall and run.", 2055, L"Please reinstall and run."},   // German, Switzerland
        {L"Please reinstall and run.", 3084, L"Please reinstall and run."},   // French, Canada
        {L"Please reinstall and run.", 1028, L"Please reinstall and run."},   // Chinese, Taiwan
        {L"Tidora", 1033, L"Tidora"},
        {L"Tidora", 0, L"Tidora"},
        {L"tidora", 1042, L"tidora"},                                         // keys are case-sensitive
        {L"Tidora ", 1042, L"Tidora "},                                       // and compared whole
        {L"Not in the table", 1042, L"Not in the table"},
        {L"", 1042, L""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LocalText(c.key, c.lcid), c.expected) << c.lcid;
}

TEST(LocalText, UsesTheUserLocaleSetAtStart)
{
    LCID saved = UserLcid();
    SetUserLcid(1041);
    EXPECT_EQ(LocalText(L"Quit"), L"終了");
    SetUserLcid(3084);
    EXPECT_EQ(LocalText(L"Quit"), L"Quit");
    SetUserLcid(saved);
}

TEST(PopupMenuEntries, FiveEntriesAroundASeparatorInTheUsersLanguage)
{
    LCID saved = UserLcid();
    SetUserLcid(1042);
    EXPECT_EQ(PopupMenuEntries(),
              (std::vector<std::wstring>{L"타이도라", L"예외목록", L"-", L"만든이 윤하람", L"종료하기", L""}));
    SetUserLcid(1041);
    EXPECT_EQ(PopupMenuEntries(), (std::vector<std::wstring>{L"Tidora", L"WhiteList", L"-", L"約", L"終了", L""}));
    SetUserLcid(1033);
    EXPECT_EQ(PopupMenuEntries(), (std::vector<std::wstring>{L"Tidora", L"WhiteList", L"-", L"About", L"Quit", L""}));
    SetUserLcid(saved);
}

}  // namespace
