// The pictures of a step through the host's objects: the reporter's snapshot
// with the test options' "DefaultTimeout" at 0 meanwhile, the user's bitmap
// through the screen-shot utility, and the paths through the file-system
// object. The stand-ins record every call; the file-system object and the
// utility are created by ProgID as the host would have them registered.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "core/Description.h"
#include "core/StepPictures.h"
#include "fs/ResultsFolder.h"
#include "pal/pal.h"
#include "support/ClassRegistration.h"
#include "support/FakePictureHost.h"
#include "support/TestSupport.h"

namespace {

const WCHAR kResults[] = W("C:\\Results");
const WCHAR kStepFolder[] = W("Act0\\Row0");

// An event description with values set by key.
class Description {
public:
    Description() { PAL_CreateDictionary(&m_dictionary); }
    ~Description()
    {
        if (m_dictionary)
            m_dictionary->Release();
    }
    Description(const Description&) = delete;
    Description& operator=(const Description&) = delete;

    IDictionary* Get() const { return m_dictionary; }

    Description& Value(const char* key, VARIANT* value)
    {
        VARIANT name;
        VariantInit(&name);
        V_VT(&name) = VT_BSTR;
        V_BSTR(&name) = SysAllocString(test::Utf8ToUtf16(key).c_str());
        EXPECT_EQ(m_dictionary->put_Item(&name, value), S_OK);
        VariantClear(&name);
        return *this;
    }
    Description& Short(const char* key, SHORT number)
    {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I2;
        V_I2(&value) = number;
        return Value(key, &value);
    }
    Description& Int(const char* key, LONG number)
    {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_I4;
        V_I4(&value) = number;
        return Value(key, &value);
    }
    Description& Flag(const char* key, bool flag)
    {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_BOOL;
        V_BOOL(&value) = flag ? VARIANT_TRUE : VARIANT_FALSE;
        return Value(key, &value);
    }
    Description& Text(const char* key, const char* text)
    {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_BSTR;
        V_BSTR(&value) = SysAllocString(test::Utf8ToUtf16(text).c_str());
        Value(key, &value);
        VariantClear(&value);
        return *this;
    }
    // The object (one reference taken over from the caller).
    Description& Object(const char* key, IUnknown* object)
    {
        VARIANT value;
        VariantInit(&value);
        V_VT(&value) = VT_UNKNOWN;
        V_UNKNOWN(&value) = object;
        Value(key, &value);
        VariantClear(&value);
        return *this;
    }

private:
    IDictionary* m_dictionary = nullptr;
};

// The operations on a description given as a dictionary (null: none).
HRESULT SnapshotWith(CStepPictures& pictures, IDictionary* dictionary, const WCHAR* results, const WCHAR* folder,
                     EventNode* node, VARIANT* viewType)
{
    CDescription description(dictionary);
    return pictures.SaveStepSnapshot(description, CResultsFolder(results), folder, node, viewType);
}
HRESULT UsersPictureWith(CStepPictures& pictures, IDictionary* dictionary, const WCHAR* results,
                         const WCHAR* folder, EventNode* node)
{
    CDescription description(dictionary);
    return pictures.SaveUsersPicture(description, CResultsFolder(results), folder, node);
}

struct DiagnosticLine {
    int line;
    std::string function;
    HRESULT hr;
    std::string message;
};

std::string Text(const CBstrString& text) { return test::Utf16ToUtf8(text.c_str()); }

class StepPictures : public ::testing::Test {
protected:
    StepPictures()
    {
        pictures.SetDiagnosticWriter([this](int line, const char* function, HRESULT hr, const char* message) {
            diagnostics.push_back(DiagnosticLine{line, function, hr, message});
        });
        VariantInit(&viewType);
        V_VT(&viewType) = VT_BSTR;
        V_BSTR(&viewType) = SysAllocString(W("Kept"));
    }
    ~StepPictures() override { VariantClear(&viewType); }

    void SetUp() override { ASSERT_TRUE(host.Registered()); }

