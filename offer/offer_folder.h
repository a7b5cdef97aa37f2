// The folder the offer library is unpacked into: new, of a unique name, that
// only administrators and the system may change, and held open while it is in
// use so that nobody can rename it and put another in its place. Removing it
// deletes only the files it held right after unpacking; anything else keeps
// it from being removed. One thread at a time.
#pragma once
#include <windows.h>

#include <string>
#include <vector>

namespace offer {

class OfferFolder {
 public:
  OfferFolder() = default;
  ~OfferFolder() { remove(); }
  OfferFolder(const OfferFolder&) = delete;
  OfferFolder& operator=(const OfferFolder&) = delete;

  // Makes a new folder "Setup_<guid>" in `parent` (which ends with a
  // back-slash, and is made when missing); false, with nothing made, when it cannot.
  bool create(const std::wstring& parent);
  // The folder with a closing back-slash; empty when none was made.
  const std::wstring& path() const { return path_; }
  // Remembers the files the folder holds now: what was unpacked into it.
  void noteUnpacked();
  // Deletes the remembered files, then the folder when it is empty.
  void remove();

 private:
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;  // keeps the folder from being renamed
  std::vector<std::wstring> unpacked_;
};

}  // namespace offer
