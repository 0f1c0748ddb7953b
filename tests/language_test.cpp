// The operator's language as the launcher and the tools choose it on Linux: from the environment
// alone, so that it works where no Japanese locale is generated.
#include "platform/Language.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <regex>
#include <set>
#include <sstream>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "game/Sprites.h"
#include "platform/BoxLines.h"
#include "platform/Controls.h"
#include "platform/DirectoryLock.h"
#include "store/BoothLog.h"
#include "store/DataFiles.h"
#include "store/PlayLogFormat.h"
#include "store/Reasons.h"
#include "store/Recovery.h"
#include "store/RecoveryCopy.h"
#include "store/SettingsFile.h"
#include "tests/support/Scenario.h"
#include "tools/ranking/Run.h"

#ifndef _WIN32

namespace {

constexpr const char* kVariables[] = {"LANGUAGE", "LC_ALL", "LC_MESSAGES", "LANG"};

// Sets the four variables for one case and puts the test's own environment back afterwards.
class Environment {
 public:
  Environment() {
    for (int i = 0; i < 4; ++i) {
      const char* value = std::getenv(kVariables[i]);
      if (value) saved_[i] = value;
    }
  }
  ~Environment() {
    for (int i = 0; i < 4; ++i) Set(kVariables[i], saved_[i] ? saved_[i]->c_str() : nullptr);
  }
  static void Set(const char* name, const char* value) {
    if (value)
      setenv(name, value, 1);
    else
      unsetenv(name);
  }

 private:
  std::optional<std::string> saved_[4];
};

TEST(OperatorLanguage, FirstVariableSetDecides) {
  struct Case {
    const char* language;
    const char* lcAll;
    const char* lcMessages;
    const char* lang;
    bool japanese;
  };
  // nullptr: not set. "" counts as not set, as for the C library.
  const Case cases[] = {
      {nullptr, nullptr, nullptr, nullptr, false},
      {nullptr, nullptr, nullptr, "ja_JP.UTF-8", true},
      {nullptr, nullptr, nullptr, "ja_JP.eucJP", true},
      {nullptr, nullptr, nullptr, "ja", true},
      {nullptr, nullptr, nullptr, "ja_JP@cjknarrow", true},
      {nullptr, nullptr, nullptr, "C", false},
      {nullptr, nullptr, nullptr, "C.UTF-8", false},
      {nullptr, nullptr, nullptr, "en_US.UTF-8", false},
      {nullptr, nullptr, nullptr, "jam", false},  // not Japanese, however it begins
      {nullptr, nullptr, nullptr, "JA_JP", false},
      {nullptr, nullptr, "ja_JP.UTF-8", "C", true},
      {nullptr, nullptr, "C", "ja_JP.UTF-8", false},
      {nullptr, "ja_JP.UTF-8", "en_GB.UTF-8", "C", true},
      {nullptr, "C", "ja_JP.UTF-8", "ja_JP.UTF-8", false},
      {nullptr, "", "", "ja_JP.UTF-8", true},
      {"ja:en", "C", nullptr, nullptr, true},
      {"ja_JP", nullptr, nullptr, "en_US.UTF-8", true},
      {"en:ja", nullptr, nullptr, "ja_JP.UTF-8", false},  // the first choice in the list counts
      {"", nullptr, nullptr, "ja_JP.UTF-8", true},
      {"", "", "", "", false},
  };
  for (const Case& c : cases) {
    Environment environment;
    Environment::Set("LANGUAGE", c.language);
    Environment::Set("LC_ALL", c.lcAll);
    Environment::Set("LC_MESSAGES", c.lcMessages);
    Environment::Set("LANG", c.lang);
    const auto shown = [](const char* v) { return v ? "\"" + std::string(v) + "\"" : "unset"; };
    SCOPED_TRACE("LANGUAGE=" + shown(c.language) + " LC_ALL=" + shown(c.lcAll) +
                 " LC_MESSAGES=" + shown(c.lcMessages) + " LANG=" + shown(c.lang));
    EXPECT_EQ(plat::OperatorReadsJapanese(), c.japanese);
    EXPECT_STREQ(plat::Say({"ja", "en"}), c.japanese ? "ja" : "en");
  }
}

// Columns a terminal gives a UTF-8 line: two for a Japanese (wide or full-width) character.
size_t Columns(const std::string& line) {
  size_t columns = 0;
  for (size_t i = 0; i < line.size();) {
    const unsigned char lead = line[i];
    const size_t length = lead < 0x80 ? 1 : lead < 0xE0 ? 2 : lead < 0xF0 ? 3 : 4;
    columns += length >= 3 ? 2 : 1;  // U+0800 up: kana, kanji, full-width forms, ～ and the like
    i += length;
  }
  return columns;
}

struct Captured : ranking::Output {
  std::string text;
  void Line(const std::string& utf8) override { text += utf8 + "\n"; }
  void Problem(const std::string& utf8) override { text += utf8 + "\n"; }
};

// The ranking tool's help and its answer to a bad command line, read in a terminal of 80 columns.
TEST(OperatorLanguage, ToolHelpAndUsageFitEightyColumns) {
  for (const char* lang : {"ja_JP.UTF-8", "C"}) {
    Environment environment;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) Environment::Set(name, nullptr);
    Environment::Set("LANG", lang);
    for (const std::vector<std::string>& args :
         std::vector<std::vector<std::string>>{{"--help"}, {"sort"}, {"--data-dir"}}) {
      Captured out;
      ranking::Run(args, out);
      std::istringstream lines(out.text);
      int count = 0;
      for (std::string line; std::getline(lines, line); ++count)
        EXPECT_LE(Columns(line), 80u) << lang << " " << args[0] << ": " << line;
      EXPECT_GE(count, 3) << out.text;
    }
  }
}

