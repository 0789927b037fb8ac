// Addresses from the web folder resolve inside the test's own folder, or not at all.
#include "app/web_address.h"

#include <gtest/gtest.h>

#include "common/error.h"

namespace examora {
namespace {

TEST(WebAddress, EntriesResolveInsideTheTestFolderOrAreRefused) {
  const std::string base = "http://h/w%C3%A9b/";
  const std::pair<const char*, const char*> rows[] = {
      {"beam.png", "http://h/w%C3%A9b/tests/10101%20Beams/beam.png"},
      {"pics\\x_beam.png", "http://h/w%C3%A9b/tests/10101%20Beams/pics/x_beam.png"},
      {"a//b.png", "http://h/w%C3%A9b/tests/10101%20Beams/a/b.png"},
      {"caf\xE9.png", "http://h/w%C3%A9b/tests/10101%20Beams/caf%C3%A9.png"},
      {"../../secret.png", nullptr},
      {"..\\..\\secret.png", nullptr},
      {"a/../../b.png", nullptr},
      {"%2e%2e/secret.png", nullptr},
      {"%252e%252e/secret.png", nullptr},
      {"./b.png", nullptr},
      {"/etc/passwd", nullptr},
      {"\\etc\\passwd", nullptr},
      {"%2fetc/passwd", nullptr},
      {"C:\\secret.png", nullptr},
      {"file:///etc/passwd", nullptr},
      {"http://evil/x.png", nullptr},
      {"//evil/x.png", nullptr},
      {"a\tb.png", nullptr},
      {"", nullptr},
  };
  for (const auto& [entry, address] : rows) {
    const auto got = ResolveInTestFolder(base, "10101 Beams", entry);
    if (address) {
      EXPECT_EQ(got.value_or("refused"), address) << entry;
    } else {
      EXPECT_FALSE(got) << entry << " gave " << got.value_or("");
    }
  }
  for (const char* folder : {"..", ".", "%2E%2E", "a/b", "a\\b", "c:x", ""}) {
    EXPECT_FALSE(IsSafeFolderName(folder)) << folder;
    EXPECT_FALSE(ResolveInTestFolder(base, folder, "x.png")) << folder;
  }
  EXPECT_TRUE(IsSafeFolderName("10101 Beams (v2.1)"));
}

TEST(WebAddress, InsideAFolderMeansSameSiteAndNoClimbing) {
  const std::string folder = "file:///srv/w%C3%A9b/";
  EXPECT_TRUE(IsInsideFolder("file:///srv/w%c3%a9b/info/a.png", folder));
  EXPECT_TRUE(IsInsideFolder("file:///srv/wéb/tests/x.png?v=1", folder));
  EXPECT_FALSE(IsInsideFolder("file:///srv/web2/x.png", folder));
  EXPECT_FALSE(IsInsideFolder("file:///srv/w%C3%A9b/../etc/passwd", folder));
  EXPECT_FALSE(IsInsideFolder("file:///srv/w%C3%A9b/%2E%2E/etc/passwd", folder));
  EXPECT_FALSE(IsInsideFolder("file:///srv/w%C3%A9b/a%5C..%5C..%5Cx", folder));
  EXPECT_FALSE(IsInsideFolder("http://h/srv/w%C3%A9b/x", folder));
  EXPECT_FALSE(IsInsideFolder("/srv/w%C3%A9b/x", folder));
  EXPECT_TRUE(IsInsideFolder("HTTP://H:80/w/x.png", "http://h:80/w/"));
  EXPECT_FALSE(IsInsideFolder("http://h:81/w/x.png", "http://h:80/w/"));
  EXPECT_EQ(FolderOf("http://h/w/tests/a%20b/p.png?x=/y"), "http://h/w/tests/a%20b/");
}

TEST(WebAddress, TheWebFolderSettingIsOneAsciiAddress) {
  EXPECT_EQ(WebFolderAddress("http://h/w\xC3\xA9"
                             "b"),
            "http://h/w%C3%A9b/");
  EXPECT_EQ(WebFolderAddress("file:///srv/w%C3%A9b/"), "file:///srv/w%C3%A9b/");
  EXPECT_EQ(WebFolderAddress("/srv/w\xC3\xA9"
                             "b"),
            "file:///srv/w%C3%A9b/");  // a bare folder path
  EXPECT_THROW(WebFolderAddress("ftp://h/w"), FormatError);
  EXPECT_THROW(WebFolderAddress("  "), FormatError);
}

}  // namespace
}  // namespace examora
