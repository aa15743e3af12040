// Reading a host file: what is refused, and its lines, ends and encoding
// exactly as the file has them; and the FILE:LINE form.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "hostfile/BlockAddress.h"
#include "hostfile/BlockEditing.h"
#include "hostfile/HostFile.h"
#include "support/TempFolder.h"

namespace virlo {
namespace {

class HostFileTest : public ::testing::Test {
 protected:
  // Reads the bytes as a file; "" when read, else the reason.
  std::string Refusal(const std::string& bytes) {
    test::WriteFile(path, bytes);
    std::string error;
    return HostFile::Read(path, file, error) ? "" : error;
  }

  test::TempFolder folder;
  std::string path = folder.Path("notes.md");
  HostFile file;
};

TEST_F(HostFileTest, WhatIsNoTextIsRefusedUnread) {
  EXPECT_NE(Refusal(std::string("a\0b\n", 4)).find("NUL"), std::string::npos);
  // 0xFF is neither UTF-8 nor code page 932; nor is a lead byte at the end.
  EXPECT_NE(Refusal("+--+ \xFF\n").find("neither UTF-8 nor code page 932"), std::string::npos);
  EXPECT_NE(Refusal("+--+ \x82").find("neither"), std::string::npos);
  std::string error;
  EXPECT_FALSE(HostFile::Read(folder.Path("missing.md"), file, error));
  EXPECT_FALSE(HostFile::Read(folder.Folder().string(), file, error));
  EXPECT_EQ(error, "it is not a regular file");
  // A pipe is refused, never waited on.
  const std::string fifo = folder.Path("pipe.md");
  ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
  EXPECT_FALSE(HostFile::Read(fifo, file, error));
  // Too long is refused by its size, before a byte is read.
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
  ASSERT_EQ(::ftruncate(fd, static_cast<off_t>(HostFile::MaxBytes) + 1), 0);
  ::close(fd);
  EXPECT_FALSE(HostFile::Read(path, file, error));
  EXPECT_NE(error.find("longer than"), std::string::npos) << error;
}

TEST_F(HostFileTest, LinesKeepTheirEndsAndTheUsualEndIsTheMostLinesHave) {
  ASSERT_EQ(Refusal("one\r\ntwo\n\r\n  \tfour\r\nlast"), "");
  ASSERT_EQ(file.LineCount(), 5u);
  const char* const texts[] = {"one", "two", "", "  \tfour", "last"};
  const char* const ends[] = {"\r\n", "\n", "\r\n", "\r\n", ""};
  for (std::size_t line = 0; line < 5; ++line) {
    EXPECT_EQ(file.Text(line), texts[line]) << line;
    EXPECT_EQ(file.End(line), ends[line]) << line;
  }
  EXPECT_EQ(file.UsualEnd(), "\r\n");
  EXPECT_EQ(file.Leading(3), 'f');
  EXPECT_EQ(file.Leading(2), '\n');
  ASSERT_EQ(Refusal("a\r\nb\nc\n"), "");
  EXPECT_EQ(file.UsualEnd(), "\n");
  ASSERT_EQ(Refusal(""), "");
  EXPECT_EQ(file.LineCount(), 0u);
  // The identity is the file's, taken from the bytes read.
  EXPECT_EQ(file.Identity(), FileIdentity::Of(path));
}

TEST_F(HostFileTest, TheEncodingIsUtf8WhenTheBytesAreAndCodePage932Otherwise) {
  ASSERT_EQ(Refusal("\xEF\xBB\xBF| \xE6\x97\xA5 |\n"), "");
  EXPECT_EQ(file.GetEncoding(), HostFile::Encoding::Utf8);
  EXPECT_TRUE(file.HasByteOrderMark());
  EXPECT_EQ(file.Text(0), "| \xE6\x97\xA5 |");
  // Code page 932, its second byte "|" (0x7C) inside a character.
  ASSERT_EQ(Refusal("# \x83\x7C |\n"), "");
  EXPECT_EQ(file.GetEncoding(), HostFile::Encoding::Cp932);
  // In code page 932 the bytes of a UTF-8 byte order mark are characters of the line.
  ASSERT_EQ(Refusal("\xEF\xBB\xBF\x83\x7C\n"), "");
  EXPECT_EQ(file.GetEncoding(), HostFile::Encoding::Cp932);
  EXPECT_FALSE(file.HasByteOrderMark());
  EXPECT_EQ(file.Text(0), "\xEF\xBB\xBF\x83\x7C");
}

TEST_F(HostFileTest, ARealFileNamedLikeALineWinsOverTheForm) {
  const std::string named = folder.Path("x:42");
  EXPECT_EQ(BlockAddress::Parse(named).line, 42u);
  EXPECT_EQ(BlockAddress::Parse(named).path, folder.Path("x"));
  test::WriteFile(named, "text\n");
  EXPECT_FALSE(BlockAddress::Parse(named).line.has_value());
  EXPECT_EQ(BlockAddress::Parse(named).path, named);
  EXPECT_EQ(BlockAddress::Parse(named + ":3").line, 3u);
  EXPECT_EQ(BlockAddress::Parse(named + ":3").path, named);
  for (const char* text :
       {"a.md", "a.md:", "a.md:0", "a.md:-1", "a.md:+1", "a.md:1x", ":7", "a.md:99999999999999999999"}) {
    EXPECT_FALSE(BlockAddress::Parse(text).line.has_value()) << text;
  }
}

}  // namespace
}  // namespace virlo
