#include "enemy/StageScript.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <vector>

#include "platform/Platform.h"

namespace {

constexpr int kFieldCounts[5] = {7, 11, 7, 3, 2};

bool IsSeparator(unsigned char c) { return c == '\t' || c == ' ' || c == ':' || c == '\r'; }
bool IsBlank(unsigned char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }
bool IsDigit(unsigned char c) { return c >= '0' && c <= '9'; }

constexpr double kFloatLimit = 1e38;

int32_t SaturatingAdd(int32_t a, int32_t b) {
  const int64_t r = static_cast<int64_t>(a) + b;
  if (r > INT32_MAX) return INT32_MAX;
  if (r < INT32_MIN) return INT32_MIN;
  return static_cast<int32_t>(r);
}

float SaturatingAddFloat(float a, float b) {
  const double r = static_cast<double>(a) + b;
  if (r > kFloatLimit) return static_cast<float>(kFloatLimit);
  if (r < -kFloatLimit) return static_cast<float>(-kFloatLimit);
  return static_cast<float>(r);
}

enum OptionState { OptionNone, OptionReadingId, OptionWaitingValue };

}  // namespace

int32_t ReadStageInt(const char* s) {
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  while (IsBlank(*p)) ++p;
  bool negative = false;
  if (*p == '+' || *p == '-') negative = *p++ == '-';
  int64_t v = 0;
  for (; IsDigit(*p); ++p) {
    v = v * 10 + (*p - '0');
    if (v > static_cast<int64_t>(INT32_MAX) + 1) v = static_cast<int64_t>(INT32_MAX) + 1;
  }
  if (negative) v = -v;
  if (v > INT32_MAX) v = INT32_MAX;
  return static_cast<int32_t>(v);
}

float ReadStageFloat(const char* s) {
  // Copy the longest valid decimal prefix (no hexadecimal, infinity or NaN forms), then convert.
  const unsigned char* p = reinterpret_cast<const unsigned char*>(s);
  while (IsBlank(*p)) ++p;
  char buf[kStageTokenMax + 2];
  int n = 0;
  auto put = [&](unsigned char c) {
    if (n < kStageTokenMax) buf[n++] = static_cast<char>(c);
  };
  if (*p == '+' || *p == '-') put(*p++);
  bool digits = false;
  for (; IsDigit(*p); ++p, digits = true) put(*p);
  if (*p == '.') {
    put(*p++);
    for (; IsDigit(*p); ++p, digits = true) put(*p);
  }
  if (!digits) return 0.0f;
  if (*p == 'e' || *p == 'E') {
    const unsigned char* q = p + 1;
    if (*q == '+' || *q == '-') ++q;
    if (IsDigit(*q)) {
      put(*p++);
      if (*p == '+' || *p == '-') put(*p++);
      for (; IsDigit(*p); ++p) put(*p);
    }
  }
  buf[n] = '\0';
  const double d = std::strtod(buf, nullptr);
  if (d > kFloatLimit) return static_cast<float>(kFloatLimit);
  if (d < -kFloatLimit) return static_cast<float>(-kFloatLimit);
  return static_cast<float>(d);
}

int StageFieldCount(int lineType) { return (lineType >= 0 && lineType < 5) ? kFieldCounts[lineType] : 0; }

int StageLineTypeOf(unsigned char c) {
  switch (c) {
    case 'e': return EventEnemy;
    case 'g': return EventSpawner;
    case 'f': return EventEffect;
    case 'b': return EventFlag;
    case 's': return EventPhase;
    default: return -1;
  }
}

StageScript::StageScript() = default;

StageScript::StageScript(int stage) {
  char name[32];
  std::snprintf(name, sizeof(name), "st%02d.txt", stage);
  LoadFile(name);
}

StageScript::~StageScript() { delete[] events; }

void StageScript::Clear() {
  delete[] events;
  events = nullptr;
  stageFrame = eventCount = nextEvent = phase = phaseFrames = 0;
  for (uint8_t& f : flags) f = 0;
  lastFrame = 0;
  lastX = lastY = lastVx = lastVy = lastDx = lastDy = 0;
}

bool StageScript::LoadFile(const char* path) {
  Clear();
  // Read once: both passes then see the same bytes, whatever happens to the file meanwhile.
  std::vector<uint8_t> bytes;
  const char* why = nullptr;
  if (!PlatformReadWholeFile(path, kStageFileMaxBytes, &bytes, &why)) {
    if (why != kPlatformFileMissing) PlatformReportUnloadableFile(path, why);
    return false;
  }
  LoadBytes(bytes.data(), bytes.size());
  return true;
}

