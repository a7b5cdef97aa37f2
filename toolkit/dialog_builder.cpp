#include "toolkit/dialog_builder.h"

#include <pugixml.hpp>

#include "skin/resource_map.h"
#include "toolkit/attribute_values.h"
#include "toolkit/button.h"
#include "toolkit/combo.h"
#include "toolkit/container.h"
#include "toolkit/edit.h"
#include "toolkit/gif_anim.h"
#include "toolkit/label.h"
#include "toolkit/option.h"
#include "toolkit/progress.h"
#include "toolkit/rich_edit.h"
#include "utility/log.h"

namespace DuiLib {
namespace {

constexpr int kMaxIncludeDepth = 8;  // a file that includes itself stops here

template <class Control>
CControlUI* make() {
  return new Control();
}

struct ControlFactory {
  const wchar_t* name;
  CControlUI* (*create)();
};

const ControlFactory kFactories[] = {
    {L"Control", make<CControlUI>},
    {L"Container", make<CContainerUI>},
    {L"VerticalLayout", make<CVerticalLayoutUI>},
    {L"HorizontalLayout", make<CHorizontalLayoutUI>},
    {L"TabLayout", make<CTabLayoutUI>},
    {L"Label", make<CLabelUI>},
    {L"Text", make<CLabelUI>},
    {L"ListLabelElement", make<CLabelUI>},
    {L"Button", make<CButtonUI>},
    {L"Option", make<COptionUI>},
    {L"CheckBox", make<COptionUI>},
    {L"Edit", make<CEditUI>},
    {L"RichEdit", make<CRichEditUI>},
    {L"Progress", make<CProgressUI>},
    {L"GifAnim", make<CGifAnimUI>},
    {L"Combo", make<CComboUI>},
};

class Builder {
 public:
  Builder(WindowStyle& style, const CustomControlFactory& factory) : style_(style), factory_(factory) {}

  std::unique_ptr<CControlUI> build(const pugi::xml_document& document) {
    pugi::xml_node top = document.document_element();
    if (!top) return nullptr;
    if (std::wstring(top.name()) == L"Window") {
      readWindow(top);
      addChildren(top, nullptr, 0);
    } else {
      addElement(top, nullptr, 0);
    }
    return std::move(root_);
  }

 private:
  void readWindow(const pugi::xml_node& window) {
    WindowAttributes& attributes = style_.window;
    for (const pugi::xml_attribute& attribute : window.attributes()) {
      std::wstring name = attribute.name();
      std::wstring value = attribute.value();
      if (name == L"size") attributes.size = parseSize(value);
      if (name == L"mininfo") attributes.minSize = parseSize(value);
      if (name == L"caption") attributes.caption = parseRect(value);
      if (name == L"roundcorner") attributes.roundCorner = parseSize(value);
      if (name == L"layeredimage") attributes.layeredImage = value;
      if (name == L"accentcolor") parseColor(value, attributes.accentColor);
    }
  }

  void readFont(const pugi::xml_node& element) {
    FontSpec spec;
    spec.face = element.attribute(L"name").as_string(spec.face.c_str());
    spec.size = element.attribute(L"size").as_int(spec.size);
    spec.bold = parseBool(element.attribute(L"bold").value());
    spec.underline = parseBool(element.attribute(L"underline").value());
    spec.italic = parseBool(element.attribute(L"italic").value());
    bool isDefault = parseBool(element.attribute(L"default").value());
    pugi::xml_attribute id = element.attribute(L"id");
    if (id) {
      style_.fonts.add(id.as_int(), spec, isDefault);
    } else if (isDefault) {
      style_.fonts.setDefault(spec);
    }
  }

  void include(const pugi::xml_node& element, CContainerUI* parent, int depth) {
    std::wstring source = element.attribute(L"source").value();
    if (depth >= kMaxIncludeDepth) {
      LOG(L"include too deep: %s", source.c_str());
      return;
    }
    pugi::xml_document document;
    if (!loadDocument(source, document)) return;
    pugi::xml_node top = document.document_element();
    std::wstring name = top.name();
    if (name == L"Window" || name == L"Include") {
      addChildren(top, parent, depth + 1);
    } else {
      addElement(top, parent, depth + 1);
    }
  }

  void addChildren(const pugi::xml_node& node, CContainerUI* parent, int depth) {
    for (const pugi::xml_node& child : node.children()) {
      if (child.type() == pugi::node_element) addElement(child, parent, depth);
    }
  }

  void addElement(const pugi::xml_node& element, CContainerUI* parent, int depth) {
    std::wstring name = element.name();
    if (name == L"Font") return readFont(element);
    if (name == L"Default") {
      style_.defaults[element.attribute(L"name").value()] = element.attribute(L"value").value();
      return;
    }
    if (name == L"Include") return include(element, parent, depth);
    if (name == L"Image") return;  // images are loaded when drawn

    std::unique_ptr<CControlUI> control = createStandardControl(name);
    if (!control && factory_) control.reset(factory_(name));
    if (!control) {
      LOG(L"unknown control: %s", name.c_str());
      return;
    }
    auto defaults = style_.defaults.find(name);
    if (defaults != style_.defaults.end()) control->applyAttributeList(defaults->second);
    for (const pugi::xml_attribute& attribute : element.attributes()) {
      control->setAttribute(attribute.name(), attribute.value());
    }
    if (auto* container = static_cast<CContainerUI*>(control->getInterface(L"Container"))) {
      addChildren(element, container, depth);
    }
    if (parent) {
      parent->add(std::move(control));
    } else if (!root_) {
      root_ = std::move(control);
    } else {
      LOG(L"second root control ignored: %s", name.c_str());
    }
  }

  WindowStyle& style_;
  const CustomControlFactory& factory_;
  std::unique_ptr<CControlUI> root_;

 public:
  static bool loadDocument(const std::wstring& file, pugi::xml_document& document) {
    uint32_t size = 0;
    std::unique_ptr<uint8_t[]> data = loadResourceData(file, size);
    if (!data || size == 0) {
      LOG(L"layout missing: %s", file.c_str());
      return false;
    }
    pugi::xml_parse_result result = document.load_buffer(data.get(), size, pugi::parse_default, pugi::encoding_auto);
    if (!result) {
      LOG(L"layout malformed: %s (offset %d)", file.c_str(), static_cast<int>(result.offset));
      return false;
    }
    return true;
  }
};

}  // namespace

std::unique_ptr<CControlUI> createStandardControl(const std::wstring& className) {
  for (const ControlFactory& factory : kFactories) {
    if (className == factory.name) return std::unique_ptr<CControlUI>(factory.create());
  }
  return nullptr;
}

std::unique_ptr<CControlUI> buildLayoutFile(const std::wstring& file, WindowStyle& style,
                                            const CustomControlFactory& factory) {
  pugi::xml_document document;
  if (!Builder::loadDocument(file, document)) return nullptr;
  auto root = Builder(style, factory).build(document);
  if (!root) LOG(L"layout has no control: %s", file.c_str());
  return root;
}

std::unique_ptr<CControlUI> buildLayoutString(const std::wstring& xml, WindowStyle& style,
                                              const CustomControlFactory& factory) {
  pugi::xml_document document;
  pugi::xml_parse_result result = document.load_string(xml.c_str());
  if (!result) {
    LOG(L"layout malformed (offset %d)", static_cast<int>(result.offset));
    return nullptr;
  }
  return Builder(style, factory).build(document);
}

}  // namespace DuiLib
