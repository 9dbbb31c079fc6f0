// CBstrString: ownership, formatting, appending, searching, editing, cutting
// and trimming, with their edge cases.
#include <gtest/gtest.h>

#include "support/TestSupport.h"
#include "text/BstrString.h"

namespace {

std::string Text(const CBstrString& s) { return test::Utf16ToUtf8(WideString(s.c_str(), s.Length())); }

// A BSTR whose zero unit after the text has been overwritten.
CBstrString NotWellFormed(const WCHAR* text)
{
    BSTR b = SysAllocString(text);
    b[SysStringLen(b)] = W('!');
    CBstrString s;
    s.Attach(b);
    return s;
}

} // namespace

TEST(BstrString, OwnsOneBstr)
{
    CBstrString empty;
    EXPECT_EQ(empty.Get(), nullptr);
    ASSERT_NE(empty.c_str(), nullptr);
    EXPECT_EQ(empty.c_str()[0], 0);
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_EQ(empty.Copy(), nullptr);
    EXPECT_EQ(CBstrString(static_cast<const WCHAR*>(nullptr)).Get(), nullptr);
    EXPECT_EQ(CBstrString(nullptr, 5).Get(), nullptr);
    EXPECT_NE(CBstrString(W("x"), 0).Get(), nullptr);
    EXPECT_EQ(empty.Assign(nullptr, 2), E_INVALIDARG);
    EXPECT_EQ(empty.Assign(W("abc"), 2), S_OK);
    EXPECT_TRUE(empty == W("ab"));
    empty.Empty();

    CBstrString a(W("abc"));
    EXPECT_EQ(a.Length(), 3u);
    EXPECT_EQ(SysStringLen(a.Get()), 3u);

    CBstrString copy(a);
    EXPECT_NE(copy.Get(), a.Get());
    EXPECT_TRUE(copy == a);
    CBstrString moved(std::move(copy));
    EXPECT_EQ(copy.Get(), nullptr);
    EXPECT_TRUE(moved == W("abc"));

    CBstrString assigned;
    assigned = a;
    assigned = assigned; // self-assignment keeps the text
    EXPECT_TRUE(assigned == W("abc"));
    assigned = assigned.c_str() + 1; // from a text inside its own BSTR
    EXPECT_TRUE(assigned == W("bc"));

    BSTR detached = a.Detach();
    EXPECT_EQ(a.Get(), nullptr);
    CBstrString attached;
    attached.Attach(detached);
    EXPECT_EQ(attached.Get(), detached);

    BSTR copied = attached.Copy();
    EXPECT_EQ(SysStringLen(copied), 3u);
    SysFreeString(copied);

    BSTR* out = attached.Out();
    EXPECT_EQ(*out, nullptr);
    *out = SysAllocString(W("filled"));
    EXPECT_TRUE(attached == W("filled"));
    attached.Empty();
    EXPECT_EQ(attached.Get(), nullptr);
}

TEST(BstrString, ComparesUnitByUnit)
{
    const WCHAR withZero[] = {'a', 0, 'b'};
    CBstrString s(withZero, 3);
    EXPECT_EQ(s.Length(), 3u);
    EXPECT_FALSE(s == W("a"));
    EXPECT_TRUE(s == CBstrString::FromBstr(s.Get()));
    EXPECT_FALSE(s == CBstrString(W("a")));
    EXPECT_TRUE(CBstrString() == W(""));
    EXPECT_TRUE(CBstrString() == static_cast<const WCHAR*>(nullptr));
    EXPECT_TRUE(CBstrString(W("")) == CBstrString());
    EXPECT_TRUE(CBstrString(W("abc")) != W("abd"));
    EXPECT_TRUE(CBstrString(W("ab")) != W("abc"));
}

TEST(BstrString, FormatGivesTheWholeText)
{
    CBstrString s;
    EXPECT_EQ(s.Format(W("<Step rID=\"T%d\"%s>\r\n"), 17, W(" retval=\"x\"")), S_OK);
    EXPECT_EQ(Text(s), "<Step rID=\"T17\" retval=\"x\">\r\n");
    EXPECT_EQ(s.Length(), SysStringLen(s.Get()));

    EXPECT_EQ(s.Format(W("%s"), static_cast<const WCHAR*>(nullptr)), S_OK);
    EXPECT_EQ(Text(s), "(null)");

    WideString longText(10001, W('w'));
    EXPECT_EQ(s.Format(W("[%s]%E"), longText.c_str(), 1e300), S_OK);
    EXPECT_EQ(s.Length(), 10003u + 13u);
    EXPECT_EQ(Text(s.Right(13)), "1.000000E+300");

    // Its own text as an argument.
    s = W("abc");
    EXPECT_EQ(s.Format(W("%s-%s"), s.c_str(), s.c_str()), S_OK);
    EXPECT_EQ(Text(s), "abc-abc");

    EXPECT_EQ(s.Format(W("")), S_OK);
    EXPECT_TRUE(s.IsEmpty());

    s = W("kept");
    EXPECT_EQ(s.Format(nullptr), E_INVALIDARG);
    EXPECT_EQ(Text(s), "kept");
}

