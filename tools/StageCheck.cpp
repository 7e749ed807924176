#include "StageCheck.h"

#include <algorithm>
#include <cstdlib>
#include <set>

#include "enemy/EnemyCatalogue.h"
#include "enemy/StageScript.h"

namespace {

bool IsSeparator(unsigned char c) { return c == '\t' || c == ' ' || c == ':' || c == '\r'; }

struct RawLine {
  int number;
  std::string text;  // without the LF
};

// Types that exist only as parts of another type (their catalogue children strings).
std::set<int> PartTypes() {
  std::set<int> parts;
  int n = 0;
  const EnemyTypeRow* rows = EnemyTypeRows(&n);
  for (int i = 0; i < n; ++i) {
    for (const char* p = rows[i].children; *p; ++p) {
      const unsigned char c = static_cast<unsigned char>(*p);
      int v = -1;
      if (c >= '0' && c <= '9') v = c - '0';
      else if (c >= 'A' && c <= 'Z') v = c - 'A' + 10;
      if (v >= 0) parts.insert(rows[i].type + v);
    }
  }
  return parts;
}

// The mid-bosses whose phase 0 holds and climbs out and whose phase -1 is the death sequence.
bool IsSpinningMidBoss(int type) { return type == 70 || type == 74 || type == 78; }

class Checker {
 public:
  std::vector<StageProblem> problems;

  void Report(int line, std::string message) { problems.push_back({line, std::move(message)}); }

  // The option tokens of one event line: limits, ids and unknown letters.
  void CheckOptions(const RawLine& l, int lineType) {
    std::vector<std::string> tokens;
    std::string cur;
    for (size_t i = 1; i < l.text.size(); ++i) {
      const unsigned char c = static_cast<unsigned char>(l.text[i]);
      if (IsSeparator(c)) {
        if (!cur.empty() || (i == 1)) tokens.push_back(cur);
        cur.clear();
      } else {
        cur.push_back(static_cast<char>(c));
      }
    }
    if (!cur.empty()) tokens.push_back(cur);  // the line end ends the last token too
    for (const std::string& t : tokens) {
      if (t.size() > static_cast<size_t>(kStageTokenMax))
        Report(l.number, "a token is longer than 255 bytes and is cut");
    }
    const size_t positional = static_cast<size_t>(StageFieldCount(lineType));
    int ints = 0, floats = 0, flagEntries = 0;
    for (size_t k = positional; k < tokens.size(); ++k) {
      const std::string& t = tokens[k];
      if (t.empty()) continue;
      const char letter = t[0];
      std::string value = t.substr(1);
      auto takeNext = [&]() -> std::string { return k + 1 < tokens.size() ? tokens[++k] : std::string(); };
      switch (letter) {
        case 'n': case 'd': case 'x': case 'y':
          if (value.empty()) takeNext();
          break;
        case 'X': case 'Y': case 'A': case 'R':
          if (value.empty()) takeNext();
          ++floats;
          if (lineType != EventSpawner)
            Report(l.number, std::string("option ") + letter + " means something only on g lines");
          break;
        case 'm': case 'p': case 'b': {
          const std::string idText = value.empty() ? takeNext() : value;
          takeNext();
          const int id = ReadStageInt(idText.c_str());
          if (letter == 'b') {
            ++flagEntries;
            if (id < 0 || id > 15) Report(l.number, "flag id " + std::to_string(id) + " is outside 0..15");
          } else {
            (letter == 'm' ? ints : floats) += 1;
            if (id < 0 || id > 255)
              Report(l.number, std::string(1, letter) + " id " + std::to_string(id) + " is outside 0..255");
          }
          break;
        }
        default:
          Report(l.number, std::string("unknown option letter '") + letter + "' ends the line's options");
          k = tokens.size();
          break;
      }
    }
    if (ints > kStageEventEntries) Report(l.number, "more than three m entries");
    if (floats > kStageEventEntries) Report(l.number, "more than three p/X/Y/A/R entries");
    if (flagEntries > kStageEventEntries) Report(l.number, "more than three b entries");
  }

