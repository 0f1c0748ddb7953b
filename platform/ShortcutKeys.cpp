#include "platform/ShortcutKeys.h"

#include <fstream>
#include <system_error>

namespace plat {
namespace {

constexpr uint32_t kShortcutBits = kShortcutActive | kShortcutConfirms;

AccessFeature FeatureAt(int i) {
  return static_cast<AccessFeature>(i);
}

}  // namespace

// The note: one line per feature, its index and its flags as found, in decimal.
bool ShortcutKeys::ReadNote(Flags& flags) const {
  std::ifstream in(note_);
  if (!in) return false;
  int index = 0;
  uint32_t value = 0;
  bool any = false;
  while (in >> index >> value) {
    if (index < 0 || index >= kAccessFeatureCount) continue;
    flags[index] = value;
    any = true;
  }
  return any;
}

bool ShortcutKeys::WriteNote(const Flags& flags) const {
  std::error_code ec;
  std::filesystem::create_directories(note_.parent_path(), ec);
  std::ofstream out(note_, std::ios::trunc);
  for (int i = 0; i < kAccessFeatureCount; ++i)
    if (flags[i]) out << i << ' ' << *flags[i] << '\n';
  out.flush();
  return static_cast<bool>(out);
}

void ShortcutKeys::TurnOff() {
  Flags left{};
  if (ReadNote(left)) {
    // A run that died with the shortcuts off: what it found comes back first.
    for (int i = 0; i < kAccessFeatureCount; ++i)
      if (left[i]) changed_[i] = left[i];
    PutBack();
    if (std::filesystem::exists(note_)) return;  // not all of it came back: change nothing more
  }
  Flags found{};
  Flags wanted{};
  bool anyToChange = false;
  for (int i = 0; i < kAccessFeatureCount; ++i) {
    uint32_t flags = 0;
    if (!settings_.Get(FeatureAt(i), flags)) continue;
    if (FeatureAt(i) == AccessFeature::FilterKeys && (flags & kFeatureOn)) filterKeysOn_ = true;
    // A feature that is on is the user's choice; its shortcut is how they turn it off again.
    if ((flags & kFeatureOn) || !(flags & kShortcutBits)) continue;
    found[i] = flags;
    wanted[i] = flags & ~kShortcutBits;
    anyToChange = true;
  }
  if (!anyToChange || !WriteNote(found)) return;
  bool anyChanged = false;
  for (int i = 0; i < kAccessFeatureCount; ++i) {
    if (!wanted[i] || !settings_.Set(FeatureAt(i), *wanted[i])) continue;
    changed_[i] = found[i];
    anyChanged = true;
  }
  std::error_code ec;
  if (!anyChanged) std::filesystem::remove(note_, ec);
}

void ShortcutKeys::PutBack() {
  bool allBack = true;
  bool anyChanged = false;
  for (int i = 0; i < kAccessFeatureCount; ++i) {
    if (!changed_[i]) continue;
    anyChanged = true;
    if (settings_.Set(FeatureAt(i), *changed_[i])) {
      changed_[i].reset();
    } else {
      allBack = false;
    }
  }
  std::error_code ec;
  if (anyChanged && allBack) std::filesystem::remove(note_, ec);
}

}  // namespace plat