TEST(BstrString, Append)
{
    CBstrString s;
    EXPECT_EQ(s.Append(static_cast<const WCHAR*>(nullptr)), S_OK);
    EXPECT_EQ(s.Get(), nullptr);
    // A count of 0 makes a null text empty, and leaves a non-empty one alone.
    EXPECT_EQ(s.Append(W("xyz"), 0), S_OK);
    ASSERT_NE(s.Get(), nullptr);
    EXPECT_EQ(s.Length(), 0u);

    EXPECT_EQ(s.Append(W("hello"), 4), S_OK);
    BSTR before = s.Get();
    EXPECT_EQ(s.Append(W("ignored"), 0), S_OK);
    EXPECT_EQ(s.Get(), before);
    EXPECT_EQ(s.Append(W(" world")), S_OK);
    EXPECT_EQ(s.Append(W('!')), S_OK);
    EXPECT_EQ(Text(s), "hell world!");

    // From itself, and from another BSTR with zero units.
    EXPECT_EQ(s.Append(s), S_OK);
    EXPECT_EQ(Text(s), "hell world!hell world!");
    const WCHAR withZero[] = {'x', 0, 'y'};
    CBstrString other(withZero, 3);
    CBstrString t(W("a"));
    EXPECT_EQ(t.AppendBstr(other.Get()), S_OK);
    EXPECT_EQ(t.Length(), 4u);
    EXPECT_EQ(t.Get()[2], 0);
    EXPECT_EQ(t.Get()[3], 'y');

    t += W("z");
    t += CBstrString(W("w"));
    t += W('v');
    EXPECT_EQ(t.Length(), 7u);

    // A length that would overflow is refused, and nothing changes.
    EXPECT_EQ(t.Append(W("q"), 0xFFFFFFFFu), E_OUTOFMEMORY);
    EXPECT_EQ(t.Length(), 7u);
}

TEST(BstrString, Find)
{
    CBstrString s(W("a,b,c"));
    EXPECT_EQ(s.Find(W(',')), 1);
    EXPECT_EQ(s.Find(W(','), 2), 3);
    EXPECT_EQ(s.Find(W(','), 4), -1);
    EXPECT_EQ(s.Find(W('c'), 4), 4);
    EXPECT_EQ(s.Find(W('c'), 5), -1); // start equal to the length
    EXPECT_EQ(s.Find(W('a'), -1), -1);
    EXPECT_EQ(s.Find(W('x')), -1);
    EXPECT_EQ(CBstrString().Find(W('a')), -1);
    EXPECT_EQ(NotWellFormed(W("abc")).Find(W('a')), -1);
}

TEST(BstrString, RemoveAndReplaceUnits)
{
    CBstrString s(W("a-b-c-"));
    EXPECT_EQ(s.Remove(W('-')), 3);
    EXPECT_EQ(Text(s), "abc");
    EXPECT_EQ(s.Remove(W('x')), 0);

    s = W("a.b.c");
    EXPECT_EQ(s.Replace(W('.'), W('/')), 2);
    EXPECT_EQ(Text(s), "a/b/c");
    EXPECT_EQ(s.Replace(W('/'), W('/')), 0);
    EXPECT_EQ(s.Replace(W('/'), W('\0')), 2);
    EXPECT_EQ(Text(s), "abc");
    EXPECT_EQ(CBstrString().Replace(W('a'), W('b')), 0);
}

TEST(BstrString, ReplaceTexts)
{
    CBstrString s(W("no markers here"));
    BSTR before = s.Get();
    EXPECT_EQ(s.Replace(W("]]>"), W("]]_")), 0);
    EXPECT_EQ(s.Get(), before);

    s = W("a]]>b]]>]]>");
    EXPECT_EQ(s.Replace(W("]]>"), W("]]_")), 3);
    EXPECT_EQ(Text(s), "a]]_b]]_]]_");

    s = W("a&b<c>&");
    EXPECT_EQ(s.Replace(W("&"), W("&amp;")), 2);
    EXPECT_EQ(Text(s), "a&amp;b<c>&amp;");
    EXPECT_EQ(s.Replace(W("\n"), W("<br>")), 0);

    // Non-overlapping, left to right; a null new text removes.
    s = W("aaaaa");
    EXPECT_EQ(s.Replace(W("aa"), W("b")), 2);
    EXPECT_EQ(Text(s), "bba");
    EXPECT_EQ(s.Replace(W("b"), nullptr), 2);
    EXPECT_EQ(Text(s), "a");
    EXPECT_EQ(s.Replace(W(""), W("x")), 0);
    EXPECT_EQ(s.Replace(nullptr, W("x")), 0);

    // Zero units inside the text separate segments that are each searched.
    const WCHAR units[] = {'x', '<', 0, '<', 'y'};
    CBstrString z(units, 5);
    EXPECT_EQ(z.Replace(W("<"), W("&lt;")), 2);
    const WCHAR expected[] = {'x', '&', 'l', 't', ';', 0, '&', 'l', 't', ';', 'y'};
    EXPECT_TRUE(z == CBstrString(expected, 11));
}

