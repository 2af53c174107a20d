#include "ListAnswer.h"

#include "Text.h"

#include <nlohmann/json.hpp>

namespace {

// Reads the answer as SAX events, so that a number keeps the text it was
// written with ("1.50" stays "1.50"). Element texts: a string's content,
// a number's text, true/false/null as words, an object or array as "".
class ListAnswerReader : public nlohmann::json_sax<nlohmann::json> {
public:
    TListAnswer Answer;
    bool IsObject = false;

    bool null() override { return Scalar(L"null"); }
    bool boolean(bool value) override { return Scalar(value ? L"true" : L"false"); }
    bool number_integer(number_integer_t value) override { return Scalar(std::to_wstring(value)); }
    bool number_unsigned(number_unsigned_t value) override { return Scalar(std::to_wstring(value)); }
    bool number_float(number_float_t, const string_t& text) override { return Scalar(Utf8ToWide(text)); }
    bool string(string_t& value) override { return Scalar(Utf8ToWide(value)); }
    bool binary(binary_t&) override { return Scalar(L""); }

    bool start_object(std::size_t) override { return Open(true); }
    bool end_object() override { return Close(); }
    bool start_array(std::size_t) override { return Open(false); }
    bool end_array() override { return Close(); }

    bool key(string_t& name) override
    {
        if (FDepth == 1) {
            auto [it, inserted] = Answer.try_emplace(name);
            // With a repeated member name the first one counts.
            FCurrent = inserted ? &it->second : nullptr;
        }
        return true;
    }

    bool parse_error(std::size_t, const std::string&, const nlohmann::detail::exception&) override
    {
        return false;
    }

private:
    bool Scalar(std::wstring text)
    {
        if (FDepth == 2 && FCurrent && *FCurrent)
            (*FCurrent)->push_back(std::move(text));
        return true;
    }

    bool Open(bool object)
    {
        if (FDepth == 0)
            IsObject = object;
        else if (FDepth == 1 && FCurrent && !object)
            FCurrent->emplace();
        else if (FDepth == 2)
            Scalar(L"");
        ++FDepth;
        return true;
    }

    bool Close()
    {
        if (--FDepth == 1)
            FCurrent = nullptr;
        return true;
    }

    int FDepth = 0;
    std::optional<std::vector<std::wstring>>* FCurrent = nullptr;
};

}  // namespace

std::optional<TListAnswer> ParseListAnswer(std::string_view utf8Text)
{
    ListAnswerReader reader;
    if (!nlohmann::json::sax_parse(utf8Text.begin(), utf8Text.end(), &reader,
                                   nlohmann::json::input_format_t::json, true) ||
        !reader.IsObject)
        return std::nullopt;
    return std::move(reader.Answer);
}

void MergeListJSON(TNameList& list, const TListAnswer& answer, const std::string& key)
{
    auto member = answer.find(key);
    if (member == answer.end() || !member->second)
        return;
    for (const auto& text : *member->second)
        if (!list.Contains(text))
            list.Add(text);
}
