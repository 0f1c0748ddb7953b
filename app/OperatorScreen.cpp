#include "app/OperatorScreen.h"

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "app/OperatorDesk.h"
#include "display/CCDraw.h"
#include "game/Keys.h"
#include "game/SharedElements.h"
#include "game/Sounds.h"
#include "platform/Language.h"
#include "platform/LocalTime.h"
#include "platform/ShiftJis.h"
#include "platform/System.h"
#include "screens/Screens.h"
#include "store/Recovery.h"
#include "upkeep/Changes.h"
#include "upkeep/Commands.h"
#include "upkeep/DataFileAccess.h"
#include "upkeep/Edits.h"
#include "upkeep/Report.h"
#include "upkeep/Text.h"

namespace {

namespace fs = std::filesystem;
using plat::Say;

constexpr uint32_t kIdleMs = 60000;  // without a key, back to the attract screen
constexpr uint32_t kYellow = Rgb(255, 255, 0);
constexpr uint32_t kGrey = Rgb(160, 160, 160);
constexpr uint32_t kProblem = Rgb(255, 120, 120);
// A letter of size N is N pixels wide (a full-width one 2N): the lines of text take 76 letters
// of size 8, as the ranking tool's 80 columns; the lists are larger, to be read from a step back.
constexpr int kTextColumns = 76;
constexpr int kTitleSize = 16, kItemSize = 12, kItemStep = 28, kLineSize = 8, kLineStep = 17;
constexpr int kNumbersShown = 22;
// What a choice told, and a question, a little larger.
constexpr int kToldSize = 10, kToldStep = 22, kToldColumns = 60;

enum class Page {
  Top,
  Numbers,
  Ranking,
  Place,
  Kept,
  Backup,
  Report,
  Keys,
  Sound,
  NewDay,
  Confirm
};

// The keys the screen reads, each polled once a frame; the keys page shows them all.
struct KeyLook {
  int vk;
  const char* name;
};
constexpr KeyLook kKeys[] = {
    {plat::VK_UP, "UP"},           {plat::VK_DOWN, "DOWN"},       {plat::VK_LEFT, "LEFT"},
    {plat::VK_RIGHT, "RIGHT"},     {plat::VK_RETURN, "RETURN"},   {plat::VK_SPACE, "SPACE"},
    {plat::VK_NUMPAD1, "NUMPAD1"}, {plat::VK_NUMPAD2, "NUMPAD2"}, {plat::VK_Q, "Q"},
    {plat::VK_F2, "F2 / SERVICE"}};
constexpr int kKeyCount = static_cast<int>(std::size(kKeys));

struct Item {
  std::string text;  // UTF-8
  std::function<void()> choose;
};

// `utf8` in the game's text, cut into lines of `columns` half-width letters.
std::vector<std::string> Wrapped(const std::string& utf8, int columns) {
  const std::string sjis = Sjis(utf8);
  std::vector<std::string> lines(1);
  for (size_t i = 0; i < sjis.size();) {
    const size_t length =
        SjisIsLeadByte(static_cast<unsigned char>(sjis[i])) && i + 1 < sjis.size() ? 2 : 1;
    if (lines.back().size() + length > static_cast<size_t>(columns)) lines.emplace_back();
    lines.back() += sjis.substr(i, length);
    i += length;
  }
  return lines;
}

class Screen {
 public:
  Screen(Game& game, OperatorDesk& desk)
      : game_(game), desk_(desk), lastKey_(game.system.GetTickCount()) {}

  FrameOutcome Frame();
  bool RenameAsked() const { return renameAsked_; }
  // The place chosen spelled anew on the name entry's wheel, and renamed when it was confirmed.
  ScreenResult Rename();