TEST(BstrString, Insert)
{
    CBstrString s(W("ac"));
    EXPECT_EQ(s.Insert(1, W('b')), 3);
    EXPECT_EQ(s.Insert(-5, W("<")), 4);
    EXPECT_EQ(s.Insert(100, W(">>")), 6);
    EXPECT_EQ(Text(s), "<abc>>");
    EXPECT_EQ(s.Insert(1, W('\0')), -1);
    EXPECT_EQ(s.Insert(1, W("")), 6);
    EXPECT_EQ(s.Insert(1, static_cast<const WCHAR*>(nullptr)), 6);
    EXPECT_EQ(Text(s), "<abc>>");

    CBstrString empty;
    EXPECT_EQ(empty.Insert(3, W('x')), 1);
    EXPECT_EQ(Text(empty), "x");
}

TEST(BstrString, MidLeftRightClip)
{
    CBstrString s(W("abcdef"));
    EXPECT_EQ(Text(s.Mid(2, 3)), "cde");
    EXPECT_EQ(Text(s.Mid(4, 10)), "ef");
    EXPECT_EQ(Text(s.Mid(-3, 2)), "ab");
    EXPECT_EQ(Text(s.Mid(2, -1)), "");
    EXPECT_EQ(Text(s.Mid(6, 1)), "");
    EXPECT_EQ(Text(s.Mid(3)), "def");
    EXPECT_EQ(Text(s.Mid(-1)), "abcdef");
    EXPECT_EQ(Text(s.Mid(9)), "");
    EXPECT_EQ(Text(s.Left(2)), "ab");
    EXPECT_EQ(Text(s.Left(99)), "abcdef");
    EXPECT_EQ(Text(s.Left(-1)), "");
    EXPECT_EQ(Text(s.Right(2)), "ef");
    EXPECT_EQ(Text(s.Right(99)), "abcdef");
    EXPECT_EQ(Text(s.Right(0)), "");
    EXPECT_EQ(Text(s), "abcdef");
}

TEST(BstrString, Trim)
{
    CBstrString s(W(" \t\r\n text \u3000\u00A0"));
    s.TrimLeft();
    EXPECT_EQ(Text(s), "text \u3000\u00A0");
    s.TrimRight();
    EXPECT_EQ(Text(s), "text");

    s = W(" \t\n ");
    s.TrimRight();
    EXPECT_TRUE(s.IsEmpty());
    s.TrimLeft();
    EXPECT_TRUE(s.IsEmpty());

    s = W("xxaxx");
    s.TrimLeft(W('x'));
    EXPECT_EQ(Text(s), "axx");
    s.TrimRight(W('x'));
    EXPECT_EQ(Text(s), "a");

    s = W("-+a+b-+");
    s.TrimLeft(W("+-"));
    s.TrimRight(W("+-"));
    EXPECT_EQ(Text(s), "a+b");
    s.TrimLeft(static_cast<const WCHAR*>(nullptr));
    EXPECT_EQ(Text(s), "a+b");

    CBstrString broken = NotWellFormed(W(" a "));
    broken.TrimLeft();
    broken.TrimRight();
    EXPECT_EQ(broken.Length(), 3u);
}

TEST(BstrString, SetWithout)
{
    CBstrString s(W("old"));
    EXPECT_EQ(s.SetWithout(W("\r\n"), W("line one\r\nline two\n")), S_OK);
    EXPECT_EQ(Text(s), "line oneline two");
    EXPECT_EQ(s.SetWithout(W("x"), nullptr), E_INVALIDARG);
    EXPECT_EQ(Text(s), "line oneline two");

    EXPECT_EQ(s.SetWithout(W("x"), W("")), S_OK);
    EXPECT_NE(s.Get(), nullptr);
    EXPECT_EQ(s.Length(), 0u);

    s = W("a b c");
    EXPECT_EQ(s.SetWithout(W(" "), s.c_str()), S_OK);
    EXPECT_EQ(Text(s), "abc");
    EXPECT_EQ(s.SetWithout(nullptr, W("kept")), S_OK);
    EXPECT_EQ(Text(s), "kept");
}
