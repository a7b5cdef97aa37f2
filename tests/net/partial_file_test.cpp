// The file a download writes and its record for the next run: which bytes a
// source goes on from, and what an earlier run's record lets the next one take up.
#include "net/partial_file.h"

#include <gtest/gtest.h>

#include "net/partial_record.h"
#include "tests/support/test_support.h"

using resume_rules::Answer;
using testing_support::readFile;
using testing_support::writeFile;

namespace {

const char kUrl[] = "https://dl.example.com/Vorlane.exe";
const char kTag[] = "\"5f3a-c80000\"";

HttpAnswerHead wholeAnswer(long long length) {
  HttpAnswerHead head;
  head.status = 200;
  head.contentLength = length;
  head.etag = kTag;
  return head;
}

std::string record(const std::string& url, long long total, long long bytes) {
  return formatPartialRecord({url, kTag, total, bytes});
}

}  // namespace

TEST(PartialRecord, OnlyARecordThatReadsExactlyRightCounts) {
  const std::string good = record(kUrl, 1000, 600);
  struct Case {
    const char* what;
    std::string text;
    bool ok;
  } cases[] = {
      {"as written", good, true},
      {"total unknown", record(kUrl, -1, 600), true},
      {"nothing yet", record(kUrl, 1000, 0), true},
      {"more bytes than the total", record(kUrl, 1000, 1001), false},
      {"no validator", formatPartialRecord({kUrl, "", 1000, 600}), false},
      {"no address", record("", 1000, 600), false},
      {"another header", "vorlane-partial 2" + good.substr(good.find('\n')), false},
      {"a negative count", record(kUrl, 1000, -5), false},
      {"a line too many", good + "extra 1\n", false},
      {"cut short", good.substr(0, good.size() / 2), false},
      {"a count that is no number", "vorlane-partial 1\nurl u\nvalidator v\ntotal 10\nbytes 5x\n",
       false},
      {"far too long", good + std::string(9000, '\n'), false},
      {"empty", "", false},
  };
  for (const auto& c : cases) {
    PartialRecord parsed;
    EXPECT_EQ(parsePartialRecord(c.text, parsed), c.ok) << c.what;
    if (c.ok) {
      EXPECT_EQ(formatPartialRecord(parsed), c.text) << c.what;
    }
  }
}

class PartialFileTest : public ::testing::Test {
 protected:
  std::wstring bytesPath() const { return dir_.file(L"package.partial"); }
  std::wstring recordPath() const { return dir_.file(L"package.record"); }
  testing_support::TempDir dir_;
};

namespace {

// Makes the file look last written long before the system started.
void writtenBeforeTheRestart(const std::wstring& path) {
  HANDLE file = CreateFileW(path.c_str(), FILE_WRITE_ATTRIBUTES, FILE_SHARE_READ, nullptr,
                            OPEN_EXISTING, 0, nullptr);
  SYSTEMTIME longAgo = {2000, 1, 0, 1, 0, 0, 0, 0};
  FILETIME time;
  SystemTimeToFileTime(&longAgo, &time);
  SetFileTime(file, nullptr, nullptr, &time);
  CloseHandle(file);
}

}  // namespace

// An earlier run's bytes are taken up: all of them when the run ended since the
// system started (it kept every byte written), else as far as the record
// counts them flushed; a record that does not fit the file takes up nothing
// and touches nothing.
TEST_F(PartialFileTest, TheNextRunTakesUpWhatIsGoodOfTheBytes) {
  const std::string bytes(700, 'x');
  struct Case {
    const char* what;
    std::string record;
    bool beforeRestart;
    bool takenUp;
    long long from;  // the bytes the file then holds
  } cases[] = {
      {"the run ended: all of the bytes", record(kUrl, 1000, 600), false, true, 700},
      {"the system restarted since: only the flushed bytes", record(kUrl, 1000, 600), true, true,
       600},
      {"more bytes than the whole length: only the flushed ones", record(kUrl, 650, 600), false,
       true, 600},
      {"the record counts more than the file has", record(kUrl, 1000, 800), false, false, 700},
      {"no record", "", false, false, 700},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(writeFile(bytesPath(), bytes));
    if (c.record.empty())
      DeleteFileW(recordPath().c_str());
    else
      ASSERT_TRUE(writeFile(recordPath(), c.record));
    if (c.beforeRestart) writtenBeforeTheRestart(recordPath());
    PartialFile file(bytesPath(), recordPath());
    EXPECT_EQ(file.takeUp(), c.takenUp);
    file.beginSource(kUrl);
    EXPECT_EQ(file.point().bytes, c.takenUp ? c.from : 0);
    if (c.takenUp) {
      EXPECT_EQ(resume_rules::nextRequestLines(file.point()),
                (std::vector<std::string>{"Range: bytes=" + std::to_string(c.from) + "-",
                                          std::string("If-Range: ") + kTag}));
    }
    file.close();
    EXPECT_EQ(readFile(bytesPath()).size(), (size_t)c.from);
  }
}

// Another address's source asks for the whole file; the bytes there stay
// theirs until its whole answer comes, and are gone on from afterwards.
TEST_F(PartialFileTest, BytesBelongToTheAddressTheyCameFrom) {
  const std::string spare = "https://spare.example.com/Vorlane.exe";
  PartialFile file(bytesPath(), recordPath());
  ASSERT_TRUE(file.create());
  file.beginSource(kUrl);
  Answer answer;
  ASSERT_TRUE(file.accept(wholeAnswer(1000), answer));
  EXPECT_EQ(answer, Answer::whole);
  ASSERT_TRUE(file.append(std::string(300, 'a').data(), 300));
  file.keep();

  // The spare address gets no range, and nothing is lost while it has no answer.
  file.beginSource(spare);
  EXPECT_EQ(file.point().bytes, 0);
  EXPECT_TRUE(resume_rules::nextRequestLines(file.point()).empty());
  EXPECT_FALSE(file.append("b", 1));
  file.beginSource(kUrl);
  EXPECT_EQ(file.point().bytes, 300);
  PartialRecord kept;
  ASSERT_TRUE(parsePartialRecord(readFile(recordPath()), kept));
  EXPECT_EQ(kept.url, kUrl);
  EXPECT_EQ(kept.bytes, 300);

  // Its whole answer makes the file the spare's.
  file.beginSource(spare);
  ASSERT_TRUE(file.accept(wholeAnswer(1000), answer));
  ASSERT_TRUE(file.append(std::string(100, 'b').data(), 100));
  file.keep();
  ASSERT_TRUE(parsePartialRecord(readFile(recordPath()), kept));
  EXPECT_EQ(kept.url, spare);
  EXPECT_EQ(kept.bytes, 100);
  file.beginSource(kUrl);
  EXPECT_EQ(file.point().bytes, 0);

  // Not the part asked for: the source asks for the whole file next; the
  // bytes stay the spare's until it comes.
  file.beginSource(spare);
  resume_rules::nextRequestLines(file.point());
  HttpAnswerHead other;
  other.status = 206;
  other.contentRange = "bytes 0-99/1000";
  ASSERT_TRUE(file.accept(other, answer));
  EXPECT_EQ(answer, Answer::restart);
  EXPECT_TRUE(resume_rules::nextRequestLines(file.point()).empty());
  file.beginSource(spare);
  EXPECT_EQ(resume_rules::nextRequestLines(file.point()).size(), 2u);

  // Finished with: the record goes.
  file.finish();
  EXPECT_TRUE(readFile(recordPath()).empty());
}
