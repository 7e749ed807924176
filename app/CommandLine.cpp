#include "app/CommandLine.h"

#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <vector>

#include "platform/Input.h"
#include "platform/Platform.h"

int g_cmdStage = -1;
int g_cmdPower = -1;
int g_cmdOptionCount = -1;
int g_cmdOptionType = -1;
int g_cmdDifficulty = -1;
int g_cmdBgmVolume = -1;
int g_cmdSeVolume = -1;
int g_cmdPlayReplay = -1;
char g_replayFileArg[256] = {};
int g_fullscreen = -1;
int g_rotateScreen = -1;
int g_cmdPadMapGiven = 0;

namespace {

const char kStartupError[] = "起動時エラー";
const char kInvalidText[] = "無効なコマンドライン";
const char kDuplicateText[] = "重複するコマンドライン";

bool IsBlank(char c) { return c == ' '; }

char ToLower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }
char ToUpper(char c) { return (c >= 'a' && c <= 'z') ? static_cast<char>(c - 'a' + 'A') : c; }
bool IsAsciiLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsLetter(char c, char lower) { return ToLower(c) == lower; }

// atoi over at most maxChars characters of s from start: blanks, a sign, then digits.
int BoundedAtoi(const std::string& s, size_t start, size_t maxChars) {
  const size_t end = std::min(s.size(), start + maxChars);
  size_t i = start;
  while (i < end && (s[i] == ' ' || (s[i] >= '\t' && s[i] <= '\r'))) ++i;
  bool negative = false;
  if (i < end && (s[i] == '+' || s[i] == '-')) negative = s[i++] == '-';
  int value = 0;
  while (i < end && s[i] >= '0' && s[i] <= '9') value = value * 10 + (s[i++] - '0');
  return negative ? -value : value;
}

void ShowTokenMessage(const char* text, const std::string& token) {
  PlatformMessageBox(text, token.c_str(), MessageBoxOkInformation);
}

// A one-digit value switch ("s3", "d0").
void SetDigitSwitch(int* var, const std::string& token, int lo, int hi) {
  if (*var != -1) return ShowTokenMessage(kDuplicateText, token);
  const int digit = token[1] - '0';
  if (token[1] < '0' || token[1] > '9' || digit < lo || digit > hi)
    return ShowTokenMessage(kInvalidText, token);
  *var = digit;
}

// A switch whose whole token must equal letter + "%d" for a value 0..hi ("P3", "o12", "T23").
void SetFormattedSwitch(int* var, const std::string& token, char letter, int hi) {
  if (*var != -1) return ShowTokenMessage(kDuplicateText, token);
  std::string t = token;
  t[0] = letter;
  for (int k = 0; k <= hi; ++k) {
    char text[16];
    std::snprintf(text, sizeof(text), "%c%d", letter, k);
    if (t == text) {
      *var = k;
      return;
    }
  }
  ShowTokenMessage(kInvalidText, token);
}

// A volume switch: atoi of at most five characters after the two letters, no range test (a value
// outside 0..10000 leaves the sound's volume as it was).
void SetVolumeSwitch(int* var, const std::string& token) {
  if (*var != -1) return ShowTokenMessage(kDuplicateText, token);
  *var = BoundedAtoi(token, 2, 5);
}

void ApplyToken(const std::string& t) {
  const size_t n = t.size();
  // A longer token would not have fit the switch buffer: refused whole, never cut short.
  if (n > static_cast<size_t>(kCommandTokenMax)) return ShowTokenMessage(kInvalidText, t);
  if (t == "fs" || t == "f1") {
    g_fullscreen = 1;
    return;
  }
  if (t == "wnd" || t == "f0") {
    g_fullscreen = 0;
    return;
  }
  if (t == "rot" || t == "r1") {
    g_rotateScreen = 1;
    return;
  }
  if (t == "nrm" || t == "r0") {
    g_rotateScreen = 0;
    return;
  }
  const char c0 = n > 0 ? t[0] : '\0';
  const char c1 = n > 1 ? t[1] : '\0';
  if (n == 2 && IsLetter(c0, 's')) return SetDigitSwitch(&g_cmdStage, t, 1, 8);
  if ((n == 2 || n == 3) && IsLetter(c0, 'p')) return SetFormattedSwitch(&g_cmdPower, t, 'P', 20);
  if ((n == 2 || n == 3) && IsLetter(c0, 'o'))
    return SetFormattedSwitch(&g_cmdOptionCount, t, 'o', 12);
  if ((n == 2 || n == 3) && IsLetter(c0, 't'))
    return SetFormattedSwitch(&g_cmdOptionType, t, 'T', 23);
  if (n == 2 && IsLetter(c0, 'd')) return SetDigitSwitch(&g_cmdDifficulty, t, 0, 9);
  if (n >= 3 && IsLetter(c0, 'b') && IsLetter(c1, 'v')) return SetVolumeSwitch(&g_cmdBgmVolume, t);
  if (n >= 3 && IsLetter(c0, 's') && IsLetter(c1, 'v')) return SetVolumeSwitch(&g_cmdSeVolume, t);
  if (n >= 3 && IsLetter(c0, 'j') && IsAsciiLetter(c1)) {
    const int k = ToUpper(c1) - 'A';
    if (k >= kPadButtons) return;  // a function letter after P: ignored without a message
    // Kept as given, also outside 0..15: such a value reads no button.
    g_padButtonMap[k] = t[2] == '-' ? -1 : BoundedAtoi(t, 2, 2);
    g_cmdPadMapGiven = 1;
    return;
  }
  if (n >= 9 && IsLetter(c0, 'r') && IsLetter(c1, 'e') && IsLetter(t[2], 'p') && t[3] == ':') {
    std::memset(g_replayFileArg, 0, sizeof(g_replayFileArg));
    std::memcpy(g_replayFileArg, t.data() + 4, n - 4);  // n <= 255, so it always fits
    g_cmdPlayReplay = 1;
    return;
  }
  ShowTokenMessage(kInvalidText, t);
}

