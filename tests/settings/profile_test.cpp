#include "settings/profile.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "tests/settings/temp_folder.h"

namespace vk47 {
namespace {

using test::ReadBytes;
using test::TempFolder;
using test::WriteBytes;

struct FindRow {
  const char* name;
  std::string text;
  std::optional<std::string> value;  // of key "name" in section "comport"
};

TEST(Profile, FindsValuesAsTheWindowsFunctionsDo) {
  const FindRow rows[] = {
      {"plain", "[comport]\r\nname=2\r\n", "2"},
      {"case of section and key", "[COMPORT]\r\nNAME=3\r\n", "3"},
      {"blanks around names and value", "  [ comport ]  \r\n\t name \t=  7 \t\r\n", "7"},
      {"value holding =", "[comport]\r\nname=a=b\r\n", "a=b"},
      {"empty value", "[comport]\r\nname=\r\n", ""},
      {"no final line break", "[comport]\r\nname=4", "4"},
      {"LF and lone CR breaks", "[x]\ny=1\r[comport]\nname=5\r", "5"},
      {"UTF-8 byte order mark", "\xEF\xBB\xBF[comport]\r\nname=6\r\n", "6"},
      {"text after the header", "[comport] ; port\r\nname=1\r\n", "1"},
      {"first of duplicate keys", "[comport]\r\nname=1\r\nname=2\r\n", "1"},
      {"only the first duplicate section", "[comport]\r\nx=1\r\n[comport]\r\nname=2\r\n",
       std::nullopt},
      {"key without =", "[comport]\r\nname\r\nname=2\r\n", std::nullopt},
      {"key in another section", "[other]\r\nname=2\r\n[comport]\r\n", std::nullopt},
      {"key before any section", "name=2\r\n[comport]\r\n", std::nullopt},
      {"commented out", "[comport]\r\n;name=2\r\n", std::nullopt},
      {"header without ]", "[comport\r\nname=2\r\n", std::nullopt},
      {"empty text", "", std::nullopt},
  };
  for (const FindRow& row : rows) {
    EXPECT_EQ(FindProfileValue(row.text, "comport", "name"), row.value) << row.name;
  }
}

struct SetRow {
  const char* name;
  std::string before;
  std::string after;  // with name=2 stored in comport
};

TEST(Profile, StoresAValueAndKeepsEveryOtherByte) {
  const SetRow rows[] = {
      {"empty file", "", "[comport]\r\nname=2\r\n"},
      {"replaced in place",
       "; mine\r\n[other]\nk = v\n\n[comport]\r\nname=0\r\nx=1\r\n[z]\r\n",
       "; mine\r\n[other]\nk = v\n\n[comport]\r\nname=2\r\nx=1\r\n[z]\r\n"},
      {"case-insensitive, blanks kept", "[COMPORT]\r\n NAME = 13 \r\n",
       "[COMPORT]\r\n NAME = 2 \r\n"},
      {"quoted value replaced", "[comport]\r\nname=\"1\"\r\n", "[comport]\r\nname=2\r\n"},
      {"empty value filled", "[comport]\r\nname=\r\n", "[comport]\r\nname=2\r\n"},
      {"key without = completed", "[comport]\nname\n", "[comport]\nname=2\n"},
      {"missing key after last line of its section",
       "[comport]\r\nx=1\r\n\r\n[z]\r\ny=2\r\n",
       "[comport]\r\nx=1\r\nname=2\r\n\r\n[z]\r\ny=2\r\n"},
      {"missing key in a section without break", "[comport]\r\nx=1",
       "[comport]\r\nx=1\r\nname=2\r\n"},
      {"header only", "[comport]", "[comport]\r\nname=2\r\n"},
      {"missing section appended", "[a]\r\nb=1\r\n", "[a]\r\nb=1\r\n[comport]\r\nname=2\r\n"},
      {"missing section after text without break", "[a]\r\nb=1",
       "[a]\r\nb=1\r\n[comport]\r\nname=2\r\n"},
      // Added lines end like the file's first line, so no file gets mixed ends.
      {"LF file: section added with LF", "[a]\nb=1\n", "[a]\nb=1\n[comport]\nname=2\n"},
      {"LF file without final break", "[a]\nb=1", "[a]\nb=1\n[comport]\nname=2\n"},
      {"LF file: key added with LF", "[comport]\nx=1\n", "[comport]\nx=1\nname=2\n"},
      {"first of duplicate sections", "[comport]\r\nx=1\r\n[Comport]\r\nname=9\r\n",
       "[comport]\r\nx=1\r\nname=2\r\n[Comport]\r\nname=9\r\n"},
      {"byte order mark kept", "\xEF\xBB\xBF", "\xEF\xBB\xBF[comport]\r\nname=2\r\n"},
  };
  for (const SetRow& row : rows) {
    const std::string after = SetProfileValue(row.before, "comport", "name", "2");
    EXPECT_EQ(after, row.after) << row.name;
    EXPECT_EQ(FindProfileValue(after, "comport", "name"), "2") << row.name;
  }
}

TEST(Profile, ReadsFromFilesWithDefaults) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  EXPECT_EQ(GetPrivateProfileString("comport", "name", "dflt", ini), "dflt");
  EXPECT_FALSE(std::filesystem::exists(ini)) << "reading must not create the file";
  EXPECT_EQ(GetPrivateProfileString("comport", "name", "dflt", dir.path()), "dflt")
      << "a folder is no file";

