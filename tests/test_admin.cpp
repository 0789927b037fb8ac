#include <sstream>

#include <gtest/gtest.h>

#include "app/admin_password.h"
#include "app/menu_model.h"
#include "cli/cli.h"
#include "common/error.h"
#include "platform/files.h"
#include "test_support.h"
#include "testfile/access_code.h"

namespace examora {
namespace {

TEST(AdminPassword, OnlyASaltedHashIsKeptAndOnlyTheRightPasswordMatches) {
  const std::string hash = HashAdminPassword("s3cret!8");
  EXPECT_EQ(hash.find("s3cret!8"), std::string::npos);
  EXPECT_NE(hash, HashAdminPassword("s3cret!8"));  // salted
  EXPECT_TRUE(CheckAdminPassword(hash, "s3cret!8"));
  EXPECT_FALSE(CheckAdminPassword(hash, "s3cret!9"));
  EXPECT_FALSE(CheckAdminPassword("damaged", "s3cret!8"));
  EXPECT_THROW(HashAdminPassword("seven77"), FormatError);
  EXPECT_THROW(HashAdminPassword("nine99999"), FormatError);
  EXPECT_THROW(HashAdminPassword("        "), FormatError);
  EXPECT_THROW(HashAdminPassword("\t \t \t \t "), FormatError);
  EXPECT_TRUE(CheckAdminPassword(HashAdminPassword("       x"), "       x"));
}

TEST(AdminPassword, SetPasswordAsksTwiceAndWritesTheHash) {
  testing::TempDir dir;
  const std::string file = (dir / "admin-password").string();
  std::ostringstream out, err;
  std::istringstream differ("abcdefgh\nabcdefgX\n");
  EXPECT_EQ(RunCli({"admin", "set-password", "--file", file}, differ, out, err), 1);
  EXPECT_FALSE(std::filesystem::exists(file));
  std::istringstream blanks("        \n        \n");
  EXPECT_EQ(RunCli({"admin", "set-password", "--file", file}, blanks, out, err), 1);
  EXPECT_FALSE(std::filesystem::exists(file));
  std::istringstream same("abcdefgh\r\nabcdefgh\r\n");
  EXPECT_EQ(RunCli({"admin", "set-password", "--file", file}, same, out, err), 0);
  EXPECT_TRUE(CheckAdminPassword(*ReadAdminPasswordHash(file), "abcdefgh"));
  // A new hash file is its owner's alone; a replaced one keeps the mode it was given.
  namespace fs = std::filesystem;
  const auto ownerOnly = fs::perms::owner_read | fs::perms::owner_write;
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, ownerOnly);
  fs::permissions(file, ownerOnly | fs::perms::group_read);
  WriteAdminPasswordFile(file, HashAdminPassword("abcdefgh"));
  EXPECT_EQ(fs::status(file).permissions() & fs::perms::all, ownerOnly | fs::perms::group_read);
}

TEST(MenuModel, WrongPasswordShutsTheBoxForAWhileAndTheRightOneShowsAFreshCode) {
  ManualClock clock{{2026, 12, 8, 10, 0, 0.3}};
  MenuModel menu(clock, HashAdminPassword("abcdefgh"));
  menu.cmdOK("abcdefgX");
  EXPECT_EQ(menu.lblMessage, "Wrong password");
  EXPECT_FALSE(menu.passwordEnabled);
  menu.cmdOK("abcdefgh");  // ignored while shut
  EXPECT_FALSE(menu.unlocked);
  clock.Advance(kWrongPasswordDelay - 0.1);
  menu.Tick();
  EXPECT_FALSE(menu.passwordEnabled);
  clock.Advance(0.1);
  menu.Tick();
  ASSERT_TRUE(menu.passwordEnabled);
  menu.cmdOK("abcdefgh");
  ASSERT_TRUE(menu.unlocked);
  const std::string code = menu.lblAccessCode;
  EXPECT_TRUE(AccessCodeAccepted(code, clock.Now()));
  EXPECT_EQ(menu.lblValid, "valid for 5 more minutes");
  clock.Advance(kAccessCodeRefresh - 1);
  menu.Tick();
  EXPECT_EQ(menu.lblAccessCode, code);
  EXPECT_EQ(menu.lblValid, "valid for 4 more minutes");
  clock.Advance(1);
  menu.Tick();
  EXPECT_EQ(menu.lblValid, "valid for 5 more minutes");  // a new code
}

TEST(MenuModel, TheKeyboardGoesBackToThePasswordBoxWhenItOpensAgain) {
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  MenuModel menu(clock, HashAdminPassword("abcdefgh"));
  EXPECT_EQ(menu.focus, "txtPassword");
  menu.cmdOK("abcdefgX");
  EXPECT_EQ(menu.focus, "");  // shut: nothing to type into
  clock.Advance(kWrongPasswordDelay - 0.1);
  menu.Tick();
  EXPECT_EQ(menu.focus, "");
  clock.Advance(0.1);
  menu.Tick();
  EXPECT_EQ(menu.focus, "txtPassword");
  menu.cmdOK("abcdefgh");
  EXPECT_EQ(menu.focus, "cmdAuthoring");
  EXPECT_EQ(MenuModel(clock, std::nullopt).focus, "");
}

TEST(MenuModel, WithoutAStoredPasswordNothingOpens) {
  ManualClock clock{{2026, 12, 8, 10, 0, 0}};
  MenuModel menu(clock, std::nullopt);
  menu.cmdOK("abcdefgh");
  EXPECT_FALSE(menu.unlocked);
  EXPECT_FALSE(menu.passwordEnabled);
}

}  // namespace
}  // namespace examora