void ParseSwitches(const std::string& tail) {
  bool inSwitch = false;
  bool colonSeen = false;  // after the first ':' blanks no longer end a switch (rep: paths)
  std::string token;
  const size_t len = tail.size();
  for (size_t i = 0; i < len; ++i) {
    const char c = tail[i];
    if (!inSwitch) {
      if (c == '/') {
        inSwitch = true;
        token.clear();
      }
      continue;
    }
    const bool last = i + 1 == len;
    if (IsBlank(c) && !colonSeen) {
      inSwitch = false;
      ApplyToken(token);
      continue;
    }
    if (last) {
      if (!IsBlank(c)) token += c;
      inSwitch = false;
      ApplyToken(token);
      continue;
    }
    token += c;
    if (c == ':') colonSeen = true;
  }
}

// The quoted-path form: plays that one replay from the program's folder.
bool ParseReplayPath(const std::string& tail) {
  const size_t len = tail.size();
  size_t quotes = 0;
  for (char c : tail) quotes += c == '"';
  if (quotes > 2) {
    PlatformMessageBox("複数ファイルの同時再生は実行できません。", kStartupError, MessageBoxOk);
    return false;
  }
  if (ToLower(tail[len - 4]) != 'd' || ToLower(tail[len - 3]) != 'a' ||
      ToLower(tail[len - 2]) != 't') {
    PlatformMessageBox(".datファイル以外の再生は実行できません。", kStartupError, MessageBoxOk);
    return false;
  }
  std::string path = tail.substr(1, len - 2);
  // Made absolute first: the current directory changes below.
  if (path[0] != '/') {
    std::vector<char> cwd(4096);
    if (!getcwd(cwd.data(), cwd.size())) {
      PlatformMessageBox(kInvalidText, kStartupError, MessageBoxOk);
      return false;
    }
    path = std::string(cwd.data()) + "/" + path;
  }
  if (path.size() > static_cast<size_t>(kCommandTokenMax)) {
    PlatformMessageBox(kInvalidText, kStartupError, MessageBoxOk);
    return false;
  }
  std::memset(g_replayFileArg, 0, sizeof(g_replayFileArg));
  std::memcpy(g_replayFileArg, path.data(), path.size());
  g_cmdPlayReplay = 1;
  const std::string folder = ProgramFolder();
  if (!folder.empty()) {
    const int rc = chdir(folder.c_str());
    (void)rc;  // on failure the game simply runs from the current directory
  }
  return true;
}

}  // namespace

void ResetCommandLineValues() {
  for (int& entry : g_padButtonMap) entry = -1;
  g_fullscreen = -1;
  g_rotateScreen = -1;
  g_cmdStage = -1;
  g_cmdPower = -1;
  g_cmdOptionCount = -1;
  g_cmdOptionType = -1;
  g_cmdDifficulty = -1;
  g_cmdBgmVolume = -1;
  g_cmdSeVolume = -1;
  g_cmdPlayReplay = -1;
  g_cmdPadMapGiven = 0;
  std::memset(g_replayFileArg, 0, sizeof(g_replayFileArg));
}

std::string BuildCommandLineTail(int argc, const char* const* argv) {
  std::string tail;
  if (argc <= 1 || !argv) return tail;
  const bool switches = argv[1][0] == '/' && !PlatformFileExists(argv[1]);
  for (int i = 1; i < argc; ++i) {
    if (i > 1) tail += ' ';
    if (switches) {
      tail += argv[i];
    } else {
      tail += '"';
      tail += argv[i];
      tail += '"';
    }
  }
  return tail;
}

bool ParseCommandLine(const char* tail) {
  const std::string text = tail ? tail : "";
  if (text.size() >= 7 && text.front() == '"' && text.back() == '"') return ParseReplayPath(text);
  ParseSwitches(text);
  return true;
}

std::string ProgramFolder() {
  std::vector<char> buffer(4096);
  for (;;) {
    const ssize_t n = readlink("/proc/self/exe", buffer.data(), buffer.size());
    if (n < 0) return std::string();
    if (static_cast<size_t>(n) < buffer.size()) {
      std::string path(buffer.data(), static_cast<size_t>(n));
      const size_t slash = path.rfind('/');
      if (slash == std::string::npos) return std::string();
      return slash == 0 ? std::string("/") : path.substr(0, slash);
    }
    buffer.resize(buffer.size() * 2);
  }
}