    HRESULT Snapshot(const Description& description) { return Snapshot(description, node); }
    HRESULT Snapshot(const Description& description, EventNode& target)
    {
        return SnapshotWith(pictures, description.Get(), kResults, kStepFolder, &target, &viewType);
    }
    HRESULT UsersPicture(const Description& description)
    {
        return UsersPictureWith(pictures, description.Get(), kResults, kStepFolder, &node);
    }
    // A description that asks for a snapshot from a new reporter.
    void AskForSnapshot(Description& description, bool withServices = true)
    {
        description.Short("DoSaveSnapShot", 1).Object("ReporterDispatch", host.NewReporter(withServices));
    }
    std::string ViewTypeText() const
    {
        return V_VT(&viewType) == VT_BSTR ? test::Utf16ToUtf8(V_BSTR(&viewType) ? V_BSTR(&viewType) : W("")) : "?";
    }
    std::string Calls() { return host.State().CallText(); }

    test::CPrivateRegistry registry; // first: the classes are registered in it
    test::CFakePictureHost host;
    CStepPictures pictures;          // after the host: its objects go first
    EventNode node;
    VARIANT viewType;
    std::vector<DiagnosticLine> diagnostics;
};

// The timeout change around the snapshot call, as the options see it.
const char kTimeoutAtZero[] = "GetObjectDirectory\n"
                              "LookupObject(TestOptions,options)\n"
                              "GetOption(,DefaultTimeout,0,0)\n"
                              "SetOption(,DefaultTimeout,0:3,0,0,0,3,0)\n";
const char kTimeoutRestored[] = "SetOption(,DefaultTimeout,20:3,0,0,0,3,0)\n";

} // namespace

