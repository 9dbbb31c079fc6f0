// Icon numbering across a run: which descriptions share an icon file, which
// get a new one, and what is written back into the description.
#include <gtest/gtest.h>

#include <string>

#include "core/Description.h"
#include "core/IconNumbering.h"
#include "fs/ResultsFolder.h"
#include "pal/pal.h"
#include "support/TestSupport.h"
#include "support/IconFileTestSupport.h"

namespace {

// An event description: a dictionary made with PAL_CreateDictionary.
class Description {
public:
    Description() { EXPECT_EQ(PAL_CreateDictionary(&m_dictionary), S_OK); }
    ~Description()
    {
        if (m_dictionary)
            m_dictionary->Release();
    }
    Description(const Description&) = delete;
    Description& operator=(const Description&) = delete;

    IDictionary* Get() const { return m_dictionary; }

    Description& Put(const WCHAR* key, VARIANT* value)
    {
        VARIANT name = Key(key);
        EXPECT_EQ(m_dictionary->put_Item(&name, value), S_OK);
        VariantClear(&name);
        return *this;
    }
    Description& Text(const WCHAR* key, const WideString& text)
    {
        VARIANT value;
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocString(text.c_str());
        Put(key, &value);
        VariantClear(&value);
        return *this;
    }
    Description& Int(const WCHAR* key, LONG number)
    {
        VARIANT value;
        V_VT(&value) = VT_I4;
        V_I4(&value) = number;
        return Put(key, &value);
    }
    Description& Module(const WideString& path, LONG index) { return Text(W("DllPAth"), path).Int(W("DllIconIndex"), index); }

    // The VT_I4 value under the key (-1 when it is missing or of another type).
    LONG Number(const WCHAR* key) const
    {
        VARIANT name = Key(key);
        VARIANT_BOOL exists = VARIANT_FALSE;
        m_dictionary->Exists(&name, &exists);
        LONG number = -1;
        VARIANT value;
        VariantInit(&value);
        if (exists && m_dictionary->get_Item(&name, &value) == S_OK && V_VT(&value) == VT_I4)
            number = V_I4(&value);
        VariantClear(&value);
        VariantClear(&name);
        return number;
    }

private:
    static VARIANT Key(const WCHAR* key)
    {
        VARIANT name;
        V_VT(&name) = VT_BSTR;
        V_BSTR(&name) = SysAllocString(key);
        return name;
    }

    IDictionary* m_dictionary = nullptr;
};

typedef std::pair<LONG, LONG> Icons;

class IconNumbering : public ::testing::Test {
protected:
    void SetUp() override { std::filesystem::create_directory(m_results.Path() / "Icons"); }

    // Resolves the icons (of the library's group ownGroup, else the ones the
    // description names) and gives their numbers, which the description gets
    // as "IconIndex" and "IconSelIndex" too.
    Icons Resolve(Description& description, LONG ownGroup = 0)
    {
        CDescription reader(description.Get());
        NodeIconNumbers numbers = m_numbering.ResolveNodeIcons(reader, ownGroup, m_folder);
        EXPECT_EQ(description.Number(W("IconIndex")), numbers.normal);
        EXPECT_EQ(description.Number(W("IconSelIndex")), numbers.selected);
        return Icons(numbers.normal, numbers.selected);
    }
    Icons Resolve(const WideString& path, LONG index)
    {
        Description description;
        description.Module(path, index);
        return Resolve(description);
    }
    Icons Resolve(const WideString& path, LONG index, LONG selectedIndex)
    {
        Description description;
        description.Module(path, index).Int(W("DllIconSelIndex"), selectedIndex);
        return Resolve(description);
    }

    std::string IconFile(int number) const
    {
        return test::ReadFileBytes(m_results.Path() / "Icons" / (std::to_string(number) + ".ico"));
    }
    bool HasIconFile(int number) const
    {
        return test::FileExists(m_results.Path() / "Icons" / (std::to_string(number) + ".ico"));
    }

