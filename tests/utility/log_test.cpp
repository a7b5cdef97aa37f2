#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <regex>
#include <sstream>
#include <thread>
#include <vector>

#include "tests/support/test_support.h"
#include "utility/log.h"
#include "utility/log_writer.h"

using testing_support::readFile;
using testing_support::TempDir;
using testing_support::writeFile;

namespace {

// The process-wide log of this test program, opened once on a private file.
class ProcessLog : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    static TempDir* dir = new TempDir();  // outlives every test: the writer keeps the file
    path_ = dir->file(L"log.txt");
    common::setLogSink(&common::fileLogSink);
    common::openLog(path_);
  }
  // Waits for the writer's cycle to bring `marker` to the file.
  static std::string waitFor(const std::string& marker) {
    std::string text;
    for (int i = 0; i < 60; ++i) {
      text = readFile(path_);
      if (text.find(marker) != std::string::npos) break;
      Sleep(50);
    }
    return text;
  }
  static std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    size_t start = 0;
    for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
      out.push_back(text.substr(start, end - start));
    return out;
  }
  static std::wstring path_;
};
std::wstring ProcessLog::path_;

const std::regex kPrefix(R"(^\d{2}-\d{2}\t\d{2}:\d{2}:\d{2}\.\d{3}\t\d{4,}\t([^\t]+)\t\((\d+)\):(.*)$)");

}  // namespace

namespace logtest {
int writeSample() {
  LOG(L"sample %d of %s", 42, L"wide text");
  return __LINE__ - 1;
}
}  // namespace logtest

TEST_F(ProcessLog, LineHasPrefixQualifiedNameAndSourceLine) {
  int line = logtest::writeSample();
  std::string text = waitFor("sample 42 of wide text");
  std::smatch match;
  bool found = false;
  for (const auto& l : lines(text)) {
    if (l.find("sample 42") == std::string::npos) continue;
    ASSERT_TRUE(std::regex_match(l, match, kPrefix)) << l;
    EXPECT_EQ(match[1], "logtest::writeSample");
    EXPECT_EQ(match[2], std::to_string(line));
    EXPECT_EQ(match[3], "sample 42 of wide text");
    found = true;
  }
  EXPECT_TRUE(found);
}

TEST_F(ProcessLog, StartMarkerStandsAfterAnEmptyLine) {
  LOG(L"\r\n\r\n***** start ****");
  std::string text = waitFor("***** start ****");
  EXPECT_TRUE(std::regex_search(text, std::regex(R"(\t\(\d+\):\r\n\r\n\*\*\*\*\* start \*\*\*\*\r\n)")));
}

TEST_F(ProcessLog, PercentInArgumentsAndUtf8AreWrittenAsFormatted) {
  LOG(L"url %s path %s", L"https://host/a%20b?x=%d%s", L"D:\\\u6e38\u620f\\\u6a21\u62df\u5668");
  std::string text = waitFor("url https://host/a%20b?x=%d%s");
  EXPECT_NE(text.find("url https://host/a%20b?x=%d%s path D:\\\xE6\xB8\xB8\xE6\x88\x8F\\"
                      "\xE6\xA8\xA1\xE6\x8B\x9F\xE5\x99\xA8\r\n"),
            std::string::npos);
}

TEST_F(ProcessLog, LineTooLongForTheLineBufferIsDroppedWhole) {
  std::wstring huge(5000, L'\u6e38');  // 15,000 bytes of UTF-8
  LOG(L"huge %s", huge.c_str());
  LOG(L"after the huge one");
  std::string text = waitFor("after the huge one");
  EXPECT_EQ(text.find("huge \xE6\xB8\xB8"), std::string::npos);
}

TEST_F(ProcessLog, LinesFromSeveralThreadsNeverInterleave) {
  std::vector<std::thread> threads;
  for (int t = 0; t < 4; ++t)
    threads.emplace_back([t] {
      for (int i = 0; i < 150; ++i) {
        LOG(L"worker %d line %d %s", t, i, L"abcdefghijklmnopqrstuvwxyz0123456789");
        if (i % 10 == 0) Sleep(1);
      }
    });
  for (auto& thread : threads) thread.join();
  LOG(L"workers done");
  std::string text = waitFor("workers done");
  int workerLines = 0;
  for (const auto& l : lines(text)) {
    if (l.find("worker ") == std::string::npos) continue;
    ++workerLines;
    EXPECT_TRUE(std::regex_match(
        l, std::regex(R"(^\d{2}-\d{2}\t\d{2}:\d{2}:\d{2}\.\d{3}\t\d{4,}\t[^\t]+\t\(\d+\):worker \d line \d+ abcdefghijklmnopqrstuvwxyz0123456789$)")))
        << l;
  }
  EXPECT_GT(workerLines, 0);
}

// The writer on its own file, for the start and size rules.
TEST(LogWriter, Utf16FileIsEmptiedOtherFilesAreAppendedTo) {
  struct Case {
    std::string before;
    std::string after;
  } cases[] = {
      {"\xFF\xFEo\0l\0d\0", "new\r\n"},
      {"older line\r\n", "older line\r\nnew\r\n"},
      {"", "new\r\n"},
  };
  TempDir dir;
  for (const auto& c : cases) {
    std::wstring path = dir.file(L"log.txt");
    writeFile(path, c.before);
    {
      common::LogWriter writer(path);
      writer.append("new\r\n");
    }
    EXPECT_EQ(readFile(path), c.after);
  }
}

