// dovrel60-host, the example of holiday/README.md, run as a program: the
// answers it prints for a Japanese calendar, the file it saves, and what it
// leaves behind in the registry.
#include <gtest/gtest.h>
#include <stdlib.h>
#include <sys/wait.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <regex>
#include <string>

#include "dovrel60.h"

namespace {

struct HostRun {
  int status = -1;
  std::string out;
};

// Runs the host with arguments (and an environment in front, env(1)-style),
// standard error joined to standard output.
HostRun RunHost(const std::string& environment, const std::string& arguments) {
  const std::string command = "env " + environment + " '" DOVREL_HOST "' " + arguments + " 2>&1";
  HostRun run;
  FILE* pipe = popen(command.c_str(), "r");
  if (!pipe) return run;
  char buffer[4096];
  std::size_t n;
  while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0) run.out.append(buffer, n);
  const int status = pclose(pipe);
  run.status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return run;
}

const std::string kLibrary = "-l '" DOVREL_LIBRARY "'";

// One answer line: the question, spaces, the answer.
bool Answers(const std::string& out, const std::string& question, const std::string& answer) {
  return out.find("  " + question) != std::string::npos &&
         std::regex_search(out, std::regex(std::regex_replace(question, std::regex(R"([()/.])"), R"(\$&)") +
                                          " +" + std::regex_replace(answer, std::regex(R"([()/.])"), R"(\$&)") +
                                          "\n"));
}

class ExampleHost : public ::testing::Test {
 protected:
  void SetUp() override {
    char pattern[] = "/tmp/dovrel-example-XXXXXX";
    ASSERT_NE(mkdtemp(pattern), nullptr);
    dir_ = pattern;
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }
  std::string dir_;
};

TEST_F(ExampleHost, AnswersForTheJapaneseHolidaysOf2025) {
  const HostRun run = RunHost("-u DOVREL_REGISTRY", kLibrary + " -y 2025");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("dvDovrel 6.0.2.3"), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("style JP (国民の祝日): 19 Days for 2025"), std::string::npos) << run.out;
  // Golden Week: Saturday, Sunday (whose substitute is the Tuesday, after
  // the Monday's holiday), the Monday and the Tuesday.
  EXPECT_TRUE(Answers(run.out, "NextDay(2025/05/02, dvNavWorkday)", "2025/05/07")) << run.out;
  EXPECT_TRUE(Answers(run.out, "NextDay(2025/07/01, dvNavHoliday)", "2025/07/21")) << run.out;
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2025, dvHoliday)", "19")) << run.out;
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2025, dvWorkday)", "246")) << run.out;
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2025, dvWeekend)", "104")) << run.out;
  EXPECT_TRUE(Answers(run.out, "DatesInRange(May 2025, dvHoliday)", "2025/05/03 2025/05/04 2025/05/05 2025/05/06"))
      << run.out;
  EXPECT_TRUE(Answers(run.out, "IsDateInStyle(2025/05/05)", "True (JP-2025-05-05 こどもの日)")) << run.out;
  // The Emperor's Birthday on a Sunday: the Monday is a Day of its own.
  EXPECT_TRUE(Answers(run.out, "IsDateInStyle(2025/02/24)", "True (JP-2025-02-24 振替休日)")) << run.out;
  EXPECT_TRUE(Answers(run.out, "ValueType(2025/02/23)", "19 (holiday, forced holiday, rest day)")) << run.out;
  EXPECT_TRUE(Answers(run.out, "ValueType(2025/02/24)", "3 (holiday, forced holiday)")) << run.out;
  EXPECT_NE(run.out.find("loaded into a new dvDovrel: 1 style(s), DaysInRange(2025, dvHoliday) = 19 (as before)"),
            std::string::npos)
      << run.out;
  EXPECT_EQ(run.out.find("disagree"), std::string::npos) << "vtable and IDispatch answer alike";

  // It names no file of its own folder, which is gone at the end.
  EXPECT_NE(run.out.find("for this run"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("/tmp/dovrel60-host-"), std::string::npos) << run.out;
  EXPECT_EQ(run.out.find("saved the styles"), std::string::npos) << run.out;
}

// The saved national holidays of the Windows build's folder, loaded instead
// of entered, give the same answers.
TEST_F(ExampleHost, LoadsTheSavedNationalHolidays) {
  const HostRun run = RunHost("-u DOVREL_REGISTRY", kLibrary + " -y 2026 -f '" DOVREL_HOLIDAYS_FILE "'");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("Days loaded from"), std::string::npos) << run.out;
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2026, dvHoliday)", "18")) << run.out;
  EXPECT_TRUE(Answers(run.out, "IsDateInStyle(2026/05/05)", "True (JP-2026-05-05 こどもの日)")) << run.out;
}

TEST_F(ExampleHost, AYearWithABridgeHolidayAndAChainedSubstitute) {
  const HostRun run = RunHost("-u DOVREL_REGISTRY", kLibrary + " -y 2026");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2026, dvHoliday)", "18")) << run.out;  // 9/22 between two holidays
  EXPECT_TRUE(Answers(run.out, "DaysInRange(2026, dvWorkday)", "244")) << run.out;
  EXPECT_TRUE(Answers(run.out, "DatesInRange(May 2026, dvHoliday)", "2026/05/03 2026/05/04 2026/05/05 2026/05/06"))
      << run.out;
}

// A registry and a styles file that the user names stay where they are.
TEST_F(ExampleHost, TheUsersRegistryAndStylesFileAreKept) {
  const std::string registry = dir_ + "/registry.reg", styles = dir_ + "/styles.dvs";
  const HostRun run = RunHost("DOVREL_REGISTRY='" + registry + "'", kLibrary + " -o '" + styles + "'");
  ASSERT_EQ(run.status, 0) << run.out;
  EXPECT_NE(run.out.find("registered " DOVREL_LIBRARY " in " + registry), std::string::npos) << run.out;
  EXPECT_NE(run.out.find("saved the styles to " + styles), std::string::npos) << run.out;

  std::ifstream registryFile(registry);
  const std::string entries((std::istreambuf_iterator<char>(registryFile)), std::istreambuf_iterator<char>());
  EXPECT_NE(entries.find("Qor.Dovrel6.6"), std::string::npos) << "the library stays registered";

  std::ifstream stylesFile(styles, std::ios::binary);
  const std::string bytes((std::istreambuf_iterator<char>(stylesFile)), std::istreambuf_iterator<char>());
  ASSERT_GT(bytes.size(), 24u);
  EXPECT_EQ(bytes.compare(0, sizeof(CLSID), reinterpret_cast<const char*>(&CLSID_HolidayStyles), sizeof(CLSID)), 0)
      << "the class identifier first";
  EXPECT_EQ(bytes.compare(16, 8, std::string("\x00\x00\x01\x00\x01\x00\x00\x00", 8)), 0)
      << "then the collection: version 0x00010000, one style";
}

TEST_F(ExampleHost, RefusesWhatItCannotUse) {
  HostRun run = RunHost("-u DOVREL_REGISTRY", kLibrary + " -y 1947");
  EXPECT_EQ(run.status, 2);
  EXPECT_NE(run.out.find("the year must lie in 1948..2099"), std::string::npos) << run.out;
  run = RunHost("-u DOVREL_REGISTRY", "-l '" + dir_ + "/no-such-library.so'");
  EXPECT_EQ(run.status, 1);
  EXPECT_NE(run.out.find("no-such-library.so"), std::string::npos) << run.out;
}

}  // namespace
