// Shared steps of the end-to-end tests of TidoraService.exe.
#pragma once

#include "helper_process.h"
#include "service_client.h"
#include "test_env.h"
#include "tray_observer.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <string>
#include <vector>

// Menu command identifiers: the hidden form's empty menu bar takes none, so
// the popup menu's five entries are the first identifiers given out.
constexpr UINT MenuCommand(int index)
{
    return 4096 + static_cast<UINT>(index);
}

class TrayServiceTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        CloseStandInMainPrograms();
        service::Reset();
        testenv::ClearBrowserLog();
    }
    void TearDown() override { CloseStandInMainPrograms(); }

    // Answers the helper's update question with `body`.
    static void AnswerUpdateQuestion(const std::string& body, int status = 200,
                                     const std::string& contentType = "application/json")
    {
        service::SetRoute({{"path", "/tidora.php"}, {"status", status}, {"body", body}, {"content_type", contentType}});
    }

    // Requests the helper made to "/tidora.php".
    static std::vector<nlohmann::json> UpdateQuestions()
    {
        std::vector<nlohmann::json> found;
        for (const auto& request : service::Requests())
            if (request["path"] == "/tidora.php")
                found.push_back(request);
        return found;
    }

    // Sends a popup menu command to the helper's hidden form.
    static void ChooseMenuItem(const HelperProcess& helper, int index)
    {
        HWND form = helper.WaitForWindowOfClass(L"SvcTidora");
        ASSERT_TRUE(form);
        PostMessageW(form, WM_COMMAND, MenuCommand(index), 0);
    }

    static void Quit(HelperProcess& helper)
    {
        ChooseMenuItem(helper, 4);
        EXPECT_TRUE(helper.WaitForExit(10000));
        EXPECT_EQ(helper.ExitCode(), 0u);
    }

    // The message box of the helper, once it shows.
    static HWND WaitForMessageBox(const HelperProcess& helper) { return helper.WaitForWindowOfClass(L"#32770"); }

    // The text of a message box: its static control with text.
    static std::wstring MessageBoxText(HWND box)
    {
        for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
            wchar_t className[64] = {};
            GetClassNameW(child, className, 64);
            if (_wcsicmp(className, L"Static") != 0)
                continue;
            std::wstring text = WindowText(child);
            if (!text.empty())
                return text;
        }
        return {};
    }

    static bool WaitForMainLog(const std::wstring& folder, size_t lines)
    {
        return testenv::WaitUntil([&] { return MainLog(folder).size() >= lines; });
    }
};
