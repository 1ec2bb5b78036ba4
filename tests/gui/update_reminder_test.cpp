// SPDX-License-Identifier: GPL-3.0-or-later
// The update reminder: when it asks, what it stores.
#include "shell/update_reminder.h"

#include <gtest/gtest.h>

#include "support/fake_platform.h"

namespace velmora {
namespace {

class UpdateReminder : public ::testing::Test {
 protected:
  void Run() { RunUpdateReminder(fakes.settings, fakes.clock, fakes.dialogs, links); }
  void StoreDaysAgo(int days) {
    fakes.settings.values["LastUpdate"] = fakes.clock.today.addDays(-days).toString(Qt::ISODate);
  }
  bool Asked() const {
    return fakes.dialogs.messages ==
           std::vector<ShownMessage>{{"Do You Wish To Update The Software ?", "Velmora", MessageIcon::Exclamation,
                                      MessageButtons::YesNo}};
  }
  FakePlatform fakes;
  WebLinks links{fakes.shell, {"h", "f", "c", "bye", "https://up.test/"}};
};

TEST_F(UpdateReminder, FirstStartStoresTodayAndAsksNothing) {
  Run();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.settings.values["LastUpdate"], "2026-12-07");
}

TEST_F(UpdateReminder, FourteenDaysIsTooSoonAndLeavesTheDate) {
  StoreDaysAgo(14);
  Run();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.settings.values["LastUpdate"], "2026-11-23");
}

TEST_F(UpdateReminder, FifteenDaysAsksAndYesOpensTheUpdatePage) {
  StoreDaysAgo(15);
  fakes.dialogs.answers = {MessageAnswer::Yes};
  Run();
  EXPECT_TRUE(Asked());
  EXPECT_EQ(fakes.shell.addresses, std::vector<std::string>{"https://up.test/"});
  EXPECT_EQ(fakes.settings.values["LastUpdate"], "2026-12-07");
}

TEST_F(UpdateReminder, ADateInTheFutureCountsTheSame) {
  StoreDaysAgo(-20);
  Run();
  EXPECT_TRUE(Asked());
}

TEST_F(UpdateReminder, NoStillRewritesTheDateSoTheNextStartIsQuiet) {
  StoreDaysAgo(40);
  fakes.dialogs.answers = {MessageAnswer::No};
  Run();
  EXPECT_TRUE(Asked());
  EXPECT_TRUE(fakes.shell.addresses.empty());
  fakes.dialogs.messages.clear();
  Run();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
}

TEST_F(UpdateReminder, WithoutAnUpdateAddressNothingIsAskedOrStored) {
  WebLinks no_update_page{fakes.shell, {"h", "f", "c", "bye", ""}};
  StoreDaysAgo(40);
  RunUpdateReminder(fakes.settings, fakes.clock, fakes.dialogs, no_update_page);
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.settings.values["LastUpdate"], "2026-10-28");
  fakes.settings.values.clear();
  RunUpdateReminder(fakes.settings, fakes.clock, fakes.dialogs, no_update_page);
  EXPECT_TRUE(fakes.settings.values.empty());
}

TEST_F(UpdateReminder, UnreadableStoredValueCountsAsAbsent) {
  fakes.settings.values["LastUpdate"] = "07/11/2026";  // an old locale's short form
  Run();
  EXPECT_TRUE(fakes.dialogs.messages.empty());
  EXPECT_EQ(fakes.settings.values["LastUpdate"], "2026-12-07");
}

}  // namespace
}  // namespace velmora
