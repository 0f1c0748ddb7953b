#include "tools/ranking/CommandLine.h"

#include "platform/Language.h"
#include "tools/ranking/Text.h"

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
    {"merge", CommandLine::Merge, 1, kAny}, {"backup", CommandLine::Backup, 0, 1},
};

constexpr plat::Bilingual kUsage = {
    "使い方: kavrel-ranking [--data-dir フォルダ] [--no-lock] list | remove 順位 | rename 順位 "
    "名前 | "
    "reset ranking|record|all | merge ファイル... | backup [フォルダ]",
    "usage: kavrel-ranking [--data-dir DIR] [--no-lock] list | remove PLACE | rename PLACE NAME | "
    "reset ranking|record|all | merge FILE... | backup [DIR]"};

std::string Bad(const plat::Bilingual& what, const std::string& detail = "") {
  return "kavrel-ranking: " + Fill(plat::Say(what), {detail}) + plat::Say({"", " "}) +
         plat::Say(kUsage);
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
    } else if (options && arg == "--no-lock") {
      line.noLock = true;
    } else if (options && arg.size() > 1 && arg[0] == '-') {
      error = Bad({"知らないオプションです: {}。", "unknown option {}."}, arg);
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
      error = Bad({"{} の引数の数が違います。", "wrong number of arguments for {}."}, words[0]);
      return std::nullopt;
    }
    return line;
  }
  error = Bad({"知らないコマンドです: {}。", "unknown command {}."}, words[0]);
  return std::nullopt;
}

const char* HelpText() {
  return plat::Say(
      {"使い方: kavrel-ranking [--data-dir フォルダ] [--no-lock] コマンド\n"
       "ゲームのランキング(kv_rank.dat)と記録(kavrel.dat)を直します。\n"
       "\n"
       "  list                  ランキング5位まで、最高記録、挑戦者番号を表示する\n"
       "  remove 順位           その順位を消す(下の順位が繰り上がる)\n"
       "  rename 順位 名前      名前を変える(名前入力で選べる半角文字、8文字まで)\n"
       "  reset ranking|record|all\n"
       "                        ランキング・記録・両方を初めての状態に戻す\n"
       "  merge ファイル...     他のブースの kv_rank.dat と合わせ、上位5つを残す\n"
       "  backup [フォルダ]     両ファイルを新しいフォルダにコピーする\n"
       "                        (kavrel-backup-日付-時刻)\n"
       "\n"
       "  --data-dir フォルダ   データのフォルダ(省略時はゲームと同じ)\n"
       "  --no-lock             ロックできないフォルダでも変える\n"
       "                        (ゲームが動いていないことを確かめてから)\n"
       "  --help, --version\n"
       "\n"
       "ゲームが動いている間は list 以外は何も変えません(終了コード 5)。\n"
       "フォルダをロックできないときも同じです(--no-lock がなければ)。\n"
       "終了コード: 0 完了、1 拒否(入力やファイルの問題)、2 コマンドラインの誤り、\n"
       "5 ゲームが使用中かロックできない。",
       "usage: kavrel-ranking [--data-dir DIR] [--no-lock] COMMAND\n"
       "Mends the game's ranking (kv_rank.dat) and record (kavrel.dat).\n"
       "\n"
       "  list                  show the top five, the best results and the\n"
       "                        challenger number\n"
       "  remove PLACE          remove a place; the places below move up\n"
       "  rename PLACE NAME     rename a place (up to 8 characters the name\n"
       "                        wheel can spell)\n"
       "  reset ranking|record|all\n"
       "                        start the ranking, the record or both afresh\n"
       "  merge FILE...         merge other booths' kv_rank.dat files, keeping\n"
       "                        the five best\n"
       "  backup [DIR]          copy both files into a new folder\n"
       "                        (kavrel-backup-DATE-TIME)\n"
       "\n"
       "  --data-dir DIR        the data folder (default: the game's own)\n"
       "  --no-lock             change a folder that cannot be locked (only when\n"
       "                        you are sure that no game runs there)\n"
       "  --help, --version\n"
       "\n"
       "While the game runs, every command but list changes nothing (exit code 5);\n"
       "so too where the folder cannot be locked, unless --no-lock is given.\n"
       "Exit codes: 0 done, 1 refused (bad input or a file problem),\n"
       "2 bad command line, 5 the game is using the folder, or it cannot be locked."});
}

}  // namespace ranking
