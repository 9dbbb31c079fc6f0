// The reading of event-log lines: calls, their checks, and the value forms of
// a description as they reach the logger (VARIANT types and values, host
// objects answering the host interfaces).
#include <gtest/gtest.h>

#include <functional>

#include "annalist/DescriptionBuilder.h"
#include "annalist/HostObjects.h"
#include "annalist/PlainJsonReader.h"
#include "annalist/ReplayCall.h"
#include "annalist/TextConversion.h"

namespace {

ReplayCall Parsed(const std::string& line)
{
    ReplayCall call;
    std::string reason;
    EXPECT_TRUE(ParseReplayCall(line, call, reason)) << line << ": " << reason;
    return call;
}

std::string Refused(const std::string& line)
{
    ReplayCall call;
    std::string reason;
    EXPECT_FALSE(ParseReplayCall(line, call, reason)) << line;
    return reason;
}

// The description's item for a key (the dictionary's own copy).
class Description {
public:
    explicit Description(const std::string& json)
    {
        std::string reason;
        EXPECT_TRUE(BuildDescription(Json::parse(json), m_dictionary, reason)) << reason;
    }
    explicit operator bool() const { return static_cast<bool>(m_dictionary); }
    VARIANT Item(const char* key)
    {
        VARIANT k, item;
        VariantInit(&k);
        VariantInit(&item);
        WideString name = PAL_AsciiToWide(key);
        V_VT(&k) = VT_BSTR;
        V_BSTR(&k) = SysAllocString(name.c_str());
        EXPECT_EQ(m_dictionary->get_Item(&k, &item), S_OK);
        VariantClear(&k);
        m_items.push_back(item);
        return item;
    }
    ~Description()
    {
        for (VARIANT& item : m_items)
            VariantClear(&item);
    }

private:
    CInterfacePtr<IDictionary> m_dictionary;
    std::vector<VARIANT> m_items;
};

std::string Text(BSTR text) { return Utf8FromBstr(text); }

TEST(ReplayCallTest, ReadsEachCallWithItsDefaults)
{
    ReplayCall call = Parsed(R"({"type": "Replay"})");
    EXPECT_EQ(call.kind, CallKind::LogEvent);
    EXPECT_EQ(call.type, "Replay");
    EXPECT_EQ(call.id, 0);
    EXPECT_EQ(call.parent, 0);
    EXPECT_FALSE(call.hasTime);
    EXPECT_FALSE(call.hasDescription);

    call = Parsed(R"({"call": "LogEvent", "type": "User", "id": 12, "parent": -3, "desc": null,)"
                  R"( "time": "2024-03-05T14:05:05.250"})");
    EXPECT_EQ(call.id, 12);
    EXPECT_EQ(call.parent, -3);
    EXPECT_FALSE(call.hasDescription);
    ASSERT_TRUE(call.hasTime);
    SYSTEMTIME time = {};
    ASSERT_TRUE(VariantTimeToSystemTime(call.time, &time));
    EXPECT_EQ(time.wYear, 2024);
    EXPECT_EQ(time.wMonth, 3);
    EXPECT_EQ(time.wDay, 5);
    EXPECT_EQ(time.wHour, 14);
    EXPECT_EQ(time.wMinute, 5);
    EXPECT_EQ(time.wSecond, 5); // the fraction is dropped, not rounded

    call = Parsed(R"({"call": "SetStatus", "id": 7, "status": 9})");
    EXPECT_EQ(call.kind, CallKind::SetStatus);
    EXPECT_EQ(call.status, 9);
    EXPECT_EQ(Parsed(R"({"call": "Filter", "value": 2})").filter, 2);
    EXPECT_EQ(Parsed(R"({"call": "SetRegistryRoot", "root": "SOFTWARE\\X"})").text, "SOFTWARE\\X");
    EXPECT_EQ(Parsed(R"({"call": "ReportPath", "path": "R\u00e9sultats"})").text, "R\xC3\xA9sultats");

    call = Parsed(R"({"type": "Replay", "status": 1, "parentId": 4})");
    EXPECT_EQ(call.ignoredKeys, (std::vector<std::string>{"status", "parentId"}));
}

TEST(ReplayCallTest, RefusesLinesThatAreNoCall)
{
    EXPECT_EQ(Refused(R"({"type": "Replay",})").substr(0, 14), "invalid JSON: ");
    // A byte that is not UTF-8 is named, and the message stays UTF-8.
    std::string badByte = Refused("{\"type\": \"Repl\xFF\"}");
    EXPECT_NE(badByte.find("invalid JSON"), std::string::npos);
    EXPECT_NE(badByte.find("\\xFF"), std::string::npos) << badByte;
    WideString unused;
    EXPECT_TRUE(WideFromUtf8(badByte, unused)) << badByte;
    EXPECT_EQ(Refused("[1, 2]"), "not a JSON object");
    EXPECT_EQ(Refused(R"({"id": 4})"), "LogEvent without \"type\"");
    EXPECT_NE(Refused(R"({"call": "Flush"})").find("unknown call \"Flush\""), std::string::npos);
    EXPECT_NE(Refused(R"({"type": 5})").find("\"type\" must be a text"), std::string::npos);
    EXPECT_NE(Refused(R"({"type": "Replay", "id": 2147483648})").find("\"id\" must be an integer"), std::string::npos);
    EXPECT_NE(Refused(R"({"type": "Replay", "parent": 1.5})").find("\"parent\""), std::string::npos);
    EXPECT_NE(Refused(R"({"type": "Replay", "desc": [1]})").find("\"desc\" must be an object"), std::string::npos);
    EXPECT_NE(Refused(R"({"call": "SetStatus", "id": 3})").find("\"status\" is missing"), std::string::npos);
    EXPECT_NE(Refused(R"({"call": "ReportPath", "path": 3})").find("\"path\" must be a text"), std::string::npos);
    for (const char* time : {"2024-02-30T00:00:00", "2024-03-05 14:05:05", "2024-03-05T24:00:00",
                             "2024-03-05T14:05:05.", "2024-03-05T14:05", "yesterday"})
        EXPECT_NE(Refused(std::string(R"({"type": "Replay", "time": ")") + time + "\"}").find("\"time\""),
                  std::string::npos)
            << time;
}

TEST(ReplayCallTest, NestingIsBoundedAndValuesAreShownShort)
{
    EXPECT_EQ(JsonNestingDepth(R"({"a": [1, {"b": "[[[{{{"}], "c": "\\\""})"), 3u);
    EXPECT_EQ(JsonNestingDepth("]]]["), 1u);
    std::string deepest = std::string(kMaxJsonDepth - 2, '[') + std::string(kMaxJsonDepth - 2, ']'); // in "desc" in the line
    EXPECT_TRUE(Parsed(R"({"type": "Replay", "desc": {"x": )" + deepest + "}}").hasDescription);
    EXPECT_EQ(Refused(R"({"type": "Replay", "desc": {"x": [)" + deepest + "]}}"),
              "the JSON is nested deeper than 64 levels");
    // A value of any size is shown by its beginning only.
    Json big = Json::array();
    for (int i = 0; i < 100000; ++i)
        big.push_back(std::string(100, 'x'));
    EXPECT_EQ(ShortJson(big), "[\"" + std::string(54, 'x') + " ...");
    EXPECT_EQ(ShortJson(Json::parse(R"({"a":[1,2.5,true,null],"b":"\u00e9"})")), "{\"a\":[1,2.5,true,null],\"b\":\"\u00e9\"}");
}

// The plain reader takes the usual lines and makes of them what the general
// parser makes, types included (1 is unsigned, -1 signed); whatever is not
// plain it leaves to the general parser, which refuses or reads it.
TEST(ReplayCallTest, ThePlainReaderAgreesWithTheGeneralParser)
{
    auto dumpTyped = [](const Json& value) {
        std::string text;
        std::function<void(const Json&)> walk = [&](const Json& v) {
            text += std::to_string(static_cast<int>(v.type())) + ":";
            if (v.is_object())
                for (auto it = v.begin(); it != v.end(); ++it) {
                    text += it.key() + "=";
                    walk(*it);
                }
            else if (v.is_array())
                for (const Json& item : v)
                    walk(item);
            else
                text += v.dump();
            text += ";";
        };
        walk(value);
        return text;
    };
    const char* plain[] = {
        R"({"type": "Replay", "id": 5, "parent": -4, "time": "2024-03-05T14:05:07", "desc": {"PlainTextNodeName":)"
        R"( "Browser \"Flights\"", "Status": 0, "EnableFilter": true, "X": false, "N": null, "Z": -0}})",
        "\t{ \"type\" :\"a\\\\b\\/c\\n\\r\\t\\b\\f\\u00e9\\u20ac\\u0000\" , \"desc\":{}, \"k\": [] }\r\n ",
        "{\"caf\xC3\xA9\": \"\xE2\x82\xAC \xF0\x9F\x98\x80 \xED\x9F\xBF \xEF\xBF\xBF\", \"l\": [1, [2, {\"a\": [\"\"]}]]}",
        R"({"n": 999999999999999999, "m": -999999999999999999, "d": {"$date": "2024-01-01T00:00:00"}})",
    };
    for (const char* line : plain) {
        Json value;
        ASSERT_TRUE(ReadPlainJson(line, value)) << line;
        EXPECT_EQ(dumpTyped(value), dumpTyped(Json::parse(line))) << line;
    }
    // Left to the general parser: numbers it reads otherwise, escapes of
    // surrogates, a key given twice (the first place, the last value), deep
    // nesting, bad UTF-8 and every syntax error.
    const char* other[] = {
        R"({"a": 1.5})", R"({"a": 1e3})", R"({"a": 1000000000000000000})", R"({"a": "\ud83d\ude00"})",
        R"({"a": 1, "b": 2, "a": 3})", R"({"a": [[[[[[[[[1]]]]]]]]]})", "{\"a\": \"\xC0\xAF\"}",
        "{\"a\": \"\xED\xA0\x80\"}", "{\"a\": \"\xF4\x90\x80\x80\"}", "{\"a\": \"x\x01\"}", R"({"a": 01})",
        R"({"a": -})", R"({"a": tru})", R"({"a": 1,})", R"({"a": [1,]})", R"({"a" 1})", R"({"a": 1} x)",
        R"([1])", "\xEF\xBB\xBF{}", R"({"a": "\x"})", R"({"a": "\u12G4"})", R"({"a": +1})", R"({"a": 1}})",
    };
    for (const char* line : other) {
        Json value;
        EXPECT_FALSE(ReadPlainJson(line, value)) << line;
    }
    EXPECT_EQ(dumpTyped(Parsed(R"({"type": "T", "desc": {"a": 1, "b": 2, "a": 3}})").description),
              dumpTyped(Json::parse(R"({"a": 3, "b": 2})")));
}

TEST(ReplayCallTest, LeapDaysAndDateValues)
{
    DATE date = 0;
    EXPECT_TRUE(ParseEventTime("2024-02-29T23:59:59", date));
    EXPECT_FALSE(ParseEventTime("2023-02-29T00:00:00", date));
    EXPECT_FALSE(ParseEventTime("1900-02-29T00:00:00", date));
    ASSERT_TRUE(ParseEventTime("1899-12-31T12:00:00", date));
    EXPECT_DOUBLE_EQ(date, 1.5);
}

TEST(DescriptionValueTest, EachFormBecomesItsVariantType)
{
    Description d(R"({"Text": "Caf\u00e9", "Yes": true, "No": false, "Int": -7, "Big": 2147483648,)"
                  R"( "Real": 2.5, "Nothing": null, "When": {"$date": "2024-03-05T14:05:05"},)"
                  R"( "Short": {"$i2": -32768}, "Empty": {"$empty": true}})");
    ASSERT_TRUE(d);
    VARIANT v = d.Item("Text");
    ASSERT_EQ(V_VT(&v), VT_BSTR);
    EXPECT_EQ(Text(V_BSTR(&v)), "Caf\xC3\xA9");
    v = d.Item("Yes");
    ASSERT_EQ(V_VT(&v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v), VARIANT_TRUE);
    v = d.Item("No");
    ASSERT_EQ(V_VT(&v), VT_BOOL);
    EXPECT_EQ(V_BOOL(&v), VARIANT_FALSE);
    v = d.Item("Int");
    ASSERT_EQ(V_VT(&v), VT_I4);
    EXPECT_EQ(V_I4(&v), -7);
    v = d.Item("Big");
    ASSERT_EQ(V_VT(&v), VT_R8);
    EXPECT_DOUBLE_EQ(V_R8(&v), 2147483648.0);
    v = d.Item("Real");
    ASSERT_EQ(V_VT(&v), VT_R8);
    EXPECT_DOUBLE_EQ(V_R8(&v), 2.5);
    EXPECT_EQ(V_VT(&(v = d.Item("Nothing"))), VT_NULL);
    v = d.Item("When");
    ASSERT_EQ(V_VT(&v), VT_DATE);
    DATE expected = 0;
    ASSERT_TRUE(ParseEventTime("2024-03-05T14:05:05", expected));
    EXPECT_DOUBLE_EQ(V_DATE(&v), expected);
    v = d.Item("Short");
    ASSERT_EQ(V_VT(&v), VT_I2);
    EXPECT_EQ(V_I2(&v), -32768);
    EXPECT_EQ(V_VT(&(v = d.Item("Empty"))), VT_EMPTY);
}

TEST(DescriptionValueTest, ReportAndParametersAnswerTheHostInterfaces)
{
    Description d(R"({"CustomObjUnk": {"$report": "<b>ok</b>"}, "ArgumentsDispatch": {"$params": [)"
                  R"({"name": "City", "value": "Oslo"}, {"name": "Seats", "direction": "out", "value": {"$i2": 3}},)"
                  R"({"name": "Unset", "direction": "in"}]}})");
    ASSERT_TRUE(d);
    VARIANT report = d.Item("CustomObjUnk");
    ASSERT_EQ(V_VT(&report), VT_UNKNOWN);
    CInterfacePtr<IKovCustomReport> custom;
    ASSERT_EQ(custom.QueryFrom(V_UNKNOWN(&report), IID_IKovCustomReport), S_OK);
    BSTR text = nullptr;
    BSTR viewType = nullptr;
    EXPECT_EQ(custom->GetReportText(&text, &viewType), S_OK);
    EXPECT_EQ(Text(text), "<b>ok</b>");
    SysFreeString(text);

    VARIANT arguments = d.Item("ArgumentsDispatch");
    ASSERT_EQ(V_VT(&arguments), VT_DISPATCH);
    CInterfacePtr<IKovParameters> parameters;
    ASSERT_EQ(parameters.QueryFrom(V_DISPATCH(&arguments), IID_IKovParameters), S_OK);
    CInterfacePtr<IKovParameterCollection> collection;
    ASSERT_EQ(parameters->get_Parameters(collection.Out()), S_OK);
    LONG count = 0;
    ASSERT_EQ(collection->get_Count(&count), S_OK);
    ASSERT_EQ(count, 3);
    const char* names[] = {"City", "Seats", "Unset"};
    const LONG directions[] = {0, 1, 0};
    const VARTYPE types[] = {VT_BSTR, VT_I2, VT_EMPTY};
    for (LONG i = 0; i < count; ++i) {
        CInterfacePtr<IKovParameter> item;
        ASSERT_EQ(collection->get_Item(i, item.Out()), S_OK);
        BSTR name = nullptr;
        LONG direction = -1;
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(item->get_Name(&name), S_OK);
        EXPECT_EQ(item->get_Direction(&direction), S_OK);
        EXPECT_EQ(item->get_Value(&value), S_OK);
        EXPECT_EQ(Text(name), names[i]);
        EXPECT_EQ(direction, directions[i]);
        EXPECT_EQ(V_VT(&value), types[i]);
        SysFreeString(name);
        VariantClear(&value);
    }
    CInterfacePtr<IKovParameter> missing;
    EXPECT_EQ(collection->get_Item(3, missing.Out()), E_INVALIDARG);
    EXPECT_FALSE(missing);
}

TEST(DescriptionValueTest, WrongShapesAreRefusedWithTheKey)
{
    struct Case {
        const char* json;
        const char* expected;
    } cases[] = {
        {R"({"A": [1]})", "desc \"A\": a list is not a value"},
        {R"({"A": {"x": 1}})", "desc \"A\": an object is a value only in the forms"},
        {R"({"A": {"$i2": 40000}})", "desc \"A\": \"$i2\" must be an integer from -32768 to 32767"},
        {R"({"A": {"$i2": 1.5}})", "desc \"A\": \"$i2\" must be an integer"},
        {R"({"A": {"$empty": false}})", "desc \"A\": \"$empty\" must be true"},
        {R"({"A": {"$date": "2024-13-01T00:00:00"}})", "desc \"A\": \"$date\" must be a local time"},
        {R"({"A": {"$when": 1}})", "desc \"A\": unknown form \"$when\""},
        {R"({"A": {"$report": 7}})", "desc \"A\": \"$report\" must be a text"},
        {R"({"A": {"$params": {}}})", "desc \"A\": \"$params\" must be a list"},
        {R"({"A": {"$params": [{"direction": "in"}]}})", "desc \"A\": parameter 1: \"name\" is missing"},
        {R"({"A": {"$params": [{"name": "x", "direction": "both"}]}})", "parameter 1: \"direction\" must be"},
        {R"({"A": {"$params": [{"name": "x", "valeu": 1}]}})", "parameter 1: unknown key \"valeu\""},
        {R"({"A": {"$params": [{"name": "x", "value": {"$report": "r"}}]}})", "\"$report\" cannot stand here"},
    };
    for (const Case& c : cases) {
        CInterfacePtr<IDictionary> dictionary;
        std::string reason;
        EXPECT_FALSE(BuildDescription(Json::parse(c.json), dictionary, reason)) << c.json;
        EXPECT_NE(reason.find(c.expected), std::string::npos) << c.json << " gave: " << reason;
        EXPECT_FALSE(dictionary);
    }
}

} // namespace