TEST_F(StepPictures, SnapshotIsTakenWithTheTimeoutAtZeroAndFiledThroughTheFileSystemObject)
{
    Description description;
    AskForSnapshot(description);
    EXPECT_EQ(Snapshot(description), S_OK);

    EXPECT_EQ(Calls(), std::string(kTimeoutAtZero) +
                           "SaveSnapshot(C:\\Results\\Act0\\Row0,1,1,0)\n" + kTimeoutRestored +
                           "GetReportFilePath(Act0\\Row0,Snapshot3.png)\n");
    EXPECT_EQ(host.State().timeoutDuringSnapshot, "0");
    EXPECT_EQ(host.State().timeoutValue, 20);
    EXPECT_EQ(Text(node.bottomFilePath), "Act0\\Row0\\Snapshot3.png");
    EXPECT_EQ(Text(node.highlightText), "Button \"OK\"");
    EXPECT_EQ(ViewTypeText(), "MLFPHandler.MLFPHandler.1");
    EXPECT_EQ(host.State().fileSystemObjects, 1);
    EXPECT_TRUE(pictures.HasFileSystemObject());
    EXPECT_FALSE(pictures.HasScreenShotUtility());
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(StepPictures, StepsThatAskForNoSnapshotOrCannotHaveOneAreLeftAlone)
{
    Description none, zero, noReporter, notAnObject, unreadable, hostFile;
    zero.Short("DoSaveSnapShot", 0).Object("ReporterDispatch", host.NewReporter());
    noReporter.Short("DoSaveSnapShot", 1);
    notAnObject.Short("DoSaveSnapShot", 1).Text("ReporterDispatch", "reporter");
    // Out of the 16-bit range: the value does not convert and counts as absent.
    unreadable.Int("DoSaveSnapShot", 70000).Object("ReporterDispatch", host.NewReporter());
    AskForSnapshot(hostFile);
    for (const Description* description : {&none, &zero, &noReporter, &notAnObject, &unreadable}) {
        EventNode step;
        EXPECT_EQ(Snapshot(*description, step), S_OK);
        EXPECT_TRUE(step.bottomFilePath.IsEmpty());
    }

    // A step keeps a file the host gave it.
    EventNode given;
    given.bottomFilePath = W("HostFile.png");
    EXPECT_EQ(Snapshot(hostFile, given), S_OK);
    EXPECT_EQ(Text(given.bottomFilePath), "HostFile.png");
    EXPECT_TRUE(given.highlightText.IsEmpty());

    EXPECT_EQ(Calls(), "");
    EXPECT_EQ(ViewTypeText(), "Kept");
    EXPECT_EQ(host.State().fileSystemObjects, 0);
    EXPECT_EQ(SnapshotWith(pictures, nullptr, kResults, kStepFolder, &node, &viewType), S_OK);
}

TEST_F(StepPictures, SnapshotFlagIsReadAsANumberAndThroughAReference)
{
    Description text, flag, byReference;
    text.Text("DoSaveSnapShot", "1").Object("ReporterDispatch", host.NewReporter(false));
    flag.Flag("DoSaveSnapShot", true).Object("ReporterDispatch", host.NewReporter(false));
    // A script's variable: the value behind a reference.
    VARIANT inner, reference;
    VariantInit(&inner);
    V_VT(&inner) = VT_I2;
    V_I2(&inner) = 1;
    VariantInit(&reference);
    V_VT(&reference) = VT_BYREF | VT_VARIANT;
    V_VARIANTREF(&reference) = &inner;
    byReference.Value("DoSaveSnapShot", &reference).Object("ReporterDispatch", host.NewReporter(false));

    for (const Description* description : {&text, &flag, &byReference}) {
        EventNode step;
        EXPECT_EQ(Snapshot(*description, step), S_OK);
        EXPECT_EQ(Text(step.bottomFilePath), "Act0\\Row0\\Snapshot3.png");
    }
}

TEST_F(StepPictures, ReporterWithoutTheSecondInterfaceTakesTheSnapshotWithTheOptionsAsTheyAre)
{
    Description description;
    AskForSnapshot(description, false);
    EXPECT_EQ(Snapshot(description), S_OK);
    EXPECT_EQ(Calls(), "SaveSnapshot(C:\\Results\\Act0\\Row0,1,1,0)\n"
                       "GetReportFilePath(Act0\\Row0,Snapshot3.png)\n");
    EXPECT_EQ(host.State().timeoutDuringSnapshot, "-");
    EXPECT_EQ(Text(node.bottomFilePath), "Act0\\Row0\\Snapshot3.png");
}

TEST_F(StepPictures, FailedOrThrowingSnapshotLeavesTheTimeoutAsItWas)
{
    struct Case {
        HRESULT result;
        bool throws;
        HRESULT expected;
    };
    for (const Case& c : {Case{E_ABORT, false, E_ABORT}, Case{S_OK, true, E_FAIL}}) {
        host.State().calls.clear();
        host.State().snapshotResult = c.result;
        host.State().snapshotThrows = c.throws;
        Description description;
        AskForSnapshot(description);
        EXPECT_EQ(Snapshot(description), c.expected);
        EXPECT_EQ(Calls(), std::string(kTimeoutAtZero) + "SaveSnapshot(C:\\Results\\Act0\\Row0,1,1,0)\n" +
                               kTimeoutRestored);
        EXPECT_EQ(host.State().timeoutValue, 20);
        EXPECT_EQ(host.State().timeoutType, VT_I4);
    }
    // The node and the kept viewer type are untouched.
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());
    EXPECT_TRUE(node.highlightText.IsEmpty());
    EXPECT_EQ(ViewTypeText(), "Kept");
    EXPECT_EQ(host.State().fileSystemObjects, 0);
}

TEST_F(StepPictures, OptionsThatCannotBeReachedOrChangedStopTheSnapshot)
{
    test::PictureHostState& state = host.State();
    struct Case {
        const char* name;
        void (*prepare)(test::PictureHostState&);
        HRESULT expected;
        const char* calls;
    };
    const Case cases[] = {
        {"directory fails", [](test::PictureHostState& s) { s.directoryResult = E_ACCESSDENIED; }, E_ACCESSDENIED,
         "GetObjectDirectory\n"},
        {"no directory", [](test::PictureHostState& s) { s.giveDirectory = false; }, E_FAIL, "GetObjectDirectory\n"},
        {"lookup fails", [](test::PictureHostState& s) { s.lookupResult = E_NOINTERFACE; }, E_NOINTERFACE,
         "GetObjectDirectory\nLookupObject(TestOptions,options)\n"},
        {"no options", [](test::PictureHostState& s) { s.giveOptions = false; }, E_FAIL,
         "GetObjectDirectory\nLookupObject(TestOptions,options)\n"},
        {"read fails", [](test::PictureHostState& s) { s.getOptionResult = E_INVALIDARG; }, E_INVALIDARG,
         "GetObjectDirectory\nLookupObject(TestOptions,options)\nGetOption(,DefaultTimeout,0,0)\n"},
        // The change itself failed: nothing to restore.
        {"write fails", [](test::PictureHostState& s) { s.firstSetOptionResult = E_ACCESSDENIED; }, E_ACCESSDENIED,
         kTimeoutAtZero},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        state = test::PictureHostState();
        c.prepare(state);
        Description description;
        AskForSnapshot(description);
        EXPECT_EQ(Snapshot(description), c.expected);
        EXPECT_EQ(Calls(), c.calls);
        EXPECT_EQ(state.timeoutValue, 20);
        EXPECT_TRUE(node.bottomFilePath.IsEmpty());
        EXPECT_EQ(ViewTypeText(), "Kept");
    }
}

