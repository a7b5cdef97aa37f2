// Downloads the package with a real model and the product's limits, keeping
// the unfinished download in a folder given: the run that the resume tests
// end part-way, as closing the window or a crash would.
// usage: download_run PRIMARY_URL SPARE_URL KEPT_PARENT (without a closing
// back-slash, which would escape the quote after it)
#include <windows.h>

#include "standins/standins.h"
#include "tests/app/helpers/quiet_services.h"

int wmain(int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  utility::UiDispatcher::create();
  QuietServices services;
  ModelOptions options = services.options();
  options.packageSigner = {standins::testSigner(), {standins::testSignerKey()}};
  const std::wstring parent = std::wstring(argv[3]) + L"\\";
  options.keptDownloadParent = parent;
  CAppModel model(options);
  model.m_installDir = parent + L"install\\";
  model.m_url = argv[1];
  model.m_spareUrl = argv[2];
  model.startDownloadPlayer();
  MSG message;
  while (model.m_downloadThread.isRunning()) {
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&message);
    Sleep(50);
  }
  return 0;
}
