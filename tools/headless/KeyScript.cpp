#include "tools/headless/KeyScript.h"

#include <cstdint>
#include <cstdlib>
#include <sstream>

#include "platform/Platform.h"

namespace {
// A line a frame for a game of several hours stays far below this.
constexpr uint64_t kMaxScriptBytes = 64u << 20;

const char* const kKeyNames[ScriptKeyCount] = {"Left", "Right", "Up", "Down", "Z",   "X", "C",
                                               "V",    "B",     "N",  "M",    "Esc", "T", "Space"};
}

bool KeyScript::Parse(const std::string& text, std::string* error) {
  lines_.clear();
  std::istringstream in(text);
  std::string line;
  int number = 0;
  while (std::getline(in, line)) {
    ++number;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    std::istringstream fields(line);
    std::string frameText, keysText;
    if (!(fields >> frameText)) continue;
    fields >> keysText;
    char* end = nullptr;
    long frame = std::strtol(frameText.c_str(), &end, 10);
    if (*end != '\0' || frame < 1 || keysText.empty()) {
      *error = "line " + std::to_string(number) + ": expected FRAME KEYS";
      return false;
    }
    if (!lines_.empty() && frame < lines_.back().frame) {
      *error = "line " + std::to_string(number) + ": frames must not decrease";
      return false;
    }
    KeyScriptLine entry;
    entry.frame = frame;
    if (keysText != "-") {
      std::istringstream names(keysText);
      std::string name;
      while (std::getline(names, name, '+')) {
        int k = 0;
        while (k < ScriptKeyCount && name != kKeyNames[k]) ++k;
        if (k == ScriptKeyCount) {
          *error = "line " + std::to_string(number) + ": unknown key " + name;
          return false;
        }
        entry.keys |= 1u << k;
      }
    }
    lines_.push_back(entry);
  }
  return true;
}

bool KeyScript::Load(const std::string& path, std::string* error) {
  std::vector<uint8_t> bytes;
  const char* why = nullptr;
  if (!PlatformReadWholeFile(path.c_str(), kMaxScriptBytes, &bytes, &why)) {
    *error = "cannot read " + path + ": " + why;
    return false;
  }
  return Parse(std::string(bytes.begin(), bytes.end()), error);
}

unsigned KeyScript::KeysAt(long frame) const {
  unsigned keys = 0;
  for (const KeyScriptLine& l : lines_) {
    if (l.frame > frame) break;
    keys = l.keys;
  }
  return keys;
}
