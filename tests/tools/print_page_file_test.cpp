#include "print_page_file.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

namespace {

class PrintPageFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    File = (fs::temp_directory_path() /
            ("pelmora_print_page_" + std::to_string(getpid()) + "_" +
             ::testing::UnitTest::GetInstance()->current_test_info()->name() + ".kvp"))
               .string();
    fs::remove(File);
  }
  void TearDown() override { fs::remove(File); }
  void Put(const std::string& Text) { std::ofstream(File, std::ios::binary) << Text; }

  std::string File;
};

TEST_F(PrintPageFileTest, APageSetUpComesBackAsItWasWritten) {
  const TPrintPage A5{"Печать в файл PDF", 148, 210, true};
  ASSERT_TRUE(WritePrintPage(File, A5));
  EXPECT_EQ(ReadPrintPage(File), A5);
  const TPrintPage Letter{"HP LaserJet", 215.9, 279.4, false};
  ASSERT_TRUE(WritePrintPage(File, Letter));
  EXPECT_EQ(ReadPrintPage(File), Letter);
  // The sides may come in either order; CR LF line ends are read as well.
  Put("printer=PDF\r\npaper=210.0x148.0\r\norientation=portrait\r\n");
  EXPECT_EQ(ReadPrintPage(File), (TPrintPage{"PDF", 148, 210, false}));
}

TEST_F(PrintPageFileTest, DamagedContentIsIgnored) {
  EXPECT_EQ(ReadPrintPage(File), std::nullopt) << "no file";
  for (const char* Text : {
           "",
           "printer=PDF\npaper=148x210\n",
           "printer=PDF\npaper=148x210\norientation=sideways\n",
           "printer=\npaper=148x210\norientation=portrait\n",
           "printer=PDF\npaper=148\norientation=portrait\n",
           "printer=PDF\npaper=148xabc\norientation=portrait\n",
           "printer=PDF\npaper=1x210\norientation=portrait\n",
           "printer=PDF\npaper=148x1e9\norientation=portrait\n",
           "printer=PDF\npaper=nanxinf\norientation=portrait\n",
           "printer=PDF\npaper=148x210\norientation=portrait\ncolour=red\n",
           "\x89PNG\r\n\x1a\n garbage",
       }) {
    Put(Text);
    EXPECT_EQ(ReadPrintPage(File), std::nullopt) << Text;
  }
  Put(std::string(5000, 'x'));
  EXPECT_EQ(ReadPrintPage(File), std::nullopt) << "too large";
  EXPECT_FALSE(WritePrintPage(File, {"two\nlines", 148, 210, false}));
}

}  // namespace