// One table of words for a file failure, shared by the boxes, the tool and the launcher: each
// cause has words of its own in both languages, and the tool says them in the operator's.
TEST(OperatorLanguage, OneTableOfReasonsInBothLanguages) {
  const int causes[] = {ENOENT,  EACCES, EROFS,           ENOSPC, EISDIR,
                        ENOTDIR, ELOOP,  kContentDamaged, EIO};
  std::vector<std::string> seen;
  for (const int error : causes) {
    const plat::Bilingual reason = FileFailureReason(error);
    for (const std::string& other : seen) EXPECT_TRUE(other != reason.ja && other != reason.en);
    seen.insert(seen.end(), {reason.ja, reason.en});
    for (const char* c = reason.en; *c; ++c) EXPECT_GT(*c, 0) << reason.en;  // any console
    EXPECT_STREQ(JapaneseReason(error), reason.ja);
  }
  EXPECT_STREQ(FileFailureReason(EPERM).ja, FileFailureReason(EACCES).ja);
  EXPECT_STREQ(FileFailureReason(ENOENT).ja, "ファイルかフォルダが見つかりません");
  // Every row: a reason a box can put in its one pair of brackets, and a remedy in whole
  // sentences in both languages.
  EXPECT_EQ(AllFileFailures().size(), std::size(causes));
  for (const FileFailure* row : AllFileFailures()) {
    const std::string reason = row->reason.ja, remedy = row->remedy.ja, en = row->remedy.en;
    for (const char* bracket : {"（", "）", "(", ")"})
      EXPECT_EQ(reason.find(bracket), std::string::npos) << reason;
    ASSERT_GT(remedy.size(), 3u);
    EXPECT_EQ(remedy.substr(remedy.size() - 3), "。") << remedy;
    ASSERT_FALSE(en.empty());
    EXPECT_EQ(en.back(), '.') << en;
    for (const char c : en) EXPECT_GT(c, 0) << en;
  }

  ScratchDir dir;
  std::filesystem::create_directory(dir.PathOf("kv_rank.dat"));
  for (const bool japanese : {true, false}) {
    Environment environment;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) Environment::Set(name, nullptr);
    Environment::Set("LANG", japanese ? "ja_JP.UTF-8" : "C");
    Captured out;
    EXPECT_EQ(ranking::Run({"--data-dir", dir.Path(), "list"}, out), 1);
    const plat::Bilingual reason = FileFailureReason(EISDIR);
    EXPECT_NE(out.text.find(japanese ? reason.ja : reason.en), std::string::npos) << out.text;
  }
}

