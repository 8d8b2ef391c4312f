// SEND options: the text is stripped of blanks and upper-cased, the first
// letter picks the option, whose full name must follow, optionally with '='
// and a new value.
#include "storage/ascii/ascii_options.h"

#include <charconv>
#include <cstdint>
#include <vector>

#include "runtime/char_tables.h"

namespace linkar::ascii {

namespace {

// Limits of option values.
constexpr int64_t kMaxFileBuffers = 2048;      // FILEBUFFERS units (1 MB)
constexpr int64_t kMaxEndOfRecordBytes = 255;  // bytes of an end of record
constexpr int64_t kMaxByteValue = 255;

bool parseNumber(std::string_view text, int64_t* out)
{
    if (text.empty())
        return false;
    const char* first = text.data();
    const char* last = first + text.size();
    if (*first == '+')
        ++first;
    auto [ptr, ec] = std::from_chars(first, last, *out);
    return ec == std::errc() && ptr == last;
}

std::string onOff(bool on)
{
    return on ? "ON" : "OFF";
}

// "=ON" / "=OFF" as a new switch value; false when the value is neither.
bool parseSwitch(std::string_view value, bool* on)
{
    if (value == "ON")
        *on = true;
    else if (value == "OFF")
        *on = false;
    else
        return false;
    return true;
}

// "n,c1,...,cn": the new end-of-record bytes.
bool parseEndOfRecord(std::string_view value, std::string* out)
{
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        size_t comma = value.find(',', start);
        parts.push_back(value.substr(start, comma == std::string_view::npos ? std::string_view::npos : comma - start));
        if (comma == std::string_view::npos)
            break;
        start = comma + 1;
    }
    int64_t count = 0;
    if (!parseNumber(parts[0], &count) || count < 1 || count > kMaxEndOfRecordBytes ||
        parts.size() != static_cast<size_t>(count) + 1)
        return false;
    std::string bytes;
    for (size_t i = 1; i < parts.size(); ++i) {
        int64_t code = 0;
        if (!parseNumber(parts[i], &code) || code < 0 || code > kMaxByteValue)
            return false;
        bytes.push_back(static_cast<char>(code));
    }
    *out = bytes;
    return true;
}

}  // namespace

std::string sendOption(AsciiInstance& inst, std::string_view text)
{
    std::string option;
    for (char c : text)
        if (c != ' ')
            option.push_back(static_cast<char>(runtime::toUpper(static_cast<uint8_t>(c))));

    static constexpr std::string_view kNames[] = {"CLIP", "QUICKSCAN", "FILEBUFFERS", "ENDOFRECORD", "TAB"};
    std::string_view name;
    for (std::string_view candidate : kNames)
        if (!option.empty() && option[0] == candidate[0])
            name = candidate;
    if (name.empty() || std::string_view(option).substr(0, name.size()) != name)
        return {};
    std::string_view rest = std::string_view(option).substr(name.size());
    if (!rest.empty() && rest[0] != '=')
        return {};
    bool change = !rest.empty();
    std::string_view value = change ? rest.substr(1) : std::string_view();

    if (name == "CLIP") {
        std::string answer = onOff(inst.m_clip);
        bool on = false;
        if (change && parseSwitch(value, &on))
            inst.m_clip = on;
        return answer;
    }
    if (name == "QUICKSCAN") {
        std::string answer = onOff(inst.quickScan());
        bool on = false;
        if (change && parseSwitch(value, &on)) {
            // Bytes written so far go out first, so that fetching from the
            // file again cannot miss them.
            if (!on)
                inst.m_file.writeBack();
            inst.m_file.setQuickScan(on);
        }
        return answer;
    }
    if (name == "FILEBUFFERS") {
        std::string answer = std::to_string(inst.m_file.bufferSize());
        int64_t units = 0;
        if (change && parseNumber(value, &units) && units >= 1 && units <= kMaxFileBuffers)
            inst.m_file.setBufferSize(static_cast<size_t>(units) * kFileBufferUnit);
        return answer;
    }
    if (name == "ENDOFRECORD") {
        std::string answer = inst.m_format.endOfRecord;
        std::string bytes;
        if (change && parseEndOfRecord(value, &bytes)) {
            inst.m_format.endOfRecord = bytes;
            // An end of record chosen by the program means exactly that.
            inst.m_format.lineFeedEnds = false;
        }
        return answer;
    }
    // TAB
    std::string answer = std::to_string(inst.m_format.tab);
    int64_t tab = 0;
    if (change && parseNumber(value, &tab) && tab >= INT32_MIN && tab <= INT32_MAX)
        inst.m_format.tab = static_cast<int32_t>(tab);
    return answer;
}

void applyDeclaredOptions(AsciiInstance& inst, std::string_view options)
{
    size_t slash = options.find('/');
    while (slash != std::string_view::npos) {
        size_t next = options.find('/', slash + 1);
        sendOption(inst, options.substr(slash + 1, next == std::string_view::npos ? std::string_view::npos
                                                                                  : next - slash - 1));
        slash = next;
    }
}

}  // namespace linkar::ascii
