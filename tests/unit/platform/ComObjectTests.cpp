// The shared IUnknown of the project's own COM objects: interfaces answered
// from the object's table (with the identity of IUnknown kept), the reference
// count, and deletion on the last release.
#include <gtest/gtest.h>

#include "pal/com_object.h"

namespace {

const IID IID_ITestFirst = {0x6b1d3c10, 0x2f4e, 0x4c71, {0x9a, 0x11, 0x52, 0x0e, 0x6d, 0x7b, 0x30, 0x01}};
const IID IID_ITestSecond = {0x6b1d3c10, 0x2f4e, 0x4c71, {0x9a, 0x11, 0x52, 0x0e, 0x6d, 0x7b, 0x30, 0x02}};

struct ITestFirst : public IUnknown {
    virtual int STDMETHODCALLTYPE First() = 0;
};
struct ITestSecond : public IUnknown {
    virtual int STDMETHODCALLTYPE Second() = 0;
};

class CTestObject final : public CComObject<CTestObject, ITestFirst, ITestSecond> {
public:
    explicit CTestObject(int* destroyed) : m_destroyed(destroyed) {}
    ~CTestObject() { ++*m_destroyed; }

    static const ComInterfaceEntry* InterfaceTable()
    {
        static const ComInterfaceEntry table[] = {
            ComEntry<CTestObject, IUnknown, ITestFirst>(IID_IUnknown),
            ComEntry<CTestObject, ITestFirst>(IID_ITestFirst),
            ComEntry<CTestObject, ITestSecond>(IID_ITestSecond),
            ComTableEnd(),
        };
        return table;
    }

    int STDMETHODCALLTYPE First() override { return 1; }
    int STDMETHODCALLTYPE Second() override { return 2; }

private:
    int* m_destroyed;
};

} // namespace

TEST(ComObject, AnswersItsTableAndDiesWithTheLastReference)
{
    int destroyed = 0;
    auto* object = new CTestObject(&destroyed);

    ITestSecond* second = nullptr;
    ASSERT_EQ(S_OK, object->QueryInterface(IID_ITestSecond, reinterpret_cast<void**>(&second)));
    EXPECT_EQ(2, second->Second());

    ITestFirst* first = nullptr;
    ASSERT_EQ(S_OK, second->QueryInterface(IID_ITestFirst, reinterpret_cast<void**>(&first)));
    EXPECT_EQ(1, first->First());

    // IUnknown is one pointer whichever interface it is asked through.
    IUnknown* viaFirst = nullptr;
    IUnknown* viaSecond = nullptr;
    ASSERT_EQ(S_OK, first->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaFirst)));
    ASSERT_EQ(S_OK, second->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&viaSecond)));
    EXPECT_EQ(viaFirst, viaSecond);

    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(E_NOINTERFACE, first->QueryInterface(IID_IDispatch, &none));
    EXPECT_EQ(nullptr, none);
    EXPECT_EQ(E_POINTER, first->QueryInterface(IID_ITestFirst, nullptr));

    EXPECT_EQ(3u, viaSecond->Release());
    EXPECT_EQ(2u, viaFirst->Release());
    EXPECT_EQ(1u, first->Release());
    EXPECT_EQ(0, destroyed);
    EXPECT_EQ(0u, second->Release());
    EXPECT_EQ(1, destroyed);
}
