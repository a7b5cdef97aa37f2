// Time the package signature check adds after a download (the signed 12 MiB
// and 9 MiB stand-ins, and a refused tampered copy), and the time the best-drive
// choice takes on this machine.
#include <windows.h>

#include <chrono>
#include <cstdio>

#include "app/package_signature.h"
#include "standins/standins.h"
#include "ui/disk.h"

namespace {

using Clock = std::chrono::steady_clock;

template <typename F>
double msPerRun(int runs, F&& run) {
  auto start = Clock::now();
  for (int i = 0; i < runs; ++i) run();
  return std::chrono::duration<double, std::milli>(Clock::now() - start).count() / runs;
}

}  // namespace

int main() {
  const utility::PackageSigner signer{standins::testSigner(), {standins::testSignerKey()}};
  for (const wchar_t* copy : {L"signed", L"signed_small", L"tampered"}) {
    std::wstring path = standins::package(copy);
    bool accepted = utility::verifyPackageSignature(path, signer);  // warm cache
    double ms = msPerRun(10, [&] { utility::verifyPackageSignature(path, signer); });
    std::printf("verifyPackageSignature %-13ls %s  %8.1f ms per check\n", copy,
                accepted ? "accepted" : "refused ", ms);
  }
  double ms = msPerRun(10, [] { utility::disk::bestDrive(); });
  utility::disk::DriveChoice best = utility::disk::bestDrive();
  std::printf("bestDrive -> [%ls] ssd=%d of %u fixed     %8.2f ms per call\n", best.root.c_str(),
              best.ssd ? 1 : 0, (unsigned)utility::disk::fixedDrives().size(), ms);
  return 0;
}
