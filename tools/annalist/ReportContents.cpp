#include "annalist/ReportContents.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <unordered_map>

namespace {

// Bytes of a file, one at a time, through a buffer.
class CByteStream {
public:
    explicit CByteStream(FILE* file) : m_file(file) {}
    // -1 at the end.
    int Get()
    {
        if (m_used == m_size) {
            m_size = fread(m_buffer, 1, sizeof(m_buffer), m_file);
            m_used = 0;
            if (m_size == 0)
                return -1;
        }
        ++m_count;
        return static_cast<unsigned char>(m_buffer[m_used++]);
    }
    unsigned long long Count() const { return m_count; }

    // Reads up to and including `end`; what comes before it is appended to
    // `text` when given. False at the end of the file.
    bool ReadUntil(const char* end, std::string* text)
    {
        size_t n = std::strlen(end);
        std::string window;
        for (int c; (c = Get()) >= 0;) {
            window.push_back(static_cast<char>(c));
            if (window.size() >= n && window.compare(window.size() - n, n, end) == 0) {
                window.resize(window.size() - n);
                if (text)
                    text->append(window);
                return true;
            }
            if (window.size() > 4096) { // keep the window short
                size_t keep = n;
                if (text)
                    text->append(window, 0, window.size() - keep);
                window.erase(0, window.size() - keep);
            }
        }
        return false;
    }

private:
    FILE* m_file;
    char m_buffer[65536];
    size_t m_used = 0, m_size = 0;
    unsigned long long m_count = 0;
};

bool IsNameChar(int c) { return c > ' ' && c != '>' && c != '/' && c != '=' && c != '"' && c != '\''; }
bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes;
    bool selfClosing = false;

    const std::string* Attribute(const char* key) const
    {
        for (const auto& attribute : attributes)
            if (attribute.first == key)
                return &attribute.second;
        return nullptr;
    }
};

// The rest of a start tag after "<" and its first character.
bool ReadStartTag(CByteStream& in, int first, Tag& tag)
{
    tag = Tag();
    int c = first;
    while (c >= 0 && IsNameChar(c)) {
        tag.name.push_back(static_cast<char>(c));
        c = in.Get();
    }
    for (;;) {
        while (c >= 0 && IsSpace(c))
            c = in.Get();
        if (c < 0)
            return false;
        if (c == '>')
            return true;
        if (c == '/') {
            tag.selfClosing = true;
            c = in.Get();
            continue;
        }
        std::string key;
        while (c >= 0 && IsNameChar(c)) {
            key.push_back(static_cast<char>(c));
            c = in.Get();
        }
        while (c >= 0 && IsSpace(c))
            c = in.Get();
        if (c != '=') {
            if (key.empty())
                c = in.Get(); // a stray character
            continue;
        }
        c = in.Get();
        while (c >= 0 && IsSpace(c))
            c = in.Get();
        if (c != '"' && c != '\'')
            continue;
        int quote = c;
        std::string value;
        while ((c = in.Get()) >= 0 && c != quote)
            value.push_back(static_cast<char>(c));
        if (c < 0)
            return false;
        tag.attributes.emplace_back(key, value);
        c = in.Get();
    }
}

// Skips a <!DOCTYPE ...> declaration with its internal subset.
void SkipDeclaration(CByteStream& in)
{
    int depth = 0;
    int quote = 0;
    for (int c; (c = in.Get()) >= 0;) {
        if (quote) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == '[') {
            ++depth;
        } else if (c == ']') {
            --depth;
        } else if (c == '>' && depth <= 0) {
            return;
        }
    }
}

long Number(const std::string* text) { return text ? std::strtol(text->c_str(), nullptr, 10) : 0; }

struct OpenElement {
    std::string name;
    int entry; // index into the entries, or -1
};

} // namespace

