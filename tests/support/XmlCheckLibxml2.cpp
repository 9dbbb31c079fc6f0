// The XML checks over libxml2 (native builds).
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlerror.h>

#include "support/XmlCheck.h"

namespace test {

namespace {

// Collects the parser's reports while one document is parsed.
struct ErrorCollector {
    std::string wellFormedness;
    std::string validity;
};

void CollectError(void* context, xmlErrorPtr error)
{
    auto* collector = static_cast<ErrorCollector*>(context);
    if (!error || error->level == XML_ERR_WARNING)
        return;
    std::string message = std::to_string(error->line) + ": " + (error->message ? error->message : "?");
    if (error->domain == XML_FROM_VALID || error->domain == XML_FROM_DTD) {
        if (error->code == XML_DTD_CONTENT_NOT_DETERMINIST)
            return;
        if (error->level != XML_ERR_FATAL) {
            collector->validity += message;
            return;
        }
    }
    if (error->domain == XML_FROM_NAMESPACE)
        return;
    collector->wellFormedness += message;
}

// Parses the document; null (with the reason) when it is not well-formed.
xmlDocPtr Parse(const std::string& utf8, bool validate, ErrorCollector& collector, bool* valid)
{
    xmlParserCtxtPtr context = xmlNewParserCtxt();
    if (!context) {
        collector.wellFormedness = "out of memory";
        return nullptr;
    }
    xmlSetStructuredErrorFunc(&collector, CollectError);
    int options = XML_PARSE_NONET | XML_PARSE_HUGE | (validate ? XML_PARSE_DTDVALID : 0);
    xmlDocPtr document = xmlCtxtReadMemory(context, utf8.data(), static_cast<int>(utf8.size()), "Results.xml",
                                           "UTF-8", options);
    bool wellFormed = context->wellFormed != 0;
    xmlSetStructuredErrorFunc(nullptr, nullptr);
    xmlFreeParserCtxt(context);
    if (valid)
        *valid = collector.validity.empty();
    if (!document || !wellFormed) {
        if (document)
            xmlFreeDoc(document);
        if (collector.wellFormedness.empty())
            collector.wellFormedness = "not well-formed";
        return nullptr;
    }
    return document;
}

std::string Characters(const xmlChar* text) { return text ? reinterpret_cast<const char*>(text) : ""; }

void ReadElement(xmlDocPtr document, xmlNodePtr node, int depth, std::vector<XmlElement>& elements)
{
    XmlElement element;
    element.name = Characters(node->name);
    element.depth = depth;
    for (xmlAttrPtr attribute = node->properties; attribute; attribute = attribute->next) {
        xmlChar* value = xmlNodeListGetString(document, attribute->children, 1);
        element.attributes.emplace_back(Characters(attribute->name), Characters(value));
        xmlFree(value);
    }
    for (xmlNodePtr child = node->children; child; child = child->next)
        if (child->type == XML_TEXT_NODE || child->type == XML_CDATA_SECTION_NODE)
            element.text += Characters(child->content);
    elements.push_back(element);
    for (xmlNodePtr child = node->children; child; child = child->next)
        if (child->type == XML_ELEMENT_NODE)
            ReadElement(document, child, depth + 1, elements);
}

} // namespace

bool XmlChecksAvailable() { return true; }

bool XmlIsWellFormed(const std::string& utf8, std::string* error)
{
    ErrorCollector collector;
    xmlDocPtr document = Parse(utf8, false, collector, nullptr);
    if (!document) {
        if (error)
            *error = collector.wellFormedness;
        return false;
    }
    xmlFreeDoc(document);
    return true;
}

bool XmlIsValid(const std::string& utf8, std::string* error)
{
    ErrorCollector collector;
    bool valid = false;
    xmlDocPtr document = Parse(utf8, true, collector, &valid);
    if (!document) {
        if (error)
            *error = collector.wellFormedness;
        return false;
    }
    xmlFreeDoc(document);
    if (!valid && error)
        *error = collector.validity;
    return valid;
}

bool XmlReadElements(const std::string& utf8, std::vector<XmlElement>* elements, std::string* error)
{
    ErrorCollector collector;
    xmlDocPtr document = Parse(utf8, false, collector, nullptr);
    if (!document) {
        if (error)
            *error = collector.wellFormedness;
        return false;
    }
    elements->clear();
    xmlNodePtr root = xmlDocGetRootElement(document);
    if (root)
        ReadElement(document, root, 0, *elements);
    xmlFreeDoc(document);
    return true;
}

} // namespace test
