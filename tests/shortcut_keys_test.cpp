// Windows' accessibility shortcuts against a fake of its settings: turned off only where the
// feature is off, put back exactly, after a crash too, and never harmed by a failing call.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <functional>

#include "platform/ShortcutKeys.h"
#include "tests/support/Scenario.h"

namespace {

using plat::AccessFeature;
using Settings = std::array<uint32_t, plat::kAccessFeatureCount>;

struct FakeSettings : plat::AccessSettings {
  Settings flags{};
  bool getFails = false, setFails = false;
  bool Get(AccessFeature f, uint32_t& out) override {
    if (getFails) return false;
    out = flags[static_cast<int>(f)];
    return true;
  }
  bool Set(AccessFeature f, uint32_t in) override {
    if (setFails) return false;
    flags[static_cast<int>(f)] = in;
    return true;
  }
};

// As Windows ships them: every feature off, its shortcut active and asking first.
constexpr uint32_t kOffWithShortcut = 0x2 | plat::kShortcutActive | plat::kShortcutConfirms;
constexpr uint32_t kOffNoShortcut = 0x2;
constexpr uint32_t kOn = 0x2 | plat::kFeatureOn | plat::kShortcutActive;

TEST(ShortcutKeys, OffWhileTheGameRunsAndExactlyBackAtTheEnd) {
  const Settings shipped = {kOffWithShortcut, kOffWithShortcut, kOffWithShortcut};
  const struct Case {
    const char* name;
    Settings start;
    std::function<void(FakeSettings&, const std::filesystem::path& note)> before;
    Settings whilePlaying;
    bool filterKeysOn;
  } cases[] = {
      {"features off", shipped, nullptr, {kOffNoShortcut, kOffNoShortcut, kOffNoShortcut}, false},
      {"a feature on keeps its shortcut",
       {kOffWithShortcut, kOn, kOffWithShortcut},
       nullptr,
       {kOffNoShortcut, kOn, kOffNoShortcut},
       true},
      // A run that died with the shortcuts off left its note: what it found comes back first.
      {"a note left by a crash",
       shipped,
       [](FakeSettings& fake, const std::filesystem::path& note) {
         plat::ShortcutKeys crashed(fake, note);
         crashed.TurnOff();
       },
       {kOffNoShortcut, kOffNoShortcut, kOffNoShortcut},
       false},
      {"every call fails", shipped,
       [](FakeSettings& fake, const std::filesystem::path&) {
         fake.getFails = fake.setFails = true;
       },
       shipped, false},
      {"only the writes fail", shipped,
       [](FakeSettings& fake, const std::filesystem::path&) { fake.setFails = true; }, shipped,
       false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScratchDir dir;
    const std::filesystem::path note = dir.PathOf("settings/shortcut-keys.txt");
    FakeSettings fake;
    fake.flags = c.start;
    if (c.before) c.before(fake, note);
    plat::ShortcutKeys keys(fake, note);
    keys.TurnOff();
    EXPECT_EQ(fake.flags, c.whilePlaying);
    EXPECT_EQ(keys.FilterKeysFoundOn(), c.filterKeysOn);
    EXPECT_EQ(std::filesystem::exists(note), fake.flags != c.start);
    keys.PutBack();
    EXPECT_EQ(fake.flags, c.start);
    EXPECT_FALSE(std::filesystem::exists(note));
  }
}

// A second start that finds the directory locked never gets as far as the shortcuts; and a put
// back that fails keeps the note, so the next start still restores what was found.
TEST(ShortcutKeys, AFailedPutBackKeepsTheNoteForTheNextStart) {
  ScratchDir dir;
  const std::filesystem::path note = dir.PathOf("shortcut-keys.txt");
  FakeSettings fake;
  fake.flags = {kOffWithShortcut, kOffWithShortcut, kOn};
  {
    plat::ShortcutKeys first(fake, note);
    first.TurnOff();
    plat::ShortcutKeys second(fake, note);  // exits 5: neither turns off nor puts back
    second.PutBack();
    EXPECT_TRUE(std::filesystem::exists(note));
    fake.setFails = true;
    first.PutBack();
    EXPECT_TRUE(std::filesystem::exists(note));
  }
  fake.setFails = false;
  plat::ShortcutKeys next(fake, note);
  next.TurnOff();
  next.PutBack();
  EXPECT_EQ(fake.flags, (Settings{kOffWithShortcut, kOffWithShortcut, kOn}));
  EXPECT_FALSE(std::filesystem::exists(note));
}

}  // namespace
