// The mending of texts for Results.xml: whatever a text holds, what the
// record writes is well-formed in its place (checked by the report's own
// well-formedness check), and a text that is safe already is kept as it is.
#include "FuzzSupport.h"
#include "report/XmlSyntax.h"
#include "report/XmlText.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    WideString text;
    for (size_t i = 0; i + 1 < size; i += 2) {
        WCHAR c = static_cast<WCHAR>(data[i] | (data[i + 1] << 8));
        if (c != 0)
            text.push_back(c);
    }
    const WideString wrappedAttribute = [&] {
        CXmlSafeText safe(text.c_str(), XmlPlace::Attribute);
        return WideString(W("<a b=\"")) + safe.c_str() + W("\"/>");
    }();
    fuzz::Check(IsWellFormedXmlContent(wrappedAttribute.c_str()), "a mended attribute value is well-formed");
    {
        CXmlSafeText safe(text.c_str(), XmlPlace::CData);
        WideString wrapped = WideString(W("<a><![CDATA[")) + safe.c_str() + W("]]></a>");
        fuzz::Check(IsWellFormedXmlContent(wrapped.c_str()), "a mended CDATA text is well-formed");
    }
    {
        CXmlSafeText safe(text.c_str(), XmlPlace::Markup);
        fuzz::Check(IsWellFormedXmlContent(safe.c_str()), "mended markup is well-formed content");
        if (IsWellFormedXmlContent(text.c_str()))
            fuzz::Check(!safe.WasMended(), "well-formed markup is kept as it is");
    }
    CBstrString escaped;
    EscapeNodeAttributeText(text.c_str(), escaped);
    CXmlSafeText safeEscaped(escaped.c_str(), XmlPlace::Attribute);
    WideString attribute = WideString(W("<a b=\"")) + safeEscaped.c_str() + W("\"/>");
    fuzz::Check(IsWellFormedXmlContent(attribute.c_str()), "an escaped node attribute is well-formed");
    IsWellFormedXmlProlog(text.c_str());
    for (size_t i = 0; i < text.size(); ++i)
        if (text[i] == '&')
            XmlReferenceLength(text.c_str() + i);
    return 0;
}
