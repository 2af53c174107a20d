// Control calls to the local test service (test_service.py) over its plain
// HTTP port: program answers, read back what the programs sent.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

namespace service {

// Forgets programmed answers, recorded requests and stored reports.
void Reset();
// Programs the answer for a path; see test_service.py for the fields
// (path, method, status, headers, body, body_b64, gzip, delay, content_type, encoding).
void SetRoute(const nlohmann::json& route);
// Every request the service received since the last Reset, oldest first.
nlohmann::json Requests();
// Header value of a recorded request (case-insensitive name); empty when absent.
std::string Header(const nlohmann::json& request, const std::string& name);
// Decoded body of a recorded request.
std::string Body(const nlohmann::json& request);
// A plain GET or POST to the test service's control port; returns the body.
std::string Call(const std::wstring& method, const std::wstring& path, const std::string& body = "");

}  // namespace service