 private:
  // 1. Reads every key once; 2. goes back after F2 or a minute without keys; 3. draws the page
  // with its list; 4. moves the cursor or chooses.
  void ReadKeys();
  std::vector<Item> Items();
  void Draw(const std::vector<Item>& items);
  void Go(Page page);
  void Ask(const std::string& question, std::function<void()> yes, Page back);
  void Show(std::vector<Told> told) { told_ = std::move(told); }
  std::vector<Item> PlaceItems();
  std::vector<Item> FolderItems(const std::function<void(const plat::Drive&)>& choose);
  std::string Today() const { return DateText(ToLocalTime(desk_.Now())); }

  Game& game_;
  OperatorDesk& desk_;
  Page page_ = Page::Top;
  int cursor_ = 0;
  int scroll_ = 0;
  std::vector<Told> told_;  // what the last choice told, shown under the list
  std::vector<std::string> numbers_;
  int place_ = 1;
  std::vector<std::string> kept_;
  std::vector<plat::Drive> drives_;
  std::string question_;
  std::function<void()> yes_;
  Page confirmBack_ = Page::Top;
  bool down_[kKeyCount] = {};
  bool pressed_[kKeyCount] = {};
  uint32_t lastKey_ = 0;
  bool leave_ = false;
  bool renameAsked_ = false;
  bool leavingAtRelease_ = false;
};

bool Pressed(const bool (&pressed)[kKeyCount], int vk) {
  for (int i = 0; i < kKeyCount; ++i)
    if (kKeys[i].vk == vk) return pressed[i];
  return false;
}

bool Down(const bool (&down)[kKeyCount], int vk) {
  for (int i = 0; i < kKeyCount; ++i)
    if (kKeys[i].vk == vk) return down[i];
  return false;
}

void Screen::ReadKeys() {
  bool any = false;
  for (int i = 0; i < kKeyCount; ++i) {
    const int32_t word = KeyWord(game_, kKeys[i].vk);
    down_[i] = word < 0;
    pressed_[i] = (word & 1) != 0;
    any = any || down_[i] || pressed_[i];
  }
  if (any) lastKey_ = game_.state.frameStartTick;
}

void Screen::Go(Page page) {
  page_ = page;
  cursor_ = 0;
  scroll_ = 0;
  if (page == Page::Numbers) {
    numbers_.clear();
    ranking::ReportRequest request;
    request.date = Today();
    for (const Told& line : OperatorDesk::Look([&](ranking::Output& out) {
           return ranking::Report(out, request, fs::current_path());
         }))
      for (const std::string& piece : Wrapped(line.utf8, kTextColumns)) numbers_.push_back(piece);
  }
  if (page == Page::Kept) {
    kept_.clear();
    std::error_code ec;
    for (const fs::directory_entry& entry : fs::directory_iterator(".", ec)) {
      const std::string name = ranking::Utf8Of(entry.path().filename());
      if (IsKeptAsideName(name)) kept_.push_back(name);
    }
    std::sort(kept_.begin(), kept_.end());
  }
  if (page == Page::Backup || page == Page::Report) drives_ = game_.system.RemovableDrives();
}

void Screen::Ask(const std::string& question, std::function<void()> yes, Page back) {
  question_ = question;
  yes_ = std::move(yes);
  confirmBack_ = back;
  page_ = Page::Confirm;
  cursor_ = 0;  // on "no"
}

std::vector<Item> Screen::PlaceItems() {
  const int place = place_;
  return {
      {Say({"名前を変える", "Change the name"}), [this] { renameAsked_ = true; }},
      {Say({"消す", "Remove"}),
       [this, place] {
         Ask(
             ranking::Fill(Say({"{}を消しますか？", "Remove {}?"}), {ranking::PlaceWord(place)}),
             [this, place] {
               Show(desk_.Change([place](ranking::Output& out) {
                 return ranking::RemoveFromRanking(out, place);
               }));
               Go(Page::Ranking);
             },
             Page::Place);
       }},
      {Say({"戻る", "Back"}), [this] { Go(Page::Ranking); }},
  };
}

// The data folder, then each removable drive mounted, then back.
std::vector<Item> Screen::FolderItems(const std::function<void(const plat::Drive&)>& choose) {
  std::vector<Item> items;
  const plat::Drive here{Say({"データのフォルダ", "The data folder"}),
                         ranking::Utf8Of(fs::current_path())};
  items.push_back({here.name, [choose, here] { choose(here); }});
  for (const plat::Drive& drive : drives_)
    items.push_back(
        {Say({"ドライブ ", "Drive "}) + drive.name, [choose, drive] { choose(drive); }});
  items.push_back({Say({"戻る", "Back"}), [this] { Go(Page::Top); }});
  return items;
}

std::vector<Item> Screen::Items() {
  const Item back{Say({"戻る", "Back"}), [this] { Go(Page::Top); }};
  switch (page_) {
    case Page::Top:
      return {
          {Say({"1 今日の数字", "1 The day's numbers"}), [this] { Go(Page::Numbers); }},
          {Say({"2 ランキング", "2 The ranking"}), [this] { Go(Page::Ranking); }},
          {Say({"3 控え（kept）", "3 Kept copies"}), [this] { Go(Page::Kept); }},
          {Say({"4 バックアップ", "4 Backup"}), [this] { Go(Page::Backup); }},
          {Say({"5 今日のレポート", "5 The day's report"}), [this] { Go(Page::Report); }},
          {Say({"6 キーとボタン", "6 Keys and buttons"}), [this] { Go(Page::Keys); }},
          // Items that later features add go here, before the last three.
          {Say({"7 音", "7 Sound"}), [this] { Go(Page::Sound); }},
          {Say({"新しい一日を始める", "Start a new day"}), [this] { Go(Page::NewDay); }},
          {Say({"ゲームを終える", "Quit the game"}),
           [this] {
             game_.state.keepRunning = 0;
             leave_ = true;
           }},
          {Say({"戻る（タイトル画面へ）", "Back (to the attract screen)"}),
           [this] { leave_ = true; }},
      };
    case Page::Numbers:
    case Page::Keys:
      return {back};
    case Page::Ranking: {
      std::vector<Item> items;
      for (int place = 1; place <= 5; ++place) {
        const RankingEntry& entry = game_.state.ranking[place - 1];
        items.push_back({ranking::Fill(Say({"{}  {}点  {}", "{}  {}  {}"}),
                                       {ranking::PlaceWord(place), std::to_string(entry.score),
                                        ranking::ReadableName(entry.name)}),
                         [this, place] {
                           place_ = place;
                           Go(Page::Place);
                         }});
      }
      items.push_back(back);
      return items;
    }
    case Page::Place:
      return PlaceItems();
    case Page::Kept: {
      std::vector<Item> items;
      for (const std::string& name : kept_)
        items.push_back({name, [this, name] {
                           Ask(
                               ranking::Fill(Say({"{} をランキングと記録に加えますか？",
                                                  "Merge {} into the ranking and the records?"}),
                                             {name}),
                               [this, name] {
                                 Show(desk_.Change([name](ranking::Output& out) {
                                   return ranking::MergeFiles(
                                       out, {fs::current_path() / fs::u8path(name)});
                                 }));
                                 Go(Page::Kept);
                               },
                               Page::Kept);
                         }});
      // Copies start-up could not read, apart: set aside, so that the next start is clean.
      for (const std::string& broken : desk_.BrokenCopies())
        items.push_back(
            {ranking::Fill(Say({"読めない控え {} をよける", "Set aside {} (unreadable)"}),
                           {broken}),
             [this, broken] {
               Ask(
                   ranking::Fill(Say({"読めない控え {} を別の名前にして、次の起動から"
                                      "使わないようにしますか？",
                                      "Rename the unreadable {} so that the next "
                                      "start no longer uses it?"}),
                                 {broken}),
                   [this] {
                     Show(desk_.SetAsideBrokenCopies());
                     Go(Page::Kept);
                   },
                   Page::Kept);
             }});
      items.push_back(back);
      return items;
    }
    case Page::Backup:
      return FolderItems([this](const plat::Drive& drive) {
        const int64_t now = desk_.Now();
        Show(desk_.Change([&drive, now](ranking::Output& out) {
          return ranking::Backup(out, ranking::PathFromUtf8(drive.path), now);
        }));
      });
    case Page::Report:
      return FolderItems([this](const plat::Drive& drive) {
        ranking::ReportRequest request;
        request.date = Today();
        request.page = ranking::PathFromUtf8(drive.path) /
                       ranking::PathFromUtf8("kavrel-report-" + *request.date + ".html");
        request.pageAsTyped = ranking::Utf8Of(*request.page);
        std::vector<Told> told = OperatorDesk::Look([&request](ranking::Output& out) {
          return ranking::Report(out, request, fs::current_path());
        });
        // The report's own lines are on the numbers page: here only where the page went.
        if (!told.empty() && !told.back().problem) told.erase(told.begin(), told.end() - 1);
        Show(told);
      });
    case Page::NewDay: {
      std::vector<Item> items;
      const struct {
        const char* ja;
        const char* en;
        bool record, ranking;
      } kinds[] = {
          {"ランキングだけ", "The ranking only", false, true},
          {"記録と挑戦者の番号だけ", "The records and the challenger number only", true, false},
          {"両方", "Both", true, true}};
      for (const auto& kind : kinds) {
        const bool record = kind.record, rankingToo = kind.ranking;
        const std::string label = Say({kind.ja, kind.en});
        items.push_back({label, [this, label, record, rankingToo] {
                           Ask(
                               ranking::Fill(Say({"{}を初めからにしますか？（先にデータのフォルダに"
                                                  "バックアップします）",
                                                  "{}: start afresh? (A backup into the data "
                                                  "folder is written first.)"}),
                                             {label}),
                               [this, record, rankingToo] {
                                 const int64_t now = desk_.Now();
                                 Show(desk_.Change([=](ranking::Output& out) {
                                   const int backedUp =
                                       ranking::Backup(out, fs::current_path(), now);
                                   if (backedUp != ranking::kDone) return backedUp;
                                   return ranking::StartAfresh(out, record, rankingToo);
                                 }));
                                 Go(Page::Top);
                               },
                               Page::NewDay);
                         }});
      }
      items.push_back(back);
      return items;
    }
    case Page::Sound: {
      // Each choice is heard at once and kept in kv_settings.txt at once.
      if (!game_.sound) return {back};
      SoundBoard& board = *game_.sound;
      const SoundSettings& now = board.Settings();
      const auto onOff = [](bool on) {
        return std::string(on ? Say({"入", "on"}) : Say({"切", "off"}));
      };
      return {{ranking::Fill(Say({"音: {}", "Sound: {}"}), {onOff(now.sound)}),
               [this, &board] {
                 board.SetSoundOn(!board.Settings().sound);
                 Show(desk_.SaveSoundSettings());
               }},
              {ranking::Fill(Say({"音量: {}（リターンで 1 上げ、10 の次は 0）",
                                  "Volume: {} (RETURN raises it by 1; after 10, 0)"}),
                             {std::to_string(now.volume)}),
               [this, &board] {
                 board.SetVolume((board.Settings().volume + 1) % (plat::kMaxVolume + 1));
                 Show(desk_.SaveSoundSettings());
               }},
              {ranking::Fill(Say({"呼び込み（ブースモード、3 分ごと）: {}",
                                  "Call (booth mode, every 3 minutes): {}"}),
                             {onOff(now.call)}),
               [this, &board] {
                 board.SetCall(!board.Settings().call);
                 Show(desk_.SaveSoundSettings());
               }},
              back};
    }
    case Page::Confirm:
      return {{Say({"いいえ", "No"}), [this] { Go(confirmBack_); }},
              {Say({"はい", "Yes"}), [this] { yes_(); }}};
  }
  return {back};
}

const char* Title(Page page) {
  switch (page) {
    case Page::Top:
      return Say({"オペレーター画面", "Operator's screen"});
    case Page::Numbers:
      return Say({"今日の数字", "The day's numbers"});
    case Page::Ranking:
    case Page::Place:
      return Say({"ランキング", "The ranking"});
    case Page::Kept:
      return Say({"控え（kept）", "Kept copies"});
    case Page::Backup:
      return Say({"バックアップ", "Backup"});
    case Page::Report:
      return Say({"今日のレポート（A4 一枚）", "The day's report (one A4 page)"});
    case Page::Keys:
      return Say({"キーとボタン", "Keys and buttons"});
    case Page::Sound:
      return Say({"音", "Sound"});
    case Page::NewDay:
      return Say({"新しい一日を始める", "Start a new day"});
    case Page::Confirm:
      return Say({"確かめてください", "Please confirm"});
  }
  return "";
}

void Screen::Draw(const std::vector<Item>& items) {
  CCDraw& draw = game_.draw;
  draw.DrawText(Sjis(Title(page_)), 12, 6, kWhite, kTitleSize);
  int y = 48;
  // What the page shows above its list.
  if (page_ == Page::Numbers) {
    for (int i = scroll_; i < static_cast<int>(numbers_.size()) && i < scroll_ + kNumbersShown;
         ++i) {
      draw.DrawText(numbers_[i], 12, y, kWhite, kLineSize);
      y += kLineStep;
    }
    y = 48 + kNumbersShown * kLineStep + 6;
  } else if (page_ == Page::Keys) {
    for (int i = 0; i < kKeyCount; ++i) {
      draw.DrawText(kKeys[i].name, 30 + 310 * (i % 2), y, kWhite, kItemSize);
      draw.DrawText(Sjis(down_[i] ? Say({"押した", "down"}) : "-"), 210 + 310 * (i % 2), y,
                    down_[i] ? kGreen : kGrey, kItemSize);
      if (i % 2 == 1) y += kItemStep;
    }
    // The controllers plugged in now, by name, so that a button that shows nothing above can be
    // told from a controller that is not there at all.
    const std::vector<std::string> pads = game_.system.ControllerNames();
    if (pads.empty())
      draw.DrawText(Sjis(Say({"コントローラーはつながっていません", "No controller is connected"})),
                    30, y, kGrey, kItemSize);
    for (size_t i = 0; i < pads.size() && i < 3; ++i) {
      draw.DrawText(Sjis(Say({"コントローラー: ", "Controller: "}) + pads[i]), 30, y, kWhite,
                    kItemSize);
      if (i + 1 < pads.size() && i + 1 < 3) y += kItemStep;
    }
    y += kItemStep + 12;
  } else if (page_ == Page::Confirm) {
    for (const std::string& line : Wrapped(question_, kToldColumns)) {
      draw.DrawText(line, 12, y, kYellow, kToldSize);
      y += kToldStep;
    }
    y += 8;
  } else if (page_ == Page::Place) {
    const RankingEntry& entry = game_.state.ranking[place_ - 1];
    draw.DrawText(Sjis(ranking::Fill(Say({"{}  {}点  {}", "{}  {}  {}"}),
                                     {ranking::PlaceWord(place_), std::to_string(entry.score),
                                      ranking::ReadableName(entry.name)})),
                  12, y, kYellow, kLineSize);
    y += kLineStep + 8;
  }
  for (int i = 0; i < static_cast<int>(items.size()); ++i) {
    const bool at = i == cursor_;
    if (at) draw.DrawText(">", 8, y, kYellow, kItemSize);
    draw.DrawText(Sjis(items[i].text), 28, y, at ? kYellow : kWhite, kItemSize);
    y += kItemStep;
  }
  // What the last choice told, under the list; the newest lines when they do not all fit.
  std::vector<std::pair<std::string, bool>> lines;
  for (const Told& told : told_)
    for (const std::string& piece : Wrapped(told.utf8, kToldColumns))
      lines.emplace_back(piece, told.problem);
  y += 8;
  const int room = std::max(0, (460 - y) / kToldStep);
  const size_t first = lines.size() > static_cast<size_t>(room) ? lines.size() - room : 0;
  for (size_t i = first; i < lines.size(); ++i) {
    draw.DrawText(lines[i].first, 12, y, lines[i].second ? kProblem : kGreen, kToldSize);
    y += kToldStep;
  }
  draw.DrawText(Sjis(Say({"↑↓ で選んで リターンで決定   F2: タイトル画面へ",
                          "UP/DOWN move, RETURN chooses, F2: back to the attract screen"})),
                8, 462, kGrey, kLineSize);
}

ScreenResult Screen::Rename() {
  renameAsked_ = false;
  GameState& s = game_.state;
  // The wheel works on the visitor's name and its own values: both are the game's again after.
  const Name visitor = s.playerName;
  const NameEntry entry = s.name;
  const uint32_t phaseStart = s.phaseStartTick;
  s.name = NameEntry{};
  s.name.prevReturnState = INT32_MIN;  // the RETURN that chose this spells nothing yet
  const ScreenResult result = NameEntryScreen(game_, kOperatorTiming);
  const bool confirmed = s.name.nameCursor == 8;
  const Name spelled = s.playerName;
  s.playerName = visitor;
  s.name = entry;
  s.phaseStartTick = phaseStart;
  if (result == ScreenResult::Quit) return result;
  lastKey_ = game_.system.GetTickCount();
  if (confirmed) {
    const int place = place_;
    Show(desk_.Change([place, spelled](ranking::Output& out) {
      return ranking::RenameInRanking(out, place, spelled);
    }));
  }
  Go(Page::Ranking);
  return ScreenResult::Next;
}

FrameOutcome Screen::Frame() {
  // 1. The keys, each read once.
  ReadKeys();
  // 2. F2 again, or a minute without a key: back to the attract screen.
  // (at F2's release, so that the attract screen does not take the same press as a new one).
  if (Pressed(pressed_, plat::VK_F2)) leavingAtRelease_ = true;
  if (leavingAtRelease_ && !Down(down_, plat::VK_F2)) return FrameOutcome::Leave;
  if (Elapsed(game_, lastKey_) >= kIdleMs) return FrameOutcome::Leave;
  // 3. The page and its list.
  std::vector<Item> items = Items();
  const int count = static_cast<int>(items.size());
  if (page_ == Page::Numbers) {
    const int last = std::max(0, static_cast<int>(numbers_.size()) - kNumbersShown);
    if (Pressed(pressed_, plat::VK_UP)) scroll_ = std::max(0, scroll_ - 1);
    if (Pressed(pressed_, plat::VK_DOWN)) scroll_ = std::min(last, scroll_ + 1);
  } else {
    // 4. UP and DOWN move round the list.
    if (Pressed(pressed_, plat::VK_UP)) cursor_ = (cursor_ + count - 1) % count;
    if (Pressed(pressed_, plat::VK_DOWN)) cursor_ = (cursor_ + 1) % count;
  }
  Draw(items);
  // 5. RETURN chooses.
  if (Pressed(pressed_, plat::VK_RETURN)) {
    if (page_ != Page::Confirm) told_.clear();
    items[cursor_].choose();
  }
  return leave_ || renameAsked_ ? FrameOutcome::Leave : FrameOutcome::Continue;
}

}  // namespace

ScreenResult OperatorScreen(Game& game, OperatorDesk& desk) {
  Screen screen(game, desk);
  for (;;) {
    if (RunFrames(game, kOperatorTiming, [&] { return screen.Frame(); }) == ScreenResult::Quit)
      return ScreenResult::Quit;
    if (!screen.RenameAsked()) return ScreenResult::Next;
    if (screen.Rename() == ScreenResult::Quit) return ScreenResult::Quit;
  }
}