void StageScript::LoadBytes(const uint8_t* raw, size_t rawSize) {
  Clear();
  // Reading ends at the first 0xFF.
  size_t rawEnd = 0;
  while (rawEnd < rawSize && raw[rawEnd] != 0xFF) ++rawEnd;
  // An LF alone and the end of the data read as CR LF, so the last field of such a line counts
  // as it does with CR LF line ends; files with CR LF read as they always did.
  std::vector<uint8_t> text;
  text.reserve(rawEnd + rawEnd / 16 + 1);
  for (size_t i = 0; i < rawEnd; ++i) {
    if (raw[i] == '\n' && (i == 0 || raw[i - 1] != '\r')) text.push_back('\r');
    text.push_back(raw[i]);
  }
  if (!text.empty() && text.back() != '\n' && text.back() != '\r') text.push_back('\r');
  const uint8_t* data = text.data();
  const size_t end = text.size();

  // Pass 1: count the event lines.
  int count = 0;
  bool lineStart = true;
  for (size_t i = 0; i < end; ++i) {
    if (lineStart && StageLineTypeOf(data[i]) >= 0) ++count;
    lineStart = data[i] == '\n';
  }
  if (count == 0) return;
  events = new (std::nothrow) StageEvent[count];
  if (!events) return;
  eventCount = count;

  // Pass 2.
  int index = -1;
  int lineType = -1;     // -1: comment line, or an event line whose rest is ignored
  int field = 0;
  char token[kStageTokenMax + 1];
  int tokenLen = 0;
  bool prevSeparator = false;
  bool positionalDone = false;
  OptionState option = OptionNone;
  int pendingLetter = 0;
  int pendingId = 0;
  bool relative = false;
  lineStart = true;

  auto append = [&](unsigned char c) {
    if (tokenLen < kStageTokenMax) token[tokenLen++] = static_cast<char>(c);
  };

  for (size_t i = 0; i < end; ++i) {
    const unsigned char c = data[i];
    if (lineStart) {
      lineStart = false;
      field = 0;
      tokenLen = 0;
      prevSeparator = false;
      positionalDone = false;
      option = OptionNone;
      relative = false;
      lineType = StageLineTypeOf(c);
      if (lineType >= 0) {
        if (index + 1 >= eventCount) {
          lineType = -1;  // never more events than were counted
        } else {
          ++index;
          events[index] = StageEvent{};
          events[index].lineType = lineType;
        }
      }
      if (c == '\n') lineStart = true;
      continue;  // the type letter goes into no token
    }
    if (c == '\n') {
      lineStart = true;
      continue;
    }
    if (lineType < 0) continue;

    if (IsSeparator(c)) {
      if (!prevSeparator) {
        token[tokenLen] = '\0';
        if (option == OptionReadingId) {
          pendingId = ReadStageInt(token);
          option = OptionWaitingValue;
        } else if (!positionalDone) {
          ParsePositional(index, field, token, relative);
          if (field == StageFieldCount(lineType) - 1) positionalDone = true;
        } else {
          ParseOption(index, token, pendingLetter, pendingId);
          option = OptionNone;
        }
        ++field;
        tokenLen = 0;
      }
      prevSeparator = true;
      continue;
    }

    prevSeparator = false;
    if (tokenLen > 0) {
      append(c);
      continue;
    }
    if (!positionalDone) {
      relative = false;
      if (field == 0 && (c == '+' || c == '-')) {
        relative = true;
        append(c);
      } else if (field > 0 && c == '@') {
        relative = true;
        append(' ');
      } else {
        append(c);
      }
      continue;
    }
    if (option != OptionNone) {
      append(c);
      continue;
    }
    switch (c) {
      case 'n': case 'x': case 'y': case 'd': case 'X': case 'Y': case 'A': case 'R':
        option = OptionWaitingValue;
        break;
      case 'm': case 'p': case 'b':
        option = OptionReadingId;
        break;
      default:
        lineType = -1;  // any other letter ends the line
        continue;
    }
    pendingLetter = c;
    pendingId = 0;
    // The byte after the letter is part of the token whatever it is ("n 5" reads 5). At a line
    // end that byte is the CR before the LF, so the option is left out and the LF still ends
    // the line.
    if (i + 1 >= end) break;
    ++i;
    append(data[i]);
  }
}