// A box's lines: each fits, nothing of the text is lost, a file name or a command stays whole on
// one line, no line starts with a closing mark, and a path wider than a line is split at its '/'.
TEST(BoxLines, EveryLineFitsAndNamesStayWhole) {
  struct Case {
    std::string text;
    int limit;
    std::vector<std::string> whole;
  };
  const Case cases[] = {
      {"保存できませんでした（ファイルかフォルダが見つかりません）。kavrel-ranking merge で"
       "kavrel.recovery を戻してください。",
       30,
       {"kavrel-ranking merge", "kavrel.recovery", "（ファイル"}},
      {"The day's results were kept aside as kavrel.dat.kept-20260101-101010; start it again "
       "with kavrel --booth and run kavrel-ranking merge once it is up.",
       40,
       {"kavrel.dat.kept-20260101-101010;", "kavrel --booth", "kavrel-ranking merge"}},
      {"読めません: /home/operator/.local/share/kavrel/kv_rank.dat\n次へ", 24, {"kv_rank.dat"}},
      {"一行目\n\n三行目", 10, {"一行目\n\n三行目"}},
  };
  const auto width = [](std::string_view s) { return static_cast<int>(Columns(std::string(s))); };
  for (const Case& c : cases) {
    const std::string broken = plat::BreakIntoLines(c.text, c.limit, width);
    SCOPED_TRACE(broken);
    std::istringstream lines(broken);
    for (std::string line; std::getline(lines, line);) {
      EXPECT_LE(width(line), c.limit) << line;
      for (const char* closing : {"、", "。", "）", "」"}) EXPECT_NE(line.rfind(closing, 0), 0u);
    }
    for (const std::string& name : c.whole) EXPECT_NE(broken.find(name), std::string::npos) << name;
    std::string shown = broken, given = c.text;
    std::erase(shown, ' ');
    std::erase(shown, '\n');
    std::erase(given, ' ');
    std::erase(given, '\n');
    EXPECT_EQ(shown, given);
  }
}

// ---- The file names the texts give ------------------------------------------------------------

std::string FileText(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), {});
}

// A command's standard output.
std::string Output(const std::string& command) {
  std::string text;
  if (FILE* out = popen(command.c_str(), "r")) {
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, out)) > 0;) text.append(buf, n);
    pclose(out);
  }
  return text;
}

