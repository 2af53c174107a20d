// A multipart/form-data body: text fields and files.
#pragma once

#include <string>
#include <vector>

class TMultipartForm {
public:
    void AddField(const std::wstring& name, const std::wstring& value);
    void AddFile(const std::wstring& name, const std::wstring& fileName, std::string content,
                 const std::wstring& contentType = L"application/octet-stream");

    // A boundary that none of the parts contains.
    std::string MakeBoundary() const;
    // The body with that boundary; names, values and file names in UTF-8.
    std::string Body(const std::string& boundary) const;

private:
    struct TPart {
        std::string Name;
        std::string FileName;  // empty for a field
        std::string ContentType;
        std::string Content;
    };
    std::vector<TPart> FParts;
};
