#include "annalist/ReportContents.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string_view>
#include <unordered_map>

namespace {

// Bytes of a file, through a buffer: one at a time, or skipped over in
// stretches (a report of a million steps is some hundreds of megabytes).
class CByteStream {
public:
    explicit CByteStream(FILE* file) : m_file(file) {}
    // -1 at the end.
    int Get()
    {
        if (m_used == m_size && !Refill())
            return -1;
        return static_cast<unsigned char>(m_buffer[m_used++]);
    }
    // The bytes taken so far.
    unsigned long long Count() const { return m_before + m_used; }

    // Takes the bytes up to and including the next `c`; false at the end.
    bool SkipPast(char c)
    {
        for (;;) {
            if (m_used == m_size && !Refill())
                return false;
            const void* found = std::memchr(m_buffer + m_used, c, m_size - m_used);
            if (found) {
                m_used = static_cast<size_t>(static_cast<const char*>(found) - m_buffer) + 1;
                return true;
            }
            m_used = m_size;
        }
    }

    // Takes the bytes up to and including the next `c`, appending those
    // before it to `text`; false at the end.
    bool AppendUntil(char c, std::string& text)
    {
        for (;;) {
            if (m_used == m_size && !Refill())
                return false;
            const char* from = m_buffer + m_used;
            const void* found = std::memchr(from, c, m_size - m_used);
            if (found) {
                size_t length = static_cast<size_t>(static_cast<const char*>(found) - from);
                text.append(from, length);
                m_used += length + 1;
                return true;
            }
            text.append(from, m_size - m_used);
            m_used = m_size;
        }
    }

    // Appends the bytes from here that are `Wanted` (a function of the
    // byte); gives the first byte that is not, taken, or -1 at the end.
    template <typename Wanted>
    int AppendWhile(Wanted wanted, std::string& text)
    {
        for (;;) {
            if (m_used == m_size && !Refill())
                return -1;
            size_t from = m_used;
            while (m_used != m_size && wanted(static_cast<unsigned char>(m_buffer[m_used])))
                ++m_used;
            text.append(m_buffer + from, m_used - from);
            if (m_used != m_size)
                return static_cast<unsigned char>(m_buffer[m_used++]);
        }
    }

    // Reads up to and including `end`; what comes before it is appended to
    // `text` when given. False at the end of the file; `text` then gets what
    // was read but its last stretch (see CutShort).
    template <size_t Size>
    bool ReadUntil(const char (&end)[Size], std::string* text)
    {
        const size_t n = Size - 1;
        const char last = end[n - 1];
        // What this call has read: appended to the text, or its last bytes
        // kept in m_window (an end mark may span two buffers).
        std::string& seen = text ? *text : m_window;
        const size_t base = text ? text->size() : 0;
        if (!text)
            m_window.clear();
        for (;;) {
            if (m_used == m_size && !Refill()) {
                if (text)
                    text->resize(base + CutShort(text->size() - base, n));
                return false;
            }
            const char* from = m_buffer + m_used;
            const size_t length = m_size - m_used;
            for (size_t taken = 0; taken < length;) {
                const void* mark = std::memchr(from + taken, last, length - taken);
                if (!mark)
                    break;
                // Up to and including a byte that may end the end mark.
                taken = static_cast<size_t>(static_cast<const char*>(mark) - from) + 1;
                if (EndsWith(seen, seen.size() - base, from, taken, end, n)) {
                    seen.append(from, taken);
                    seen.resize(seen.size() - n);
                    m_used += taken;
                    return true;
                }
            }
            if (text) {
                text->append(from, length);
            } else {
                size_t keep = length < n ? length : n;
                m_window.append(from + length - keep, keep);
                if (m_window.size() > n)
                    m_window.erase(0, m_window.size() - n);
            }
            m_used = m_size;
        }
    }

private:
    // Whether `end` (n bytes) ends the `taken` bytes at `from`, which follow
    // the last `before` bytes of `seen`.
    static bool EndsWith(const std::string& seen, size_t before, const char* from, size_t taken, const char* end,
                         size_t n)
    {
        if (taken >= n)
            return std::memcmp(from + taken - n, end, n) == 0;
        size_t early = n - taken; // the mark's bytes in `seen`
        return before >= early && seen.compare(seen.size() - early, early, end, early) == 0 &&
               std::memcmp(from, end + early, taken) == 0;
    }

    bool Refill()
    {
        m_before += m_size;
        m_used = 0;
        m_size = fread(m_buffer, 1, sizeof(m_buffer), m_file);
        return m_size != 0;
    }

    // How much of `read` bytes a section cut short by the end of the file
    // gives: the reader has always passed on its text in stretches of 4096
    // bytes less the end mark, and held back the rest.
    static size_t CutShort(unsigned long long read, size_t n)
    {
        const unsigned long long stretch = 4097 - n;
        return read < n ? 0 : static_cast<size_t>((read - n) / stretch * stretch);
    }