void StageScript::ParsePositional(int index, int f, const char* token, bool rel) {
  StageEvent& e = events[index];
  switch (e.lineType) {
    case EventEnemy:
      switch (f) {
        case 0: ParseFrame(index, token, rel); break;
        case 1: e.kind = ReadStageInt(token); break;
        case 2: e.selector = ReadStageInt(token); break;
        case 3: ParseX(index, token, rel); break;
        case 4: ParseY(index, token, rel); break;
        case 5: ParseVx(index, token, rel); break;
        case 6: ParseVy(index, token, rel); break;
        default: break;
      }
      break;
    case EventSpawner:
      switch (f) {
        case 0: ParseFrame(index, token, rel); break;
        case 1: e.spawnType = ReadStageInt(token); break;
        case 2: e.selector = ReadStageInt(token); break;
        case 3: e.amount = ReadStageInt(token); break;
        case 4: e.interval = ReadStageInt(token); break;
        case 5: ParseX(index, token, rel); break;
        case 6: ParseY(index, token, rel); break;
        case 7: ParseSpawnerDx(index, token, rel); break;
        case 8: ParseSpawnerDy(index, token, rel); break;
        case 9: ParseVx(index, token, rel); break;
        case 10: ParseVy(index, token, rel); break;
        default: break;
      }
      break;
    case EventEffect:
      switch (f) {
        case 0: ParseFrame(index, token, rel); break;
        case 1: e.kind = ReadStageInt(token); break;
        case 2: ParseX(index, token, rel); break;
        case 3: ParseY(index, token, rel); break;
        case 4: ParseVx(index, token, rel); break;
        case 5: ParseVy(index, token, rel); break;
        case 6: e.amount = ReadStageInt(token); break;
        default: break;
      }
      break;
    case EventFlag:
      switch (f) {
        case 0: ParseFrame(index, token, rel); break;
        case 1: e.amount = ReadStageInt(token); break;
        case 2: e.selector = ReadStageInt(token); break;
        default: break;
      }
      break;
    case EventPhase:
      if (f == 0) ParseFrame(index, token, rel);
      else if (f == 1) e.amount = ReadStageInt(token);
      break;
    default: break;
  }
}

void StageScript::ParseFrame(int index, const char* token, bool rel) {
  const int32_t v = ReadStageInt(token);
  lastFrame = rel ? SaturatingAdd(lastFrame, v) : v;
  events[index].frame = lastFrame;
}

namespace {

// x and y: "<" and ">" give the edges and leave the previous value; "@" adds to it.
float ParsePosition(const char* token, bool rel, float* last) {
  if (token[0] == '<') return kStageEdgeLow;
  if (token[0] == '>') return kStageEdgeHigh;
  const float v = ReadStageFloat(token);
  *last = rel ? SaturatingAddFloat(*last, v) : v;
  return *last;
}

float ParseRelativeFloat(const char* token, bool rel, float* last) {
  const float v = ReadStageFloat(token);
  *last = rel ? SaturatingAddFloat(*last, v) : v;
  return *last;
}

}  // namespace

void StageScript::ParseX(int index, const char* token, bool rel) { events[index].x = ParsePosition(token, rel, &lastX); }
void StageScript::ParseY(int index, const char* token, bool rel) { events[index].y = ParsePosition(token, rel, &lastY); }
void StageScript::ParseVx(int index, const char* token, bool rel) {
  events[index].vx = ParseRelativeFloat(token, rel, &lastVx);
}
void StageScript::ParseVy(int index, const char* token, bool rel) {
  events[index].vy = ParseRelativeFloat(token, rel, &lastVy);
}
void StageScript::ParseSpawnerDx(int index, const char* token, bool rel) {
  events[index].dx = ParseRelativeFloat(token, rel, &lastDx);
}
void StageScript::ParseSpawnerDy(int index, const char* token, bool rel) {
  events[index].dy = ParseRelativeFloat(token, rel, &lastDy);
}

void StageScript::ParseOption(int index, const char* token, int letter, int id) {
  StageEvent& e = events[index];
  auto addFloat = [&](int fid, float v) {
    if (e.floatCount >= kStageEventEntries) return;  // a fourth entry is ignored
    e.floatIds[e.floatCount] = fid;
    e.floatValues[e.floatCount] = v;
    e.floatCount += 1;
  };
  switch (letter) {
    case 'n': e.maxAlive = ReadStageInt(token); break;
    case 'd': e.difficultyCond = ReadStageInt(token); break;
    case 'x': e.playerXCond = ReadStageFloat(token); break;
    case 'y': e.playerYCond = ReadStageFloat(token); break;
    case 'X': addFloat(kJitterIdX, ReadStageFloat(token)); break;
    case 'Y': addFloat(kJitterIdY, ReadStageFloat(token)); break;
    case 'A': addFloat(kJitterIdAngle, ReadStageFloat(token)); break;
    case 'R': addFloat(kJitterIdSpeed, ReadStageFloat(token)); break;
    case 'p': addFloat(id, ReadStageFloat(token)); break;
    case 'm':
      if (e.intCount < kStageEventEntries) {
        e.intIds[e.intCount] = id;
        e.intValues[e.intCount] = ReadStageInt(token);
        e.intCount += 1;
      }
      break;
    case 'b':
      if (e.flagCount < kStageEventEntries) {
        e.flagIds[e.flagCount] = id;
        e.flagValues[e.flagCount] = ReadStageInt(token);
        e.flagCount += 1;
      }
      break;
    default: break;
  }
}
