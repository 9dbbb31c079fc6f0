#include "support/XmlCheck.h"

namespace test {

std::string XmlElement::Attribute(const std::string& attributeName) const
{
    for (const auto& attribute : attributes)
        if (attribute.first == attributeName)
            return attribute.second;
    return std::string();
}

bool XmlElement::HasAttribute(const std::string& attributeName) const
{
    for (const auto& attribute : attributes)
        if (attribute.first == attributeName)
            return true;
    return false;
}

} // namespace test
