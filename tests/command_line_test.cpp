#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/CommandLine.h"
#include "platform/Input.h"
#include "platform/Platform.h"

namespace {

struct Message {
  std::string caption;
  std::string text;
  MessageBoxStyle style;
  bool operator==(const Message& o) const {
    return caption == o.caption && text == o.text && style == o.style;
  }
};

std::vector<Message> g_messages;

int RecordMessage(const char* text, const char* caption, MessageBoxStyle style) {
  g_messages.push_back({caption, text, style});
  return MessageBoxAnswerOk;
}

const char kInvalid[] = "無効なコマンドライン";
const char kDuplicate[] = "重複するコマンドライン";

Message Invalid(const std::string& token) { return {token, kInvalid, MessageBoxOkInformation}; }
Message Duplicate(const std::string& token) { return {token, kDuplicate, MessageBoxOkInformation}; }

std::string Cwd() {
  char buffer[4096];
  return getcwd(buffer, sizeof(buffer)) ? buffer : "";
}

class CommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // Dirty the globals first: the reset must set every one of them.
    g_cmdStage = g_cmdPower = g_cmdDifficulty = 3;
    g_padButtonMap[5] = 4;
    g_replayFileArg[0] = 'x';
    ResetCommandLineValues();
    g_messages.clear();
    PlatformSetMessageHook(RecordMessage);
    startDir_ = Cwd();
  }
  void TearDown() override {
    PlatformSetMessageHook(nullptr);
    if (Cwd() != startDir_) {
      ASSERT_EQ(chdir(startDir_.c_str()), 0);
    }
  }
  std::string startDir_;
};

// The values a tail can set; -1 where not given.
struct Values {
  int stage = -1, power = -1, optionCount = -1, optionType = -1, difficulty = -1;
  int bgm = -1, se = -1, playReplay = -1, fullscreen = -1, rotate = -1, padGiven = 0;
  std::string replay;
  std::vector<int> map = std::vector<int>(16, -1);
};

Values Current() {
  Values v;
  v.stage = g_cmdStage;
  v.power = g_cmdPower;
  v.optionCount = g_cmdOptionCount;
  v.optionType = g_cmdOptionType;
  v.difficulty = g_cmdDifficulty;
  v.bgm = g_cmdBgmVolume;
  v.se = g_cmdSeVolume;
  v.playReplay = g_cmdPlayReplay;
  v.fullscreen = g_fullscreen;
  v.rotate = g_rotateScreen;
  v.padGiven = g_cmdPadMapGiven;
  v.replay = g_replayFileArg;
  v.map.assign(g_padButtonMap, g_padButtonMap + 16);
  return v;
}

void ExpectValues(const Values& want, const std::string& tail) {
  const Values got = Current();
  EXPECT_EQ(got.stage, want.stage) << tail;
  EXPECT_EQ(got.power, want.power) << tail;
  EXPECT_EQ(got.optionCount, want.optionCount) << tail;
  EXPECT_EQ(got.optionType, want.optionType) << tail;
  EXPECT_EQ(got.difficulty, want.difficulty) << tail;
  EXPECT_EQ(got.bgm, want.bgm) << tail;
  EXPECT_EQ(got.se, want.se) << tail;
  EXPECT_EQ(got.playReplay, want.playReplay) << tail;
  EXPECT_EQ(got.fullscreen, want.fullscreen) << tail;
  EXPECT_EQ(got.rotate, want.rotate) << tail;
  EXPECT_EQ(got.padGiven, want.padGiven) << tail;
  EXPECT_EQ(got.replay, want.replay) << tail;
  EXPECT_EQ(got.map, want.map) << tail;
}

struct SwitchCase {
  std::string tail;
  void (*want)(Values&);
  std::vector<Message> messages;
};