TEST_F(StepPictures, SnapshotHighlightOfAnyTypeBecomesText)
{
    host.State().highlightIsText = false;
    host.State().highlightNumber = 1234;
    Description description;
    AskForSnapshot(description, false);
    EXPECT_EQ(Snapshot(description), S_OK);
    EXPECT_EQ(Text(node.highlightText), "1234");
}

TEST_F(StepPictures, SnapshotWithoutAFileSystemObjectKeepsItsViewerTypeButNoFile)
{
    test::PictureHostState& state = host.State();
    state.fileSystemCreatable = false;
    Description first;
    AskForSnapshot(first, false);
    EXPECT_EQ(Snapshot(first), E_FAIL);
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());
    EXPECT_EQ(Text(node.highlightText), "Button \"OK\"");
    EXPECT_EQ(ViewTypeText(), "MLFPHandler.MLFPHandler.1");
    EXPECT_FALSE(pictures.HasFileSystemObject());

    // The object the host refuses to give is asked for again next time; its
    // failure is returned as it is.
    state.fileSystemCreatable = true;
    state.reportPathResult = E_UNEXPECTED;
    EventNode second;
    Description again;
    AskForSnapshot(again, false);
    EXPECT_EQ(Snapshot(again, second), E_UNEXPECTED);
    EXPECT_TRUE(second.bottomFilePath.IsEmpty());
    EXPECT_EQ(state.fileSystemObjects, 1);
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(StepPictures, SnapshotPathComesBackThroughTheAnsiCodePage)
{
    // "Ä" is in the Western code pages, "漢" only in Unicode ones.
    host.State().reportPath = "Act0\\Row0\\\xC3\x84" "1\xE6\xBC\xA2.png";
    Description description;
    AskForSnapshot(description, false);
    EXPECT_EQ(Snapshot(description), S_OK);
    std::string expected = GetACP() == CP_UTF8 ? host.State().reportPath : "Act0\\Row0\\\xC3\x84" "1?.png";
    EXPECT_EQ(Text(node.bottomFilePath), expected);

    // The users picture's path is taken as it is.
    Description picture;
    picture.Int("UsersPictureHbitmap", 77);
    EXPECT_EQ(UsersPicture(picture), S_OK);
    EXPECT_EQ(Text(node.bottomFilePath), host.State().reportPath);
}