// The log lies in a folder the user controls: a link there must never lead
// this (elevated) process's writing into another file.
TEST(LogWriter, ALogFileThatLinksToAnotherFileLeavesThatFileUntouched) {
  TempDir dir;
  const std::wstring victim = dir.file(L"victim.txt");
  const struct {
    const char* what;
    std::wstring log, victim;
  } cases[] = {
      {"a hard link", dir.file(L"log.txt"), victim},
      {"a symbolic link", testing_support::linkedFile(), testing_support::linkedFileTarget()},
  };
  ASSERT_TRUE(writeFile(victim, "not the log's\r\n"));
  ASSERT_TRUE(CreateHardLinkW(cases[0].log.c_str(), victim.c_str(), nullptr));
  for (const auto& c : cases) {
    ASSERT_TRUE(writeFile(c.victim, "not the log's\r\n")) << c.what;
    {
      common::LogWriter writer(c.log);
      writer.append("injected\r\n");
    }
    EXPECT_EQ(readFile(c.victim), "not the log's\r\n") << c.what;
  }
}

TEST(LogWriter, FileReaching50MiBKeepsExactlyItsLast2MiBEveryTime) {
  TempDir dir;
  std::wstring path = dir.file(L"log.txt");
  // Just under the limit, in a pattern that shows where the cut fell.
  std::string filler;
  filler.reserve(common::LogWriter::kCutAt);
  for (uint32_t i = 0; filler.size() < common::LogWriter::kCutAt - 100; ++i)
    filler += "block " + std::to_string(i) + "\n";
  filler.resize(common::LogWriter::kCutAt - 100);
  writeFile(path, filler);
  std::string line(300, 'x');
  line += "\r\n";
  std::string expected = (filler + line).substr(filler.size() + line.size() - 2097152);

  common::LogWriter writer(path);
  writer.append(line);
  std::string text;
  for (int i = 0; i < 100 && (text = readFile(path)).size() != 2097152; ++i) Sleep(50);
  ASSERT_EQ(text.size(), 2097152u);
  EXPECT_TRUE(text == expected);

  // Another process grows the file again; the next write cuts once more.
  HANDLE other = CreateFileW(path.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                             nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  DWORD written = 0;
  WriteFile(other, filler.data(), (DWORD)filler.size(), &written, nullptr);
  CloseHandle(other);
  writer.append("second\r\n");
  for (int i = 0; i < 100 && (text = readFile(path)).size() != 2097152; ++i) Sleep(50);
  ASSERT_EQ(text.size(), 2097152u);
  EXPECT_EQ(text.substr(text.size() - 8), "second\r\n");
}

// The log's "disk" is a pipe that nobody reads, so the writer's flush waits
// (a flush on a pipe lasts until the reader has taken everything). A line
// logged meanwhile must not wait with it.
TEST(LogWriter, LoggingNeverWaitsForTheDisk) {
  const std::wstring name =
      L"\\\\.\\pipe\\vorlane_log_" + std::to_wstring(GetCurrentProcessId());
  HANDLE pipe = CreateNamedPipeW(name.c_str(), PIPE_ACCESS_DUPLEX, PIPE_TYPE_BYTE | PIPE_WAIT, 1,
                                 4096, 4096, 0, nullptr);
  ASSERT_NE(pipe, INVALID_HANDLE_VALUE);
  auto openPipe = [](const std::wstring& path) {
    return CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0,
                       nullptr);
  };
  auto writer = std::make_unique<common::LogWriter>(name, openPipe);
  ASSERT_TRUE(ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED);
  DWORD written = 0;
  WriteFile(pipe, "ok", 2, &written, nullptr);  // what the writer reads first

  writer->append("the first line\r\n");
  Sleep(1500);  // the writer's cycle has taken it and waits in its flush
  std::atomic<bool> appended{false};
  std::thread logger([&] {
    writer->append("the second line\r\n");
    appended = true;
  });
  DWORD start = GetTickCount();
  while (!appended && GetTickCount() - start < 3000) Sleep(10);
  EXPECT_TRUE(appended) << "append waited for the disk";

  // The reader comes: both lines arrive, in order.
  std::string got;
  char buffer[256];
  DWORD read = 0;
  start = GetTickCount();
  while (got.find("the second line\r\n") == std::string::npos && GetTickCount() - start < 10000 &&
         ReadFile(pipe, buffer, sizeof(buffer), &read, nullptr))
    got.append(buffer, read);
  logger.join();
  EXPECT_EQ(got, "the first line\r\nthe second line\r\n");
  DisconnectNamedPipe(pipe);
  CloseHandle(pipe);
  writer.reset();
}

TEST(LogFunctionName, DecoratedSignaturesGiveQualifiedNames) {
  struct Case {
    std::string name;
    const char* expected;
  } cases[] = {
      {common::detail::qualifiedName("bool utility::ufile::makeDir(const std::wstring&)").c_str(),
       "utility::ufile::makeDir"},
      {common::detail::qualifiedName("int wWinMain(HINSTANCE, HINSTANCE, PWSTR, int)").c_str(),
       "wWinMain"},
      {common::detail::qualifiedName("void CReporter::_threadReport()").c_str(),
       "CReporter::_threadReport"},
      {common::detail::qualifiedName("static UiDispatcher* utility::UiDispatcher::create()").c_str(),
       "utility::UiDispatcher::create"},
      {common::detail::qualifiedName(
           "void FunctionRunable<F>::run() [with F = std::function<void()>]").c_str(),
       "FunctionRunable<F>::run"},
      {common::detail::qualifiedName("std::map<int, int> a::b(std::pair<int, int>)").c_str(),
       "a::b"},
  };
  for (const auto& c : cases) EXPECT_EQ(c.name, c.expected);
}
