// Where a test finds the environment that start-env prepared.
#pragma once

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace testenv {

// The testenv folder of this run, as a Windows path (Z:\...).
std::wstring Dir();
// Folder of the running test program; the built programs lie beside it.
std::wstring BinDir();
// Addresses the programs asked the shell to open, in order.
std::vector<std::wstring> BrowserLog();
void ClearBrowserLog();
// Local test service: HTTPS for "localhost", HTTPS with a wrong host name, plain HTTP.
int ServicePort();
std::wstring ServiceUrl();       // https://localhost:<port>
std::wstring WrongHostUrl();     // https://localhost:<port + 1>
std::wstring PlainUrl();         // http://127.0.0.1:<port + 2>

// Polls until the condition holds or the time is up; returns the condition.
bool WaitUntil(const std::function<bool()>& condition,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));

std::string ReadFileBytes(const std::wstring& path);
void WriteFileBytes(const std::wstring& path, const std::string& bytes);
// A new empty folder below the test environment, removed by nobody: the
// prefix is thrown away with the run.
std::wstring MakeTempDir(const std::wstring& hint);

}  // namespace testenv