    test::TempFolder m_results;
    CResultsFolder m_folder{m_results.Wide().c_str()};
    CIconNumbering m_numbering;
};

// An icon file as WriteIconFile writes it: the source with biSizeImage 0.
std::string AsWritten(const std::filesystem::path& source)
{
    std::string bytes = test::ReadFileBytes(source);
    for (const std::string& image : test::IconFileImages(bytes))
        bytes.replace(bytes.find(image), image.size(), std::string(image).replace(20, 4, test::Le32(0)));
    return bytes;
}

std::filesystem::path OwnIcon(int id)
{
    return test::DataPath("../../src/resources/icons/annalist" + std::to_string(id) + ".ico");
}

const WCHAR kLocal[] = W("LocalDll");

} // namespace

TEST_F(IconNumbering, EachDistinctIconGetsOneFile)
{
    EXPECT_EQ(Resolve(kLocal, 201), Icons(1, 1)); // the selected icon defaults to the same group
    EXPECT_EQ(Resolve(kLocal, 201), Icons(1, 1));
    EXPECT_EQ(Resolve(kLocal, 202), Icons(2, 2));
    EXPECT_EQ(Resolve(kLocal, 201, 202), Icons(1, 2));
    EXPECT_EQ(Resolve(kLocal, 202, 201), Icons(2, 1));
    EXPECT_EQ(m_numbering.NextIconNumber(), 3);

    // The library's own icons, written as icon files.
    EXPECT_EQ(IconFile(1), AsWritten(OwnIcon(201)));
    EXPECT_EQ(IconFile(2), AsWritten(OwnIcon(202)));
    EXPECT_FALSE(HasIconFile(3));

    // A number given as text is converted; the key is the same.
    Description text;
    text.Text(W("DllPAth"), kLocal).Text(W("DllIconIndex"), W("202"));
    EXPECT_EQ(Resolve(text), Icons(2, 2));
}

TEST_F(IconNumbering, ModulesAreKeyedByPathAndNumber)
{
#if !defined(ANNALIST_TEST_MODULES)
    GTEST_SKIP() << "mingw-w64 was not found: no test modules";
#endif
    WideString module = test::ToWide(test::BuildPath("tests/icon_module32.dll"));
    EXPECT_EQ(Resolve(module, 5), Icons(1, 1));
    EXPECT_EQ(Resolve(module, 5, 7), Icons(1, 2));
    EXPECT_EQ(Resolve(module, 7), Icons(2, 2));
    EXPECT_EQ(Resolve(kLocal, 5), Icons(0, 0)); // another module, no such group
    EXPECT_EQ(IconFile(1), AsWritten(test::DataPath("icons/sample4.ico")));
    EXPECT_EQ(IconFile(2), AsWritten(test::DataPath("icons/sample8.ico")));
}

TEST_F(IconNumbering, IconFilesAreRecognisedInAnyCase)
{
    test::TempFolder sources;
    std::filesystem::copy_file(test::DataPath("icons/sample4.ico"), sources.Path() / "Picture.ICO");
    WideString path = sources.Wide("Picture.ICO");

    // The resource numbers play no part for an icon file.
    EXPECT_EQ(Resolve(path, 0, 5), Icons(1, 1));
    EXPECT_EQ(Resolve(path, 9), Icons(1, 1));
    EXPECT_EQ(m_numbering.NextIconNumber(), 2);
    EXPECT_EQ(IconFile(1), AsWritten(test::DataPath("icons/sample4.ico")));
    EXPECT_FALSE(HasIconFile(2));
}

TEST_F(IconNumbering, FilesOfAnEarlierRunAreSkipped)
{
    test::WriteFileBytes(m_results.Path() / "Icons" / "1.ico", "one");
    test::WriteFileBytes(m_results.Path() / "Icons" / "2.ico", "two");
    EXPECT_EQ(Resolve(kLocal, 201), Icons(3, 3));
    test::WriteFileBytes(m_results.Path() / "Icons" / "4.ico", "four");
    EXPECT_EQ(Resolve(kLocal, 202), Icons(5, 5));
    EXPECT_EQ(IconFile(1), "one");
    EXPECT_EQ(IconFile(2), "two");
    EXPECT_EQ(IconFile(3), AsWritten(OwnIcon(201)));

    CBstrString path;
    EXPECT_EQ(CIconNumbering::FindFreeIconNumber(m_folder, 1, path), 6);
    EXPECT_EQ(WideString(path.c_str()), m_results.Wide() + W("\\Icons\\6.ico"));
    EXPECT_EQ(CIconNumbering::FindFreeIconNumber(m_folder, 7, path), 7);
}

