#include "annalist/HtmlToText.h"

#include <cctype>
#include <cstdlib>
#include <cstring>

#include "results/Utf8Text.h"

namespace {

bool StartsWithNoCase(const std::string& text, size_t at, const char* word)
{
    for (size_t i = 0; word[i]; ++i) {
        if (at + i >= text.size() ||
            std::tolower(static_cast<unsigned char>(text[at + i])) != static_cast<unsigned char>(word[i]))
            return false;
    }
    return true;
}

// The tag's name in lower case, from `at` (just past "<" or "</").
std::string TagName(const std::string& html, size_t at)
{
    std::string name;
    while (at < html.size() && std::isalnum(static_cast<unsigned char>(html[at])))
        name += static_cast<char>(std::tolower(static_cast<unsigned char>(html[at++])));
    return name;
}

bool BreaksLine(const std::string& name)
{
    static const char* const names[] = {"br", "p", "div", "tr", "li", "h1", "h2", "h3", "h4", "h5", "h6",
                                        "table", "ul", "ol", "pre", "hr", "blockquote"};
    for (const char* candidate : names)
        if (name == candidate)
            return true;
    return false;
}

// A reference at `at` ("&..."), appended decoded; the bytes it took.
size_t Reference(const std::string& html, size_t at, std::string& out)
{
    size_t end = html.find(';', at);
    if (end == std::string::npos || end - at > 10) {
        out += '&';
        return 1;
    }
    std::string name = html.substr(at + 1, end - at - 1);
    static const struct {
        const char* name;
        const char* text;
    } named[] = {{"amp", "&"}, {"lt", "<"}, {"gt", ">"}, {"quot", "\""}, {"apos", "'"}, {"nbsp", " "}};
    for (const auto& entry : named)
        if (name == entry.name) {
            out += entry.text;
            return end - at + 1;
        }
    if (name.size() > 1 && name[0] == '#') {
        bool hex = name[1] == 'x' || name[1] == 'X';
        char* stop = nullptr;
        unsigned long value = std::strtoul(name.c_str() + (hex ? 2 : 1), &stop, hex ? 16 : 10);
        if (stop && *stop == '\0' && stop != name.c_str() + (hex ? 2 : 1)) {
            results::AppendCodePoint(out, value > 0x10FFFF ? 0xFFFD : static_cast<uint32_t>(value));
            return end - at + 1;
        }
    }
    out += '&';
    return 1;
}

} // namespace

std::string HtmlToText(const std::string& html)
{
    std::string raw;
    raw.reserve(html.size());
    size_t at = 0;
    while (at < html.size()) {
        char c = html[at];
        if (c == '&') {
            at += Reference(html, at, raw);
            continue;
        }
        if (c != '<' || at + 1 >= html.size()) {
            raw += c;
            ++at;
            continue;
        }
        char next = html[at + 1];
        if (StartsWithNoCase(html, at, "<!--")) {
            size_t end = html.find("-->", at + 4);
            at = end == std::string::npos ? html.size() : end + 3;
            continue;
        }
        bool closing = next == '/';
        if (!closing && !std::isalpha(static_cast<unsigned char>(next)) && next != '!' && next != '?') {
            raw += c;
            ++at;
            continue;
        }
        std::string name = TagName(html, at + (closing ? 2 : 1));
        size_t end = html.find('>', at);
        at = end == std::string::npos ? html.size() : end + 1;
        if (!closing && (name == "script" || name == "style")) {
            std::string close = "</" + name;
            size_t stop = at;
            while (stop < html.size() && !StartsWithNoCase(html, stop, close.c_str()))
                ++stop;
            size_t after = html.find('>', stop);
            at = after == std::string::npos ? html.size() : after + 1;
            continue;
        }
        if (BreaksLine(name))
            raw += '\n';
        else if (name == "td" || name == "th")
            raw += ' ';
    }
    // Blanks: runs of spaces and tabs become one blank; lines are trimmed;
    // no more than one empty line in a row.
    std::string out;
    std::string line;
    int emptyLines = 0;
    auto flush = [&](bool end) {
        size_t first = line.find_first_not_of(' ');
        std::string trimmed = first == std::string::npos ? std::string() : line.substr(first);
        while (!trimmed.empty() && trimmed.back() == ' ')
            trimmed.pop_back();
        if (trimmed.empty()) {
            ++emptyLines;
        } else {
            if (!out.empty())
                out += emptyLines > 0 ? "\n\n" : "\n";
            out += trimmed;
            emptyLines = 0;
        }
        line.clear();
        (void)end;
    };
    for (char c : raw) {
        if (c == '\n' || c == '\r') {
            flush(false);
        } else if (c == ' ' || c == '\t') {
            if (line.empty() || line.back() != ' ')
                line += ' ';
        } else {
            line += c;
        }
    }
    flush(true);
    return out;
}