TEST_F(StepPictures, UsersPictureIsSavedByTheUtilityAndFiledThroughTheFileSystemObject)
{
    Description description;
    description.Int("UsersPictureHbitmap", 0x1F2E3D);
    EXPECT_EQ(UsersPicture(description), S_OK);
    EXPECT_EQ(Calls(), "SaveBitmap(C:\\Results\\Act0\\Row0,UsersPicture,2043453,2)\n"
                       "EndSave(0)\n"
                       "GetReportFilePath(Act0\\Row0,UsersPicture5.png)\n");
    EXPECT_EQ(Text(node.bottomFilePath), "Act0\\Row0\\UsersPicture5.png");
    EXPECT_TRUE(pictures.HasScreenShotUtility());
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(StepPictures, UsersPictureFolderIsJoinedToTheResultsFolder)
{
    Description description;
    description.Int("UsersPictureHbitmap", 5);
    EXPECT_EQ(UsersPictureWith(pictures, description.Get(), kResults, W(""), &node), S_OK);
    EXPECT_EQ(UsersPictureWith(pictures, description.Get(), kResults, W("\\Act1"), &node), S_OK);
    EXPECT_EQ(Calls(), "SaveBitmap(C:\\Results,UsersPicture,5,2)\nEndSave(0)\nGetReportFilePath(,UsersPicture5.png)\n"
                       "SaveBitmap(C:\\Results\\Act1,UsersPicture,5,2)\nEndSave(0)\n"
                       "GetReportFilePath(\\Act1,UsersPicture5.png)\n");
}

TEST_F(StepPictures, UsersPictureThatIsNotAskedForOrInvalid)
{
    Description none, zero, text, invalid;
    zero.Int("UsersPictureHbitmap", 0);
    text.Text("UsersPictureHbitmap", "picture");
    invalid.Int("UsersPictureHbitmap", -1);
    EXPECT_EQ(UsersPicture(none), S_FALSE);
    EXPECT_EQ(UsersPicture(zero), S_FALSE);
    EXPECT_EQ(UsersPicture(text), S_FALSE);
    EXPECT_EQ(UsersPicture(invalid), E_FAIL);
    EXPECT_EQ(UsersPictureWith(pictures, nullptr, kResults, kStepFolder, &node), E_INVALIDARG);
    EXPECT_EQ(UsersPictureWith(pictures, invalid.Get(), kResults, kStepFolder, nullptr), E_INVALIDARG);
    EXPECT_EQ(Calls(), "");
    EXPECT_EQ(host.State().screenShotUtilities, 0);
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());
}

TEST_F(StepPictures, UsersPictureStopsAtTheFirstFailingCall)
{
    test::PictureHostState& state = host.State();
    Description description;
    description.Int("UsersPictureHbitmap", 9);

    state.saveBitmapResult = E_OUTOFMEMORY;
    EXPECT_EQ(UsersPicture(description), E_OUTOFMEMORY);
    state.saveBitmapResult = S_OK;
    state.endSaveResult = E_ABORT;
    EXPECT_EQ(UsersPicture(description), E_ABORT);
    state.endSaveResult = S_OK;
    state.reportPathResult = E_ACCESSDENIED;
    EXPECT_EQ(UsersPicture(description), E_ACCESSDENIED);
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());
    // An empty path is no picture, but no failure either.
    state.reportPathResult = S_FALSE;
    state.reportPath = "<null>";
    EXPECT_EQ(UsersPicture(description), S_FALSE);
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());

    EXPECT_EQ(Calls(), "SaveBitmap(C:\\Results\\Act0\\Row0,UsersPicture,9,2)\n"
                       "SaveBitmap(C:\\Results\\Act0\\Row0,UsersPicture,9,2)\nEndSave(0)\n"
                       "SaveBitmap(C:\\Results\\Act0\\Row0,UsersPicture,9,2)\nEndSave(0)\n"
                       "GetReportFilePath(Act0\\Row0,UsersPicture5.png)\n"
                       "SaveBitmap(C:\\Results\\Act0\\Row0,UsersPicture,9,2)\nEndSave(0)\n"
                       "GetReportFilePath(Act0\\Row0,UsersPicture5.png)\n");
    EXPECT_EQ(state.screenShotUtilities, 1);
    EXPECT_EQ(state.fileSystemObjects, 1);
    EXPECT_TRUE(diagnostics.empty());
}

