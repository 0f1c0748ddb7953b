// Windows' accessibility shortcuts, handled as a full-screen game should: five presses of Shift
// (Sticky Keys), Shift held for 8 s (Filter Keys) and NumLock held for 5 s (Toggle Keys) would
// stop the game with a question, or quietly make quick presses not count. While the game runs full
// screen the shortcut of each feature that is off is turned off, for the session only; exactly
// what was found is put back at every end. What was found is noted first in a small file of the
// user's own settings, so that a start after a crash puts it back. The logic is the same on every
// system; only Windows has the settings behind it.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <utility>

namespace plat {

enum class AccessFeature { StickyKeys, FilterKeys, ToggleKeys };
inline constexpr int kAccessFeatureCount = 3;

// The flags of the three features share these bits (SKF_, FKF_ and TKF_ of the same values).
inline constexpr uint32_t kFeatureOn = 0x1;
inline constexpr uint32_t kShortcutActive = 0x4;
inline constexpr uint32_t kShortcutConfirms = 0x8;

// SystemParametersInfo's reads and writes of a feature's flags; false when the call failed.
class AccessSettings {
 public:
  virtual ~AccessSettings() = default;
  virtual bool Get(AccessFeature feature, uint32_t& flags) = 0;
  // For the session only: never written to the user's profile.
  virtual bool Set(AccessFeature feature, uint32_t flags) = 0;
};

class ShortcutKeys {
 public:
  // `note`: the file that keeps what was found while the shortcuts are off.
  ShortcutKeys(AccessSettings& settings, std::filesystem::path note)
      : settings_(settings), note_(std::move(note)) {}

  // Only for the program that holds its directory's lock: first puts back what a run that died
  // left noted, then turns off the shortcut of each feature that is off. A failed call changes
  // nothing; without a note written, nothing is changed.
  void TurnOff();
  // Puts back what TurnOff changed, and removes the note once all of it is back.
  void PutBack();

  // Filter Keys was on when TurnOff first looked: quick presses may not count.
  bool FilterKeysFoundOn() const { return filterKeysOn_; }

 private:
  using Flags = std::optional<uint32_t>[kAccessFeatureCount];
  bool ReadNote(Flags& flags) const;
  bool WriteNote(const Flags& flags) const;

  AccessSettings& settings_;
  std::filesystem::path note_;
  Flags changed_{};  // what was found, for each feature changed
  bool filterKeysOn_ = false;
};

}  // namespace plat
