#include "registry/reg_file.h"

#include "pal/reg_file_codec.h"
#include "pal/utf8.h"

namespace {

WideString Ascii(const char* text) { return PAL_AsciiToWide(text); }

// Applies the keys and values of a file to a hive's tree. Values of a deleted
// key are passed over.
class CHiveSink final : public CPalRegFileSink {
public:
    explicit CHiveSink(PalRegKeyNode& root) : m_root(root) {}

    bool Key(const WideString& path, bool remove, long, std::string& error) override
    {
        std::vector<WideString> below = PalRegSplitPath(path.c_str());
        if (below.empty() || PalRegCompareNames(below.front(), m_root.Name()) != 0) {
            error = "the key is not below " + PalToUtf8(m_root.Name());
            return false;
        }
        below.erase(below.begin());
        m_current = nullptr;
        m_inDeletedKey = remove;
        if (remove) {
            if (below.empty()) {
                m_root.RemoveAllSubkeys();
                m_root.RemoveAllValues();
            } else {
                std::vector<WideString> parentPath(below.begin(), below.end() - 1);
                if (PalRegKeyNode* parent = m_root.Find(parentPath))
                    parent->RemoveSubkey(below.back());
            }
            return true;
        }
        m_current = &m_root;
        for (const WideString& name : below)
            m_current = m_current->AddSubkey(name);
        return true;
    }

    bool Value(const WideString& name, bool remove, const PalRegData& data, long, std::string& error) override
    {
        if (!m_current) {
            if (m_inDeletedKey)
                return true;
            error = "a value must follow a key line \"[...]\"";
            return false;
        }
        if (remove)
            m_current->RemoveValue(name);
        else
            m_current->SetValue(name, data.type, data.bytes.data(), data.bytes.size());
        return true;
    }

private:
    PalRegKeyNode& m_root;
    PalRegKeyNode* m_current = nullptr;
    bool m_inDeletedKey = false;
};

void AppendKey(WideString& out, const PalRegKeyNode& key, const WideString& path, bool isRoot)
{
    if (!isRoot || !key.Values().empty()) {
        out.push_back('[');
        out += path;
        out += Ascii("]\r\n");
        for (const PalRegValue& value : key.Values()) {
            if (value.name.empty())
                out.push_back('@');
            else
                PalRegAppendQuoted(out, value.name);
            out.push_back('=');
            PalRegAppendData(out, value.type, value.data);
            out += Ascii("\r\n");
        }
        out += Ascii("\r\n");
    }
    for (const auto& subkey : key.Subkeys())
        AppendKey(out, *subkey, path + WCHAR('\\') + subkey->Name(), false);
}

} // namespace

bool PalParseRegFile(const WideString& text, PalRegKeyNode& root, std::string& error)
{
    CHiveSink sink(root);
    return PalReadRegFile(text, sink, error) != PalRegFileResult::Invalid;
}

WideString PalFormatRegFile(const PalRegKeyNode& root)
{
    WideString out = Ascii(kPalRegFileHeader);
    out += Ascii("\r\n\r\n");
    AppendKey(out, root, root.Name(), true);
    return out;
}