TEST_F(StepPictures, HostObjectsThatCannotBeCreatedAreReportedToTheDiagnosticLog)
{
    test::PictureHostState& state = host.State();
    Description description;
    description.Int("UsersPictureHbitmap", 9);

    state.screenShotCreatable = false;
    EXPECT_EQ(UsersPicture(description), E_ACCESSDENIED);
    ASSERT_EQ(diagnostics.size(), 1u);
    EXPECT_EQ(diagnostics[0].function, "CAnnalistImp::SaveUsersPicture");
    EXPECT_EQ(diagnostics[0].hr, E_ACCESSDENIED);
    EXPECT_EQ(diagnostics[0].message, "KOV_LOG_ASSERT. Expression: SUCCEEDED(hr) && NULL != m_spSSUtil");
    EXPECT_GT(diagnostics[0].line, 0);

    state.screenShotCreatable = true;
    state.fileSystemCreatable = false;
    EXPECT_EQ(UsersPicture(description), E_OUTOFMEMORY);
    ASSERT_EQ(diagnostics.size(), 2u);
    EXPECT_EQ(diagnostics[1].hr, E_OUTOFMEMORY);
    EXPECT_EQ(diagnostics[1].message, "KOV_LOG_ASSERT. Expression: SUCCEEDED(hr) && NULL != m_spVFS");
    EXPECT_NE(diagnostics[1].line, diagnostics[0].line);
    EXPECT_TRUE(node.bottomFilePath.IsEmpty());

    // Both are tried again, and kept once they exist.
    state.fileSystemCreatable = true;
    EXPECT_EQ(UsersPicture(description), S_OK);
    EXPECT_EQ(UsersPicture(description), S_OK);
    EXPECT_EQ(state.screenShotUtilities, 1);
    EXPECT_EQ(state.fileSystemObjects, 1);
    EXPECT_EQ(diagnostics.size(), 2u);
}

TEST(StepPicturesWithoutHost, UnregisteredObjectsGiveTheProgIdFailure)
{
    test::CPrivateRegistry registry;
    CStepPictures pictures;
    std::vector<HRESULT> logged;
    pictures.SetDiagnosticWriter([&logged](int, const char*, HRESULT hr, const char*) { logged.push_back(hr); });
    Description description;
    description.Int("UsersPictureHbitmap", 9);
    EventNode node;
    EXPECT_EQ(UsersPictureWith(pictures, description.Get(), kResults, kStepFolder, &node), CO_E_CLASSSTRING);
    ASSERT_EQ(logged.size(), 1u);
    EXPECT_EQ(logged[0], CO_E_CLASSSTRING);
    // Without a writer nothing is logged, and nothing else happens.
    pictures.SetDiagnosticWriter(nullptr);
    EXPECT_EQ(UsersPictureWith(pictures, description.Get(), kResults, kStepFolder, &node), CO_E_CLASSSTRING);
}

TEST_F(StepPictures, SnapshotAndUsersPictureOfOneStep)
{
    // In the order of step processing: the snapshot first, then the picture.
    Description description;
    AskForSnapshot(description);
    description.Int("UsersPictureHbitmap", 31);
    EXPECT_EQ(Snapshot(description), S_OK);
    EXPECT_EQ(UsersPicture(description), S_OK);
    EXPECT_EQ(Text(node.bottomFilePath), "Act0\\Row0\\UsersPicture5.png");
    EXPECT_EQ(Text(node.highlightText), "Button \"OK\"");
    EXPECT_EQ(ViewTypeText(), "MLFPHandler.MLFPHandler.1");
    EXPECT_EQ(host.State().fileSystemObjects, 1);
}

TEST_F(StepPictures, HostObjectsAreCreatedOnceForAllSteps)
{
    for (int step = 0; step < 3; ++step) {
        EventNode target;
        Description description;
        AskForSnapshot(description, false);
        description.Int("UsersPictureHbitmap", 100 + step);
        EXPECT_EQ(Snapshot(description, target), S_OK);
        EXPECT_EQ(UsersPictureWith(pictures, description.Get(), kResults, kStepFolder, &target), S_OK);
    }
    EXPECT_EQ(host.State().fileSystemObjects, 1);
    EXPECT_EQ(host.State().screenShotUtilities, 1);
}

TEST_F(StepPictures, EarlierProductLevelHasNoUsersPicture)
{
    CStepPictures earlier(ProductLevel::Earlier);
    Description description;
    AskForSnapshot(description, false);
    description.Int("UsersPictureHbitmap", -1);
    EXPECT_EQ(UsersPictureWith(earlier, description.Get(), kResults, kStepFolder, &node), S_FALSE);
    EXPECT_EQ(Calls(), "");
    // The snapshot is the same at both levels.
    EXPECT_EQ(SnapshotWith(earlier, description.Get(), kResults, kStepFolder, &node, &viewType), S_OK);
    EXPECT_EQ(Text(node.bottomFilePath), "Act0\\Row0\\Snapshot3.png");
    EXPECT_EQ(host.State().screenShotUtilities, 0);
}
