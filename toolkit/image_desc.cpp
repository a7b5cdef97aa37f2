#include "toolkit/image_desc.h"

#include "toolkit/attribute_values.h"

namespace DuiLib {

ImageDesc parseImageDesc(const std::wstring& text) {
  ImageDesc desc;
  if (text.find(L'=') == std::wstring::npos) {
    desc.file = text;
    return desc;
  }
  for (const auto& [name, value] : parseAttributeList(text)) {
    if (name == L"file" || name == L"res") {
      desc.file = value;
    } else if (name == L"source") {
      desc.source = parseRect(value);
      desc.hasSource = true;
    } else if (name == L"corner") {
      desc.corner = parseRect(value);
    } else if (name == L"dest") {
      desc.dest = parseRect(value);
      desc.hasDest = true;
    } else if (name == L"mask") {
      desc.hasMask = parseColor(value, desc.mask);
    } else if (name == L"fade") {
      int fade = parseInt(value);
      desc.fade = fade < 0 ? 0 : (fade > 255 ? 255 : fade);
    }
  }
  return desc;
}

}  // namespace DuiLib