TEST_F(IconNumbering, NumberingStartsAgainAfterAReset)
{
    EXPECT_EQ(Resolve(kLocal, 201), Icons(1, 1));
    EXPECT_EQ(Resolve(kLocal, 202), Icons(2, 2));
    m_numbering.ResetRun();
    EXPECT_EQ(m_numbering.NextIconNumber(), 1);
    // The cache is empty: 202 is copied again, after the files already there.
    EXPECT_EQ(Resolve(kLocal, 202), Icons(3, 3));
}

TEST_F(IconNumbering, WithoutPathOrIndexBothNumbersAreZero)
{
    Description hostNumbers;
    hostNumbers.Int(W("IconIndex"), 7).Int(W("IconSelIndex"), 8);
    EXPECT_EQ(Resolve(hostNumbers), Icons(0, 0));

    Description pathOnly;
    pathOnly.Text(W("DllPAth"), kLocal).Int(W("DllIconSelIndex"), 201);
    EXPECT_EQ(Resolve(pathOnly), Icons(0, 0));

    Description indexOnly;
    indexOnly.Int(W("DllIconIndex"), 201);
    EXPECT_EQ(Resolve(indexOnly), Icons(0, 0));

    // A value that does not convert counts as missing; so does a differently
    // spelled key.
    Description notANumber;
    notANumber.Text(W("DllPAth"), kLocal).Text(W("DllIconIndex"), W("abc"));
    EXPECT_EQ(Resolve(notANumber), Icons(0, 0));
    Description spelling;
    spelling.Text(W("DllPath"), kLocal).Int(W("DllIconIndex"), 201);
    EXPECT_EQ(Resolve(spelling), Icons(0, 0));

    EXPECT_EQ(m_numbering.NextIconNumber(), 1);
    EXPECT_FALSE(HasIconFile(1));
}

TEST_F(IconNumbering, TheLibrarysOwnGroupIsNotReadFromTheDescription)
{
    // A start handler chose the group: whatever the description names, the
    // node gets the library's icons, and the host the numbers.
    Description named;
    named.Module(W("C:\\elsewhere.dll"), 5).Int(W("DllIconSelIndex"), 6);
    EXPECT_EQ(Resolve(named, 202), Icons(1, 1));
    Description empty;
    EXPECT_EQ(Resolve(empty, 201), Icons(2, 2));
    Description again;
    EXPECT_EQ(Resolve(again, 202), Icons(1, 1));
    EXPECT_EQ(IconFile(1), AsWritten(OwnIcon(202)));
    EXPECT_EQ(IconFile(2), AsWritten(OwnIcon(201)));
}

// A source that fails to load gives 0, now and for the rest of the run, and
// never the number of another icon.
TEST_F(IconNumbering, SourcesThatFailGiveZero)
{
    test::TempFolder sources;
    WideString missingModule = sources.Wide("missing.dll");
    EXPECT_EQ(Resolve(missingModule, 5), Icons(0, 0));
    EXPECT_EQ(Resolve(sources.Wide("missing.ico"), 0), Icons(0, 0));
    EXPECT_EQ(Resolve(kLocal, 201), Icons(1, 1)); // the number was not used up
    EXPECT_EQ(Resolve(missingModule, 5), Icons(0, 0));
    // The module file appears: the key keeps 0 for this run.
    if (test::FileExists(test::BuildPath("tests/icon_module32.dll"))) {
        std::filesystem::copy_file(test::BuildPath("tests/icon_module32.dll"), sources.Path() / "missing.dll");
        EXPECT_EQ(Resolve(missingModule, 5), Icons(0, 0));
        EXPECT_EQ(Resolve(missingModule, 7), Icons(2, 2)); // another key of it loads
    }

    // A selected icon that fails falls back to the normal one, every time.
    EXPECT_EQ(Resolve(kLocal, 201, 999), Icons(1, 1));
    EXPECT_EQ(Resolve(kLocal, 201, 999), Icons(1, 1));
    // A normal icon that fails does not take the selected one with it.
    LONG next = m_numbering.NextIconNumber();
    EXPECT_EQ(Resolve(kLocal, 998, 202), Icons(0, next));
    EXPECT_FALSE(HasIconFile(next + 1));
}