bool ReadReportContents(const WideString& path, ReportContents& contents, std::string& error)
{
    contents = ReportContents();
    FILE* file = nullptr;
    errno_t failure = _wfopen_s(&file, path.c_str(), W("rb"));
    if (failure != 0 || !file) {
        error = std::strerror(failure ? failure : EIO);
        return false;
    }
    CByteStream in(file);
    std::vector<OpenElement> open;
    std::unordered_map<std::string, size_t> openByName; // elements of `open`, by name
    int openEntries = 0;
    for (int c; (c = in.Get()) >= 0;) {
        if (c != '<')
            continue;
        int next = in.Get();
        if (next < 0)
            break;
        if (next == '?') {
            in.ReadUntil("?>", nullptr);
        } else if (next == '!') {
            int a = in.Get();
            if (a == '-') {
                in.Get();
                in.ReadUntil("-->", nullptr);
            } else if (a == '[') {
                std::string text;
                in.ReadUntil("CDATA[", nullptr);
                in.ReadUntil("]]>", &text);
                // The name of the entry whose DName or AName this is.
                if (open.size() >= 2 && (open.back().name == "DName" || open.back().name == "AName")) {
                    int entry = open[open.size() - 2].entry;
                    if (entry >= 0)
                        contents.entries[static_cast<size_t>(entry)].name += text;
                }
            } else {
                SkipDeclaration(in);
            }
        } else if (next == '/') {
            std::string name;
            in.ReadUntil(">", &name);
            while (!name.empty() && IsSpace(static_cast<unsigned char>(name.back())))
                name.pop_back();
            if (name == "Report")
                contents.closed = true;
            // Pop to the matching element (tolerating a missing end tag). An
            // end tag that matches no open element is passed over without a
            // look at the stack, so every element is pushed and popped once.
            auto count = openByName.find(name);
            if (count != openByName.end() && count->second > 0) {
                for (bool matched = false; !matched;) {
                    matched = open.back().name == name;
                    if (open.back().entry >= 0) {
                        if (matched)
                            contents.entries[static_cast<size_t>(open.back().entry)].closed = true;
                        --openEntries;
                    }
                    --openByName[open.back().name];
                    open.pop_back();
                }
            }
        } else {
            Tag tag;
            if (!ReadStartTag(in, next, tag))
                break;
            if (tag.Attribute("rID"))
                ++contents.nodes;
            int parentEntry = open.empty() ? -1 : open.back().entry;
            int entry = -1;
            if (tag.name == "Doc" || tag.name == "Action" || tag.name == "BPT") {
                ReportEntry item;
                if (tag.name == "BPT")
                    item.kind = ReportEntry::BusinessProcess;
                else if (tag.name == "Action")
                    item.kind = ReportEntry::Action;
                else {
                    const std::string* type = tag.Attribute("type");
                    item.kind = type && *type != "Test" ? ReportEntry::BusinessComponent : ReportEntry::Test;
                }
                item.depth = openEntries;
                contents.entries.push_back(item);
                entry = static_cast<int>(contents.entries.size() - 1);
            } else if (parentEntry >= 0 && tag.name == "Summary") {
                ReportEntry& owner = contents.entries[static_cast<size_t>(parentEntry)];
                if (tag.Attribute("passed")) {
                    owner.hasCounts = true;
                    owner.passed = Number(tag.Attribute("passed"));
                    owner.failed = Number(tag.Attribute("failed"));
                    owner.warnings = Number(tag.Attribute("warnings"));
                }
            } else if (parentEntry >= 0 && tag.name == "NodeArgs") {
                const std::string* status = tag.Attribute("status");
                contents.entries[static_cast<size_t>(parentEntry)].status = status ? *status : "Done";
            }
            if (!tag.selfClosing) {
                ++openByName[tag.name];
                open.push_back(OpenElement{tag.name, entry});
                if (entry >= 0)
                    ++openEntries;
            }
        }
    }
    bool readFailed = ferror(file) != 0;
    contents.bytes = in.Count();
    fclose(file);
    if (readFailed) {
        error = "read error";
        return false;
    }
    return true;
}
