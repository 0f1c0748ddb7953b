#include "tools/ranking/CommandLine.h"

#include "platform/Language.h"
#include "upkeep/Text.h"

namespace ranking {
namespace {

struct CommandWord {
  const char* word;
  CommandLine::Kind kind;
  size_t fewest, most;  // arguments
};
constexpr size_t kAny = 1000;
constexpr CommandWord kCommands[] = {
    {"list", CommandLine::List, 0, 0},      {"remove", CommandLine::Remove, 1, 1},
    {"rename", CommandLine::Rename, 2, 2},  {"reset", CommandLine::Reset, 1, 1},
    {"merge", CommandLine::Merge, 1, kAny}, {"set-aside", CommandLine::SetAside, 0, 0},
    {"backup", CommandLine::Backup, 0, 1},  {"report", CommandLine::Report, 0, 0},
};

// Every line of the usage and the help keeps to 80 columns; a Japanese character takes two.
constexpr plat::Bilingual kUsage = {
    "使い方: kavrel-ranking [--data-dir フォルダ] [--no-lock] コマンド\n"
    "コマンド: list | remove 順位 | rename 順位 名前 | reset ranking|record|all\n"
    "          | merge ファイル... | set-aside | backup [フォルダ]  （説明は --help）\n"
    "          | report [--date 年-月-日 | --all] [--html ファイル]",
    "usage: kavrel-ranking [--data-dir DIR] [--no-lock] COMMAND\n"
    "commands: list | remove PLACE | rename PLACE NAME | reset ranking|record|all\n"
    "          | merge FILE... | set-aside | backup [DIR]   (see --help)\n"
    "          | report [--date YYYY-MM-DD | --all] [--html FILE]"};

// What is wrong on its own line, then the usage.
std::string Bad(const plat::Bilingual& what, const std::string& detail = "") {
  return "kavrel-ranking: " + Fill(plat::Say(what), {detail}) + "\n" + plat::Say(kUsage);
}

}  // namespace

std::optional<CommandLine> ParseCommandLine(const std::vector<std::string>& args,
                                            std::string& error) {
  CommandLine line;
  std::vector<std::string> words;
  bool options = true;
  for (size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (options && arg == "--") {
      options = false;
    } else if (options && (arg == "--help" || arg == "-h")) {
      line.kind = CommandLine::Help;
      return line;
    } else if (options && arg == "--version") {
      line.kind = CommandLine::Version;
      return line;
    } else if (options && arg == "--data-dir") {
      if (i + 1 >= args.size()) {
        error = Bad({"--data-dir にはフォルダが要ります。", "--data-dir needs a folder."});
        return std::nullopt;
      }
      line.dataDir = args[++i];
    } else if (options && (arg == "--date" || arg == "--html")) {
      if (i + 1 >= args.size()) {
        error = Bad({"{} には値が要ります。", "{} needs a value."}, arg);
        return std::nullopt;
      }
      (arg == "--date" ? line.date : line.page) = args[++i];
    } else if (options && arg == "--all") {
      line.all = true;
    } else if (options && arg == "--no-lock") {
      line.noLock = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      error = Bad({"{} というオプションはありません。", "unknown option {}."}, arg);
      return std::nullopt;
    } else {
      words.push_back(arg);
    }
  }
  if (words.empty()) {
    error = Bad({"コマンドがありません。", "no command given."});
    return std::nullopt;
  }
  for (const CommandWord& command : kCommands) {
    if (words[0] != command.word) continue;
    line.kind = command.kind;
    line.arguments.assign(words.begin() + 1, words.end());
    if (line.arguments.size() < command.fewest || line.arguments.size() > command.most) {
      error = Bad(command.kind == CommandLine::Remove
                      ? plat::Bilingual{"remove の後には順位を一つ書きます（例: remove 3）。",
                                        "remove takes one place (for example: remove 3)."}
                      : plat::Bilingual{"{} の後に書くものの数が違います（--help で確かめて"
                                        "ください）。",
                                        "wrong number of arguments for {} (see --help)."},
                  words[0]);
      return std::nullopt;
    }
    if (line.kind != CommandLine::Report && (line.date || line.all || line.page)) {
      error = Bad({"--date、--all、--html は report のオプションです。",
                   "--date, --all and --html are options of report."});
      return std::nullopt;
    }
    if (line.date && line.all) {
      error = Bad({"--date と --all は一緒に使えません。", "--date and --all do not go together."});
      return std::nullopt;
    }
    return line;
  }
  error = Bad({"{} というコマンドはありません。", "unknown command {}."}, words[0]);
  return std::nullopt;
}

const char* HelpText() {
  return plat::Say(
      {"使い方: kavrel-ranking [--data-dir フォルダ] [--no-lock] コマンド\n"
       "ゲームのランキングファイル（kv_rank.dat）と記録ファイル（kavrel.dat）を\n"
       "直します。プレイ記録（kv_plays.csv）のまとめも表示します。\n"
       "\n"
       "  list                  ランキングの五位まで、ダンボランとＢｏｕｎＺｏの\n"
       "                        最高記録、次の挑戦者の番号を表示する\n"
       "  remove 順位           その順位を消す（下の順位が繰り上がる）\n"
       "  rename 順位 名前      名前を変える（ネーム　エントリーで選べる半角の文字で\n"
       "                        8 文字まで）\n"
       "  reset ranking|record|all\n"
       "                        ランキング（五つとも 0 点 DEFAULT_）、記録ファイル\n"
       "                        （最高記録 0、次の挑戦者の番号 2）、その両方を\n"
       "                        初めからにする\n"
       "  merge ファイル...     ほかのブースの kv_rank.dat を取り込み、五位までを残す\n"
       "                        （*.kept-... の控えは、そのゲームが加えた分だけ。\n"
       "                        控えの名前だけなら、データのフォルダから探す）\n"
       "  set-aside             読めない控えを *.broken-日付-時刻 の名前でよける\n"
       "  backup [フォルダ]     その日のファイルをすべて（控えも、そのまま）\n"
       "                        kavrel-backup-日付-時刻 フォルダにコピーする\n"
       "  report [--date 年-月-日 | --all] [--html ファイル]\n"
       "                        プレイ記録から、その日（省略時は今日、--all は全日）\n"
       "                        をまとめる。--html で A4 一枚の印刷用ページも書く\n"
       "\n"
       "  --data-dir フォルダ   データのフォルダ（省略時はゲームと同じ）\n"
       "  --no-lock             ロックできないフォルダでも変える\n"
       "                        （ゲームが動いていないことを確かめてから）\n"
       "  --help, --version\n"
       "\n"
       "ゲームが動いている間は、list と report のほかは何も変えません（終了コード\n"
       "5）。ゲームをタイトル画面の Q で終えてから打ってください。\n"
       "フォルダをロックできないときも同じです（--no-lock がなければ）。\n"
       "終了コード: 0 できた、1 できなかった（入力やファイルの問題。二つのファイルを\n"
       "書くコマンドでは、一つ目だけを書いたこともあり、そう伝えます）、\n"
       "2 コマンドの書き方の誤り、5 ゲームが使用中かロックできない。",
       "usage: kavrel-ranking [--data-dir DIR] [--no-lock] COMMAND\n"
       "Mends the game's ranking (kv_rank.dat) and record (kavrel.dat).\n"
       "Also tells the day from the play log (kv_plays.csv).\n"
       "\n"
       "  list                  show the top five, the best distance, the best bounce\n"
       "                        score and the next challenger number\n"
       "  remove PLACE          remove a place; the places below move up\n"
       "  rename PLACE NAME     rename a place (up to 8 characters the name wheel can\n"
       "                        spell)\n"
       "  reset ranking|record|all\n"
       "                        start the ranking (five times 0 DEFAULT_), the record\n"
       "                        (best results 0, next challenger number 2) or both\n"
       "                        afresh\n"
       "  merge FILE...         keep the five best of this ranking and other booths'\n"
       "                        kv_rank.dat files (of a *.kept-... copy, only what\n"
       "                        the crashed game added; a copy's name alone is found\n"
       "                        in the data folder)\n"
       "  set-aside             rename a recovery copy that cannot be read to\n"
       "                        *.broken-DATE-TIME\n"
       "  backup [DIR]          copy every file of the day (copies too, as they are)\n"
       "                        into a new folder kavrel-backup-DATE-TIME\n"
       "  report [--date YYYY-MM-DD | --all] [--html FILE]\n"
       "                        the day's plays from kv_plays.csv (default today, --all\n"
       "                        every day); --html also writes a page to print on A4\n"
       "\n"
       "  --data-dir DIR        the data folder (default: the game's own)\n"
       "  --no-lock             change a folder that cannot be locked (only when\n"
       "                        you are sure that no game runs there)\n"
       "  --help, --version\n"
       "\n"
       "While the game runs, every command but list and report changes nothing\n"
       "(exit code 5): quit the game with Q on its attract screen first. So too where\n"
       "the folder cannot be locked, unless --no-lock is given.\n"
       "Exit codes: 0 done, 1 not done (bad input or a file problem; a command that\n"
       "writes both files may have written the first, and says so), 2 bad command\n"
       "line, 5 the game is using the folder, or it cannot be locked."});
}

}  // namespace ranking
