// Helpers of the report tests: texts of records as UTF-8, documents made of
// records, and the XML check as a gtest assertion.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "report/NodeArgsData.h"
#include "report/SummaryData.h"
#include "report/RecordEncoding.h"
#include "report/XMLNodeDataBase.h"
#include "support/TestSupport.h"
#include "support/XmlCheck.h"
#include "text/BstrString.h"
#include "text/Utf8.h"

namespace test {

inline std::string Utf8Of(const CBstrString& text)
{
    return Utf16ToUtf8(WideString(text.c_str(), PAL_wcslen(text.c_str())));
}

inline std::string BytesOf(const CXmlOutput& output)
{
    return output.IsEmpty() ? std::string() : std::string(output.Data(), output.Size());
}

// The record's text as the writer encodes it.
inline std::string EncodedText(CXMLNodeDataBase& record)
{
    CXmlOutput output;
    EncodeRecord(record, output);
    return BytesOf(output);
}

inline std::string TextOf(CXMLNodeDataBase& record) { return EncodedText(record); }

inline std::string TextOf(const NodeArgsData& nodeArgs)
{
    CXmlOutput output;
    nodeArgs.Write(output);
    return BytesOf(output);
}

inline std::string TextOf(const SummaryData& summary)
{
    CXmlOutput output;
    summary.Write(output);
    return BytesOf(output);
}

// A UTF-16 text from UTF-8 (for test values).
inline CBstrString Wide(const std::string& utf8)
{
    WideString text = Utf8ToUtf16(utf8);
    return CBstrString(text.c_str(), static_cast<UINT>(text.size()));
}

// Replaces every occurrence of from in text.
inline std::string ReplaceAll(std::string text, const std::string& from, const std::string& to)
{
    for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
        text.replace(at, from.size(), to);
    return text;
}

inline ::testing::AssertionResult WellFormed(const std::string& document)
{
    std::string error;
    if (XmlIsWellFormed(document, &error))
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << "not well-formed: " << error;
}

} // namespace test
