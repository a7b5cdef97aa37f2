// The texts of the offer host in the current language: what its title and
// buttons show is what a reader says of them. UI thread only.
#pragma once
#include <string>

namespace offer {

enum class HostText {
  kTitle,   // "additional_software", also the host's own name
  kAccept,  // "Accept"
  kReject,  // "Reject"
  kClose,   // "download_close", the name of the close button, which shows none
};

std::wstring hostText(HostText which);

}  // namespace offer
