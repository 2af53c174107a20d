#include "MultipartForm.h"

#include "Text.h"

#include <windows.h>

namespace {

// Quotes and line breaks would end the header parameter early.
std::string HeaderParameter(const std::wstring& text)
{
    std::string out;
    for (char c : WideToUtf8(text)) {
        if (c == '"')
            out += "%22";
        else if (c == '\r')
            out += "%0D";
        else if (c == '\n')
            out += "%0A";
        else
            out += c;
    }
    return out;
}

}  // namespace

void TMultipartForm::AddField(const std::wstring& name, const std::wstring& value)
{
    FParts.push_back({HeaderParameter(name), {}, {}, WideToUtf8(value)});
}

void TMultipartForm::AddFile(const std::wstring& name, const std::wstring& fileName, std::string content,
                             const std::wstring& contentType)
{
    FParts.push_back({HeaderParameter(name), HeaderParameter(fileName), WideToUtf8(contentType), std::move(content)});
}

std::string TMultipartForm::MakeBoundary() const
{
    for (unsigned attempt = 0;; ++attempt) {
        std::string boundary = "----TidoraFormBoundary" + std::to_string(GetTickCount()) + "x" + std::to_string(attempt);
        bool used = false;
        for (const auto& part : FParts)
            used = used || part.Content.find(boundary) != std::string::npos;
        if (!used)
            return boundary;
    }
}

std::string TMultipartForm::Body(const std::string& boundary) const
{
    std::string body;
    for (const auto& part : FParts) {
        body += "--" + boundary + "\r\n";
        body += "Content-Disposition: form-data; name=\"" + part.Name + "\"";
        if (!part.FileName.empty() || !part.ContentType.empty()) {
            body += "; filename=\"" + part.FileName + "\"\r\n";
            body += "Content-Type: " + part.ContentType;
        }
        body += "\r\n\r\n" + part.Content + "\r\n";
    }
    body += "--" + boundary + "--\r\n";
    return body;
}