// Every text an operator reads about the data folder: the documents, the man pages and each
// program's --help in both languages, man pages without their font escapes.
std::vector<std::pair<std::string, std::string>> OperatorTexts() {
  namespace fs = std::filesystem;
  const fs::path root = KAVREL_SOURCE_DIR;
  std::vector<fs::path> files = {root / "README.md", root / "docs/operator-ja.md",
                                 root / "scripts/windows/README.txt",
                                 root / "scripts/windows/README-en.txt"};
  for (const fs::path folder : {root / "packaging", root / "packaging/ja"})
    for (const auto& entry : fs::directory_iterator(folder))
      if (entry.path().string().ends_with(".6.in")) files.push_back(entry.path());
  std::vector<std::pair<std::string, std::string>> texts;
  for (const fs::path& file : files) {
    const std::string text =
        std::regex_replace(std::regex_replace(FileText(file), std::regex(R"(\\f[BIRP])"), ""),
                           std::regex(R"(\\-)"), "-");
    texts.push_back({fs::relative(file, root).string(), text});
  }
  const std::string launcher = KAVREL_BINARY_DIR "/packaging/games/kavrel";
  for (const char* lang : {"ja_JP.UTF-8", "C"}) {
    Environment environment;
    for (const char* name : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"}) Environment::Set(name, nullptr);
    Environment::Set("LANG", lang);
    Captured tool;
    ranking::Run({"--help"}, tool);
    texts.push_back({std::string("kavrel-ranking --help, ") + lang, tool.text});
    texts.push_back({std::string("the game's --help, ") + lang, GameHelp()});
    if (std::filesystem::exists(launcher))
      texts.push_back({std::string("kavrel --help, ") + lang, Output("'" + launcher + "' --help")});
  }
  return texts;
}

// Whether `name` is one the game, the launcher or the tool writes into the data folder, or a
// pattern of such names ("kavrel.dat.kept-YYYYMMDD-HHMMSS", "*.broken-...").
bool WrittenName(const std::string& name) {
  const std::set<std::string> files = {
      kRecordFileName,      kRankingFileName,   kPlayLogFileName,  kPlayLogSideFileName,
      kPlayLogMoveFileName, kPassCopyFileName,  kBoothLogFileName, plat::kControlsFileName,
      plat::kLockFileName,  kKeptAtEscNoteName, kSpriteSheetFile,  kSettingsFileName};
  if (files.count(name)) return true;
  // The operator's screen's page of the day, and a controls file the mapping screen set aside.
  if (std::regex_match(name, std::regex(R"(kavrel-report-YYYY-MM-DD\.html)"))) return true;
  if (name == std::string(plat::kControlsFileName) + ".unreadable") return true;
  // The operator's own sounds, which the game reads there.
  if (std::regex_match(name, std::regex(R"(kv_se_[a-z]+\.wav)"))) return true;
  std::smatch m;
  // Set aside with a date and a time (-2, -3... when the name is taken), or a temporary of a
  // process.
  if (std::regex_match(name, m, std::regex(R"((.*)\.(kept|broken)-.*)")))
    return files.count(m[1]) || m[1] == "*" || WrittenName(m[1]);
  if (std::regex_match(name, m, std::regex(R"(\.?(.*)\.tmp\.[0-9]+)"))) return files.count(m[1]);
  return false;
}

// Names of files of the programs, not of the data folder.
bool ProgramFile(const std::string& name) {
  return std::regex_match(name,
                          std::regex(R"(kavrel(-[a-z0-9]+)*\.(exe|6|desktop|png|service|zip))"));
}

// Names earlier versions wrote, which a text may give as theirs ("…of earlier versions").
bool OlderName(const std::string& name) {
  return std::regex_match(name, std::regex(R"((kavrel|kv_rank)\.dat\.(recovery|tmp)(\..*)?)"));
}

TEST(OperatorTexts, NameOnlyFilesTheProgramsWrite) {
  const std::regex candidate(
      R"((^|[^A-Za-z0-9_./\\-])(\*?\.?(kavrel|kv_)[A-Za-z0-9_-]*(\.[^\s`'"()（）、。,;:|<>\\]+)+))");
  // Words that say a name is an earlier version's, in either language.
  const std::regex older(
      "earlier version|older version|前のバージョン|以前のバージョン|古いバージョン",
      std::regex::icase);
  for (const auto& [source, text] : OperatorTexts()) {
    std::istringstream lines(text);
    std::vector<std::string> all;
    for (std::string line; std::getline(lines, line);) all.push_back(line);
    for (size_t i = 0; i < all.size(); ++i) {
      for (std::sregex_iterator it(all[i].begin(), all[i].end(), candidate), end; it != end; ++it) {
        std::string name = (*it)[2];
        while (!name.empty() && name.back() == '.') name.pop_back();
        if (WrittenName(name) || ProgramFile(name)) continue;
        // The sentence that gives an older name says so, on its line or the lines around it.
        std::string around;
        for (size_t j = i >= 3 ? i - 3 : 0; j < std::min(all.size(), i + 4); ++j) around += all[j];
        if (OlderName(name) && std::regex_search(around, older)) continue;
        ADD_FAILURE() << source << ":" << i + 1 << ": no program writes " << name << "\n  "
                      << all[i];
      }
    }
  }
}

// Each reason a box or the tool gives has its remedy in the guide and in both Windows READMEs.
TEST(OperatorTexts, ExplainEveryReason) {
  const std::filesystem::path root = KAVREL_SOURCE_DIR;
  const std::string guide = FileText(root / "docs/operator-ja.md");
  const std::string readme = FileText(root / "scripts/windows/README.txt");
  std::string english = FileText(root / "scripts/windows/README-en.txt");
  std::transform(english.begin(), english.end(), english.begin(),
                 [](unsigned char c) { return std::tolower(c); });
  for (const FileFailure* row : AllFileFailures()) {
    EXPECT_NE(guide.find(row->reason.ja), std::string::npos) << row->reason.ja;
    EXPECT_NE(readme.find(row->reason.ja), std::string::npos) << row->reason.ja;
    EXPECT_NE(english.find(row->reason.en), std::string::npos) << row->reason.en;
  }
}

}  // namespace

#endif