  void CheckEnemy(int line, int type, int phase) {
    static const std::set<int> parts = PartTypes();
    const EnemyTypeRow* row = FindEnemyTypeRow(type);
    if (!row) {
      Report(line, "enemy type " + std::to_string(type) + " has no catalogue row (nothing is created)");
      return;
    }
    if (parts.count(type)) Report(line, "enemy type " + std::to_string(type) + " is a part: without a parent it dies at once");
    if (phase < 0) Report(line, "start phase " + std::to_string(phase) + " is reserved");
    if (IsSpinningMidBoss(type) && phase != 0)
      Report(line, "mid-boss type " + std::to_string(type) + " started in phase " + std::to_string(phase) +
                       ": only phase 0 leaves the field; in phase -1 it runs its death sequence while alive and "
                       "in any other it never leaves");
    if (type == 99 && phase != 0)
      Report(line, "boss type 99 started in phase " + std::to_string(phase) +
                       ": only phase 0 sweeps it in; in phase -1 it runs its death sequence while alive");
    if (type == 92 && phase != 0)
      Report(line, "boss type 92 started in phase " + std::to_string(phase) +
                       ": it runs on its age from phase 0; in phase -1 it runs its death sequence while alive");
    if (row->stageStart == StageStartPhase0 && phase != 0)
      Report(line, "enemy type " + std::to_string(type) + " started in phase " + std::to_string(phase) +
                       " has no periods set and fires nothing");
    if (row->stageStart == StageStartLaunched)
      Report(line, "enemy type " + std::to_string(type) + " gets its periods from its launcher and fires nothing here");
  }

  void Run(const uint8_t* data, size_t size) {
    size_t end = 0;
    while (end < size && data[end] != 0xFF) ++end;
    if (end < size) Report(0, "a byte 0xFF ends the file early");

    std::vector<RawLine> lines;
    RawLine cur{1, {}};
    for (size_t i = 0; i < end; ++i) {
      if (data[i] == '\n') {
        lines.push_back(cur);
        cur = RawLine{cur.number + 1, {}};
      } else {
        if (data[i] > 0x7F) Report(cur.number, "a byte outside ASCII");
        cur.text.push_back(static_cast<char>(data[i]));
      }
    }
    if (!cur.text.empty()) lines.push_back(cur);

    StageScript script;
    script.LoadBytes(data, size);
    std::vector<const RawLine*> eventLines;
    for (const RawLine& l : lines) {
      if (l.text.empty()) continue;
      const int type = StageLineTypeOf(static_cast<unsigned char>(l.text[0]));
      if (type < 0) continue;
      eventLines.push_back(&l);
      const unsigned char second = l.text.size() > 1 ? static_cast<unsigned char>(l.text[1]) : 0;
      if (!(second >= '0' && second <= '9') && second != '+' && second != '-')
        Report(l.number, "line starts with an event letter but has no frame right after it (a comment?)");
      CheckOptions(l, type);
    }
    if (static_cast<int>(eventLines.size()) != script.eventCount) {
      Report(0, "the loader read a different number of events than there are event lines");
      return;
    }

    int previous = 0;
    int lastPhaseFrame = -1, lastPhase = -1;
    struct Spawn {
      int line;
      int64_t lastFrame;
    };
    std::vector<Spawn> spawns;
    for (int i = 0; i < script.eventCount; ++i) {
      const StageEvent& e = script.events[i];
      const int line = eventLines[i]->number;
      if (e.frame < 1) Report(line, "frame " + std::to_string(e.frame) + " is below 1: it and every later event never fire");
      if (e.frame < previous) Report(line, "frame " + std::to_string(e.frame) + " is before the previous event's");
      previous = e.frame;
      switch (e.lineType) {
        case EventEnemy: CheckEnemy(line, e.kind, e.selector); break;
        case EventSpawner:
          CheckEnemy(line, e.spawnType, e.selector);
          if (e.interval < 1) Report(line, "spawner interval below 1 (taken as 1)");
          spawns.push_back({line, static_cast<int64_t>(e.frame) +
                                      static_cast<int64_t>(std::max(e.amount, 1) - 1) * std::max(e.interval, 1)});
          break;
        case EventFlag:
          if (e.amount < 0 || e.amount > 15) Report(line, "flag index outside 0..15 (the event does nothing)");
          break;
        case EventPhase:
          lastPhaseFrame = e.frame;
          lastPhase = e.amount;
          break;
        default: break;
      }
    }
    if (lastPhase < 0) {
      Report(0, "no s event: the stage never ends");
    } else if (lastPhase != StagePhaseWaitClear && lastPhase != StagePhaseCleared) {
      Report(0, "the last phase event sets phase " + std::to_string(lastPhase) + ", not 2 or 3: the stage never ends");
    }
    for (const Spawn& s : spawns) {
      if (s.lastFrame > lastPhaseFrame)
        Report(s.line, "spawner still running after the last s event (last spawn at frame " +
                           std::to_string(s.lastFrame) + ")");
    }
  }
};

}  // namespace

std::vector<StageProblem> CheckStageBytes(const uint8_t* data, size_t size) {
  Checker c;
  c.Run(data, size);
  std::stable_sort(c.problems.begin(), c.problems.end(),
                   [](const StageProblem& a, const StageProblem& b) { return a.line < b.line; });
  return c.problems;
}