  struct Row {
    const char* name;
    std::string value_text;
    std::string read;
  } rows[] = {
      {"double quotes", "\"3\"", "3"},
      {"single quotes", "'3'", "3"},
      {"unmatched quote kept", "\"3", "\"3"},
      {"cut at NUL", std::string("3\0x", 3), "3"},
      {"cut to 2047 bytes", std::string(3000, '7'), std::string(kMaxProfileValueBytes, '7')},
  };
  for (const Row& row : rows) {
    WriteBytes(ini, "[comport]\r\nname=" + row.value_text + "\r\n");
    EXPECT_EQ(GetPrivateProfileString("comport", "name", "", ini), row.read) << row.name;
  }
}

TEST(Profile, HugeFileIsReadOnlyInPartAndNeverRewritten) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  const std::string huge = "[comport]\r\nname=3\r\n" + std::string(kMaxProfileFileBytes, ';') +
                           "\r\n[late]\r\nkey=1\r\n";
  WriteBytes(ini, huge);
  EXPECT_EQ(GetPrivateProfileString("comport", "name", "", ini), "3");
  EXPECT_EQ(GetPrivateProfileString("late", "key", "none", ini), "none");
  EXPECT_FALSE(WritePrivateProfileString("comport", "name", "2", ini));
  EXPECT_EQ(ReadBytes(ini), huge);
}

TEST(Profile, WriteRefusesNamesAndValuesThatWouldBreakTheFile) {
  TempFolder dir;
  const std::string ini = dir / "set.ini";
  EXPECT_FALSE(WritePrivateProfileString("comport", "name", "2\r\nevil=1", ini));
  EXPECT_FALSE(WritePrivateProfileString("comport", "na=me", "2", ini));
  EXPECT_FALSE(WritePrivateProfileString("com]port", "name", "2", ini));
  EXPECT_FALSE(WritePrivateProfileString("comport", " ", "2", ini));
  // "[a]b=2" would read as the header of a section "a".
  EXPECT_FALSE(WritePrivateProfileString("comport", " [a]b", "2", ini));
  EXPECT_FALSE(WritePrivateProfileString("comport", "[a", "]", ini));
  EXPECT_FALSE(std::filesystem::exists(ini));
  EXPECT_TRUE(WritePrivateProfileString("comport", "name", "2", ini));
  EXPECT_EQ(ReadBytes(ini), "[comport]\r\nname=2\r\n");
}

}  // namespace
}  // namespace vk47
