// VarBstrCmp with the flags the logger uses (0: case matters).
#include <gtest/gtest.h>

#include "pal/pal.h"

namespace {

class Texts {
public:
    Texts(const WCHAR* left, const WCHAR* right) : m_left(SysAllocString(left)), m_right(SysAllocString(right)) {}
    Texts(BSTR left, BSTR right) : m_left(left), m_right(right) {}
    ~Texts()
    {
        SysFreeString(m_left);
        SysFreeString(m_right);
    }
    HRESULT Compare(ULONG flags = 0) const { return VarBstrCmp(m_left, m_right, LOCALE_USER_DEFAULT, flags); }
    HRESULT Reversed(ULONG flags = 0) const { return VarBstrCmp(m_right, m_left, LOCALE_USER_DEFAULT, flags); }

private:
    BSTR m_left;
    BSTR m_right;
};

} // namespace

TEST(VarBstrCmp, EqualTextsAndTheEmptyText)
{
    EXPECT_EQ(Texts(W("User"), W("User")).Compare(), VARCMP_EQ);
    EXPECT_EQ(Texts(W(""), W("")).Compare(), VARCMP_EQ);
    // A null BSTR is the empty text.
    EXPECT_EQ(VarBstrCmp(nullptr, nullptr, LOCALE_USER_DEFAULT, 0), VARCMP_EQ);
    Texts emptyAndNull(SysAllocString(W("")), nullptr);
    EXPECT_EQ(emptyAndNull.Compare(), VARCMP_EQ);
    EXPECT_EQ(emptyAndNull.Reversed(), VARCMP_EQ);
    Texts textAndNull(SysAllocString(W("abc")), nullptr);
    EXPECT_EQ(textAndNull.Compare(), VARCMP_GT);
    EXPECT_EQ(textAndNull.Reversed(), VARCMP_LT);
}

TEST(VarBstrCmp, OrderOfDifferentTexts)
{
    Texts prefix(W("User"), W("Userx"));
    EXPECT_EQ(prefix.Compare(), VARCMP_LT);
    EXPECT_EQ(prefix.Reversed(), VARCMP_GT);
    Texts letters(W("abc"), W("abd"));
    EXPECT_EQ(letters.Compare(), VARCMP_LT);
    EXPECT_EQ(letters.Reversed(), VARCMP_GT);
    EXPECT_EQ(Texts(W("10"), W("9")).Compare(), VARCMP_LT);
    // Letters sort alphabetically whatever their case.
    EXPECT_EQ(Texts(W("a"), W("B")).Compare(), VARCMP_LT);
    EXPECT_EQ(Texts(W("b"), W("ABC")).Compare(), VARCMP_GT);
}

TEST(VarBstrCmp, CaseMattersUnlessIgnored)
{
    Texts texts(W("Status"), W("status"));
    EXPECT_EQ(texts.Compare(), VARCMP_GT);
    EXPECT_EQ(texts.Reversed(), VARCMP_LT);
    EXPECT_EQ(Texts(W("abc"), W("ABC")).Compare(), VARCMP_LT);
    EXPECT_EQ(texts.Compare(NORM_IGNORECASE), VARCMP_EQ);
}

TEST(VarBstrCmp, EmbeddedZerosCount)
{
    const OLECHAR left[] = {'a', 0, 'b'};
    const OLECHAR right[] = {'a', 0, 'c'};
    Texts texts(SysAllocStringLen(left, 3), SysAllocStringLen(right, 3));
    EXPECT_EQ(texts.Compare(), VARCMP_LT);
    EXPECT_EQ(texts.Reversed(), VARCMP_GT);
}