    FILE* m_file;
    char m_buffer[65536];
    size_t m_used = 0, m_size = 0;
    unsigned long long m_before = 0; // bytes of the buffers before this one
    std::string m_window;            // kept between calls for its capacity
};

// The bytes of names, a table for the loops over them.
struct NameBytes {
    bool name[256] = {};
    NameBytes()
    {
        for (int c = '!'; c < 256; ++c)
            name[c] = c != '>' && c != '/' && c != '=' && c != '"' && c != '\'';
    }
};
const NameBytes kNameBytes;

bool IsNameChar(int c) { return c >= 0 && kNameBytes.name[c]; }
bool IsSpace(int c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

// A start tag; read again and again into the same storage, so that its
// texts keep their capacity from tag to tag.
struct Tag {
    std::string name;
    std::vector<std::pair<std::string, std::string>> attributes; // the first `count` are this tag's
    size_t count = 0;
    bool selfClosing = false;

    void Clear()
    {
        name.clear();
        count = 0;
        selfClosing = false;
    }
    // A new attribute, its key and value empty.
    std::pair<std::string, std::string>& NewAttribute()
    {
        if (count == attributes.size())
            attributes.emplace_back();
        std::pair<std::string, std::string>& attribute = attributes[count];
        attribute.first.clear();
        attribute.second.clear();
        return attribute;
    }
    const std::string* Attribute(std::string_view key) const
    {
        for (size_t i = 0; i < count; ++i)
            if (attributes[i].first == key)
                return &attributes[i].second;
        return nullptr;
    }
};

// The rest of a start tag after "<" and its first character.
bool ReadStartTag(CByteStream& in, int first, Tag& tag)
{
    tag.Clear();
    int c = first;
    if (IsNameChar(c)) {
        tag.name.push_back(static_cast<char>(c));
        c = in.AppendWhile(IsNameChar, tag.name);
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
        std::pair<std::string, std::string>& attribute = tag.NewAttribute();
        std::string& key = attribute.first;
        if (IsNameChar(c)) {
            key.push_back(static_cast<char>(c));
            c = in.AppendWhile(IsNameChar, key);
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
        if (!in.AppendUntil(static_cast<char>(c), attribute.second))
            return false;
        ++tag.count;
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
    int entry;     // index into the entries, or -1
    size_t* count; // the open elements of this name
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
    Tag tag;
    std::string endName;
    while (in.SkipPast('<')) {
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
                // The name of the entry whose DName or AName this is; any
                // other text is passed over.
                int named = -1;
                if (open.size() >= 2 && (std::string_view(open.back().name) == "DName" ||
                                         std::string_view(open.back().name) == "AName"))
                    named = open[open.size() - 2].entry;
                in.ReadUntil("CDATA[", nullptr);
                in.ReadUntil("]]>", named >= 0 ? &contents.entries[static_cast<size_t>(named)].name : nullptr);
            } else {
                SkipDeclaration(in);
            }
        } else if (next == '/') {
            std::string& name = endName;
            name.clear();
            in.ReadUntil(">", &name);
            while (!name.empty() && IsSpace(static_cast<unsigned char>(name.back())))
                name.pop_back();
            if (std::string_view(name) == "Report")
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
                    --*open.back().count;
                    open.pop_back();
                }
            }
        } else {
            if (!ReadStartTag(in, next, tag))
                break;
            if (tag.Attribute("rID"))
                ++contents.nodes;
            int parentEntry = open.empty() ? -1 : open.back().entry;
            int entry = -1;
            const std::string_view name = tag.name;
            if (name == "Doc" || name == "Action" || name == "BPT") {
                ReportEntry item;
                if (name == "BPT")
                    item.kind = ReportEntry::BusinessProcess;
                else if (name == "Action")
                    item.kind = ReportEntry::Action;
                else {
                    const std::string* type = tag.Attribute("type");
                    item.kind = type && *type != "Test" ? ReportEntry::BusinessComponent : ReportEntry::Test;
                }
                item.depth = openEntries;
                contents.entries.push_back(item);
                entry = static_cast<int>(contents.entries.size() - 1);
            } else if (parentEntry >= 0 && name == "Summary") {
                ReportEntry& owner = contents.entries[static_cast<size_t>(parentEntry)];
                if (tag.Attribute("passed")) {
                    owner.hasCounts = true;
                    owner.passed = Number(tag.Attribute("passed"));
                    owner.failed = Number(tag.Attribute("failed"));
                    owner.warnings = Number(tag.Attribute("warnings"));
                }
            } else if (parentEntry >= 0 && name == "NodeArgs") {
                const std::string* status = tag.Attribute("status");
                contents.entries[static_cast<size_t>(parentEntry)].status = status ? *status : "Done";
            }
            if (!tag.selfClosing) {
                size_t& count = openByName[tag.name];
                ++count;
                open.push_back(OpenElement{tag.name, entry, &count});
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
