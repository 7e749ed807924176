#pragma once
// Key scripts for the headless driver: lines "FRAME KEYS", from frame FRAME on (counting
// frames from 1) the keys in KEYS are held until the next line. KEYS is "-" or names joined by
// "+": Left Right Up Down Z X C V B N M Esc T Space. Lines starting with '#' are comments.

#include <string>
#include <vector>

enum ScriptKey {
  ScriptKeyLeft, ScriptKeyRight, ScriptKeyUp, ScriptKeyDown, ScriptKeyZ, ScriptKeyX, ScriptKeyC,
  ScriptKeyV, ScriptKeyB, ScriptKeyN, ScriptKeyM, ScriptKeyEsc, ScriptKeyT, ScriptKeySpace,
  ScriptKeyCount,
};

struct KeyScriptLine {
  long frame = 0;
  unsigned keys = 0;  // bit per ScriptKey
};

class KeyScript {
 public:
  // Returns false with a message in *error for a malformed script.
  bool Parse(const std::string& text, std::string* error);
  bool Load(const std::string& path, std::string* error);
  // Keys held during frame `frame` (1-based).
  unsigned KeysAt(long frame) const;

 private:
  std::vector<KeyScriptLine> lines_;
};
