// Helpers of the report tests: texts of records as UTF-8, documents made of
// records, and the XML check as a gtest assertion.
#pragma once

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "report/NodeArgsData.h"
#include "report/SummaryData.h"
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

// The record's text as the writer encodes it.
inline std::string EncodedText(CXMLNodeDataBase& record)
{
    CBstrString text;
    record.GetXMLText(text);
    size_t size = WideToUtf8(text.c_str(), nullptr, 0);
    if (size <= 1)
        return std::string();
    std::string bytes(size, '\0');
    WideToUtf8(text.c_str(), &bytes[0], size);
    bytes.resize(size - 1);
    return bytes;
}

inline std::string TextOf(CXMLNodeDataBase& record) { return EncodedText(record); }

inline std::string TextOf(const NodeArgsData& nodeArgs)
{
    CBstrString text;
    nodeArgs.GetXMLText(text);
    return Utf8Of(text);
}

inline std::string TextOf(const SummaryData& summary)
{
    CBstrString text;
    summary.GetXMLText(text);
    return Utf8Of(text);
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