TEST_F(CommandLineTest, SwitchTable) {
  const std::vector<SwitchCase> cases = {
      {"", [](Values&) {}, {}},
      {"fs wnd P3", [](Values&) {}, {}},  // no '/': nothing is a switch
      {"/fs /P3 /o12 /T23",
       [](Values& v) { v.fullscreen = 1, v.power = 3, v.optionCount = 12, v.optionType = 23; },
       {}},
      {"/P21", [](Values&) {}, {Invalid("P21")}},
      {"/P3 /P4", [](Values& v) { v.power = 3; }, {Duplicate("P4")}},
      {"/P21 /P4", [](Values& v) { v.power = 4; }, {Invalid("P21")}},
      // Duplicates are tested before the range.
      {"/s3 /s9", [](Values& v) { v.stage = 3; }, {Duplicate("s9")}},
      {"/p0 /O5 /t0", [](Values& v) { v.power = 0, v.optionCount = 5, v.optionType = 0; }, {}},
      {"/P05 /T7x /o13 /T24", [](Values&) {},
       {Invalid("P05"), Invalid("T7x"), Invalid("o13"), Invalid("T24")}},
      {"/S8 /D9", [](Values& v) { v.stage = 8, v.difficulty = 9; }, {}},
      {"/s0 /s9 /dx /s12", [](Values&) {},
       {Invalid("s0"), Invalid("s9"), Invalid("dx"), Invalid("s12")}},
      {"/fs /wnd /rot /f1 /r0", [](Values& v) { v.fullscreen = 1, v.rotate = 0; }, {}},
      {"/nrm /r1 /f0", [](Values& v) { v.fullscreen = 0, v.rotate = 1; }, {}},
      {"/FS /Rot", [](Values&) {}, {Invalid("FS"), Invalid("Rot")}},
      {"/bv0 /SV123456", [](Values& v) { v.bgm = 0, v.se = 12345; }, {}},
      {"/bv-20 /svx", [](Values& v) { v.bgm = -20, v.se = 0; }, {}},
      {"/bv5 /bv6", [](Values& v) { v.bgm = 5; }, {Duplicate("bv6")}},
      {"/bv", [](Values&) {}, {Invalid("bv")}},
      {"/jA5", [](Values& v) { v.map[0] = 5, v.padGiven = 1; }, {}},
      {"/jA-", [](Values& v) { v.padGiven = 1; }, {}},
      {"/jp15 /Jb123 /jC99", [](Values& v) { v.map[15] = 15, v.map[1] = 12, v.map[2] = 99, v.padGiven = 1; }, {}},
      {"/jQ3 /jz1", [](Values&) {}, {}},  // letters after P: ignored silently
      {"/jA", [](Values&) {}, {Invalid("jA")}},
      {"/j55", [](Values&) {}, {Invalid("j55")}},
      {"/rep:a.dat", [](Values& v) { v.playReplay = 1, v.replay = "a.dat"; }, {}},
      {"/rep:.dat", [](Values&) {}, {Invalid("rep:.dat")}},
      {"/REP:/tmp/my replay.dat /fs",
       [](Values& v) { v.playReplay = 1, v.replay = "/tmp/my replay.dat /fs"; }, {}},
      {"/rep:x.dat /rep:yy.dat", [](Values& v) { v.playReplay = 1, v.replay = "x.dat /rep:yy.dat"; }, {}},
      {"/fs/wnd /", [](Values&) {}, {Invalid("fs/wnd")}},
      {"/fs ", [](Values& v) { v.fullscreen = 1; }, {}},
      {"/ /x", [](Values&) {}, {Invalid(""), Invalid("x")}},
  };
  for (const SwitchCase& c : cases) {
    ResetCommandLineValues();
    g_messages.clear();
    EXPECT_TRUE(ParseCommandLine(c.tail.c_str())) << c.tail;
    Values want;
    c.want(want);
    ExpectValues(want, c.tail);
    EXPECT_EQ(g_messages, c.messages) << c.tail;
  }
}

TEST_F(CommandLineTest, LongTokensAreRefusedWholeNeverCut) {
  const std::string fits = "rep:" + std::string(247, 'a') + ".dat";  // 255 characters
  ASSERT_EQ(fits.size(), 255u);
  EXPECT_TRUE(ParseCommandLine(("/" + fits).c_str()));
  EXPECT_EQ(std::string(g_replayFileArg), fits.substr(4));
  EXPECT_EQ(g_cmdPlayReplay, 1);
  EXPECT_TRUE(g_messages.empty());

  const std::string tooLong = "rep:" + std::string(248, 'a') + ".dat";  // 256 characters
  ResetCommandLineValues();
  EXPECT_TRUE(ParseCommandLine(("/" + tooLong + " /fs").c_str()));
  EXPECT_EQ(g_replayFileArg[0], '\0');
  EXPECT_EQ(g_cmdPlayReplay, -1);
  EXPECT_EQ(g_fullscreen, -1);  // after the ':' the rest of the line belongs to the token
  ASSERT_EQ(g_messages.size(), 1u);
  EXPECT_EQ(g_messages[0], Invalid(tooLong + " /fs"));

  ResetCommandLineValues();
  g_messages.clear();
  const std::string volume = "bv" + std::string(400, '7');
  EXPECT_TRUE(ParseCommandLine(("/" + volume + " /fs").c_str()));
  EXPECT_EQ(g_cmdBgmVolume, -1);
  EXPECT_EQ(g_fullscreen, 1);
  EXPECT_EQ(g_messages, (std::vector<Message>{Invalid(volume)}));
}

