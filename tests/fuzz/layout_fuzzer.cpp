// Layout files take bytes (a loose "skin" folder overrides the embedded ones):
// any bytes go through the XML parser as the layout builder loads them, and
// every attribute value through each typed attribute parser.
#include <pugixml.hpp>

#include <cstddef>
#include <cstdint>
#include <string>

#include "toolkit/attribute_values.h"
#include "toolkit/image_desc.h"

namespace {

void parseValue(const std::wstring& value) {
  DWORD color = 0;
  DuiLib::parseInt(value);
  DuiLib::parseBool(value);
  DuiLib::parseSize(value);
  DuiLib::parseRect(value);
  DuiLib::parseColor(value, color);
  DuiLib::parseAttributeList(value);
  DuiLib::parseImageDesc(value);
}

void walk(const pugi::xml_node& node, int depth) {
  if (depth > 256) return;
  for (const pugi::xml_attribute& attribute : node.attributes()) parseValue(attribute.value());
  for (const pugi::xml_node& child : node.children()) walk(child, depth + 1);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  pugi::xml_document document;
  if (document.load_buffer(data, size, pugi::parse_default, pugi::encoding_auto))
    walk(document, 0);
  return 0;
}
