#include "offer/offer_host_texts.h"

#include "skin/language_table.h"

namespace offer {

std::wstring hostText(HostText which) {
  switch (which) {
    case HostText::kTitle:
      return langText("additional_software");
    case HostText::kAccept:
      return langText("Accept");
    case HostText::kReject:
      return langText("Reject");
    case HostText::kClose:
      return langText("download_close");
  }
  return L"";
}

}  // namespace offer