TEST_F(CommandLineTest, QuotedPathErrorsEndTheProgram) {
  const struct {
    const char* tail;
    const char* text;
  } cases[] = {
      {"\"a.dat\" \"b.dat\"", "複数ファイルの同時再生は実行できません。"},
      {"\"replay.txt\"", ".datファイル以外の再生は実行できません。"},
      {"\"replay.da\"", ".datファイル以外の再生は実行できません。"},
  };
  for (const auto& c : cases) {
    ResetCommandLineValues();
    g_messages.clear();
    EXPECT_FALSE(ParseCommandLine(c.tail)) << c.tail;
    EXPECT_EQ(g_messages, (std::vector<Message>{{"起動時エラー", c.text, MessageBoxOk}})) << c.tail;
    EXPECT_EQ(g_cmdPlayReplay, -1);
    EXPECT_EQ(g_replayFileArg[0], '\0');
    EXPECT_EQ(Cwd(), startDir_);
  }
}

TEST_F(CommandLineTest, QuotedPathPlaysFromTheProgramFolder) {
  const std::string folder = ProgramFolder();
  ASSERT_FALSE(folder.empty());
  const struct {
    const char* tail;
    std::string replay;
  } cases[] = {
      {"\"REPLAY.DAT\"", startDir_ + "/REPLAY.DAT"},
      {"\"sub dir/abcdat\"", startDir_ + "/sub dir/abcdat"},  // the character before "dat" is free
      {"\"/abs/x.Dat\"", "/abs/x.Dat"},
  };
  for (const auto& c : cases) {
    ASSERT_EQ(chdir(startDir_.c_str()), 0);
    ResetCommandLineValues();
    g_messages.clear();
    EXPECT_TRUE(ParseCommandLine(c.tail)) << c.tail;
    EXPECT_EQ(std::string(g_replayFileArg), c.replay);
    EXPECT_EQ(g_cmdPlayReplay, 1);
    EXPECT_TRUE(g_messages.empty());
    EXPECT_EQ(Cwd(), folder);
  }
  // Six characters are too short for a quoted path: read as switches, of which there are none.
  ResetCommandLineValues();
  EXPECT_TRUE(ParseCommandLine("\"a.da\""));
  EXPECT_EQ(g_cmdPlayReplay, -1);
}

TEST_F(CommandLineTest, OverlongQuotedPathIsRefused) {
  const std::string path = "/" + std::string(251, 'p') + ".dat";  // 256 characters
  EXPECT_FALSE(ParseCommandLine(("\"" + path + "\"").c_str()));
  EXPECT_EQ(g_messages, (std::vector<Message>{{"起動時エラー", kInvalid, MessageBoxOk}}));
  EXPECT_EQ(g_cmdPlayReplay, -1);
  EXPECT_EQ(g_replayFileArg[0], '\0');
  EXPECT_EQ(Cwd(), startDir_);
  // A relative path counts with the folder it is made absolute with.
  g_messages.clear();
  const std::string relative(256 - startDir_.size() - 1 - 4, 'r');
  EXPECT_FALSE(ParseCommandLine(("\"" + relative + ".dat\"").c_str()));
  EXPECT_EQ(g_messages.size(), 1u);
  g_messages.clear();
  EXPECT_TRUE(ParseCommandLine(("\"" + relative.substr(1) + ".dat\"").c_str()));
  EXPECT_EQ(std::string(g_replayFileArg).size(), 255u);
}

TEST(CommandLineTail, RebuiltFromArguments) {
  char dirTemplate[] = "/tmp/wexla-cmdline-XXXXXX";
  ASSERT_NE(mkdtemp(dirTemplate), nullptr);
  const std::string existing = std::string(dirTemplate) + "/r.dat";
  std::FILE* f = std::fopen(existing.c_str(), "wb");
  ASSERT_NE(f, nullptr);
  std::fclose(f);

  const struct {
    std::vector<std::string> args;
    std::string tail;
  } cases[] = {
      {{}, ""},
      {{"/fs", "/P3"}, "/fs /P3"},
      {{"/rep:my", "file.dat"}, "/rep:my file.dat"},
      {{"a.dat"}, "\"a.dat\""},
      {{"a b.dat", "c.dat"}, "\"a b.dat\" \"c.dat\""},
      {{existing}, "\"" + existing + "\""},  // an existing file starting with '/' is a path
  };
  for (const auto& c : cases) {
    std::vector<const char*> argv = {"wexla"};
    for (const std::string& a : c.args) argv.push_back(a.c_str());
    EXPECT_EQ(BuildCommandLineTail(static_cast<int>(argv.size()), argv.data()), c.tail);
  }
  std::remove(existing.c_str());
  rmdir(dirTemplate);
}

TEST_F(CommandLineTest, RebuiltTailWithABlankInARepPath) {
  const char* argv[] = {"wexla", "/rep:my", "file.dat", "/s2"};
  const std::string tail = BuildCommandLineTail(4, argv);
  EXPECT_TRUE(ParseCommandLine(tail.c_str()));
  EXPECT_EQ(std::string(g_replayFileArg), "my file.dat /s2");
  EXPECT_EQ(g_cmdStage, -1);
}

}  // namespace
