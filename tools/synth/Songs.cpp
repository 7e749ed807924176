// The twelve music tracks. Each is composed here by a small sequencer from its own key, scale,
// chord progressions, form, groove and instruments; a seeded generator writes the melodies
// (motifs repeated and sequenced over the chords), so every build writes the same bytes.
//
// A track with a loop window is written as intro + body + the body's first seconds again: the
// body is rendered on a circular bus (it loops onto itself, ringing notes included), and the
// repeated tail lets the game's loop jump land anywhere in it without a seam.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/SoundSystem.h"
#include "tools/synth/Sounds.h"
#include "tools/synth/Synth.h"

namespace synth {
namespace {

const int kMinor[7] = {0, 2, 3, 5, 7, 8, 10};
const int kHarmonicMinor[7] = {0, 2, 3, 5, 7, 8, 11};
const int kDorian[7] = {0, 2, 3, 5, 7, 9, 10};
const int kMajor[7] = {0, 2, 4, 5, 7, 9, 11};
const int kMixolydian[7] = {0, 2, 4, 5, 7, 9, 10};

constexpr int kBlock = 4;                  // 16-bit stereo
constexpr int64_t kTailFrames = 2 * kRate + kRate / 4;  // the repeated tail: over 2 s

enum class Groove { Rock, FourFloor, Gallop, Calm, HalfTime };
enum Part { PartLead, PartBass, PartPad, PartArp, PartCount };

struct Note {
  double beat;
  double length;
  float midi;
  float velocity;
  Part part;
};

struct Hit {
  double beat;
  Drum drum;
  float velocity;
  float pan;
};

struct SongSpec {
  int id;
  int root;  // midi of the tonic
  const int* scale;
  const char* progA;  // four chord degrees, one per bar
  const char* progB;
  const char* form;   // one letter per four bars: A, B, C (breakdown), D (A an octave up)
  float bpm;          // tracks without a window; windowed tracks take theirs from the window
  Groove groove;
  Instrument lead, bass, pad, arp;
  uint32_t seed;
  bool busy;  // denser melody rhythms
};

// ---- instruments ---------------------------------------------------------------------------

Instrument MakeInstrument(Wave wave, float a, float d, float s, float r, float gain) {
  Instrument i;
  i.wave = wave;
  i.env = {a, d, s, r};
  i.gain = gain;
  return i;
}

Instrument LeadSquare(float pan = 0.1f) {
  Instrument i = MakeInstrument(Wave::Square, 0.004f, 0.15f, 0.6f, 0.12f, 0.24f);
  i.pulseWidth = 0.25f;
  i.cutoff = 2200;
  i.envCutoff = 3000;
  i.filterDecay = 0.2f;
  i.vibratoDepth = 0.22f;
  i.pan = pan;
  return i;
}

Instrument LeadSaw() {
  Instrument i = MakeInstrument(Wave::SuperSaw, 0.01f, 0.2f, 0.7f, 0.15f, 0.22f);
  i.cutoff = 2600;
  i.envCutoff = 2400;
  i.filterDecay = 0.25f;
  i.vibratoDepth = 0.18f;
  return i;
}

Instrument LeadBell() {
  Instrument i = MakeInstrument(Wave::Fm, 0.002f, 0.45f, 0.25f, 0.35f, 0.3f);
  i.fmRatio = 3.0f;  // harmonic partials: a bell that still carries a tune
  i.fmIndex = 2.4f;
  i.fmDecay = 0.25f;
  return i;
}

Instrument LeadFlute() {
  Instrument i = MakeInstrument(Wave::Triangle, 0.04f, 0.2f, 0.8f, 0.2f, 0.38f);
  i.vibratoDepth = 0.3f;
  i.vibratoDelay = 0.15f;
  return i;
}

Instrument BassSaw() {
  Instrument i = MakeInstrument(Wave::Saw, 0.003f, 0.15f, 0.6f, 0.05f, 0.36f);
  i.cutoff = 280;
  i.envCutoff = 1600;
  i.filterDecay = 0.1f;
  i.resonance = 1.6f;
  return i;
}

Instrument BassSquare() {
  Instrument i = MakeInstrument(Wave::Square, 0.003f, 0.2f, 0.5f, 0.06f, 0.3f);
  i.cutoff = 450;
  i.envCutoff = 900;
  i.filterDecay = 0.12f;
  return i;
}

Instrument BassRound() {
  Instrument i = MakeInstrument(Wave::Fm, 0.005f, 0.3f, 0.7f, 0.1f, 0.45f);
  i.fmRatio = 1.0f;
  i.fmIndex = 1.3f;
  i.fmDecay = 0.12f;
  return i;
}

Instrument PadSaw() {
  Instrument i = MakeInstrument(Wave::SuperSaw, 0.3f, 0.5f, 0.8f, 0.5f, 0.075f);
  i.cutoff = 1300;
  i.detune = 0.01f;
  return i;
}

Instrument PadSoft() {
  Instrument i = MakeInstrument(Wave::Triangle, 0.4f, 0.5f, 0.85f, 0.6f, 0.1f);
  i.vibratoDepth = 0.08f;
  return i;
}

Instrument ArpPluck(float pan = 0.35f) {
  Instrument i = MakeInstrument(Wave::Square, 0.002f, 0.12f, 0.0f, 0.05f, 0.13f);
  i.cutoff = 1400;
  i.envCutoff = 3200;
  i.filterDecay = 0.07f;
  i.pan = pan;
  return i;
}

Instrument ArpBell(float pan = -0.35f) {
  Instrument i = MakeInstrument(Wave::Fm, 0.002f, 0.3f, 0.0f, 0.12f, 0.12f);
  i.fmRatio = 2.0f;
  i.fmIndex = 1.6f;
  i.fmDecay = 0.2f;
  i.pan = pan;
  return i;
}

// ---- the sequencer -------------------------------------------------------------------------

int Semis(const int* scale, int index) {
  const int octave = index >= 0 ? index / 7 : -((-index + 6) / 7);
  return 12 * octave + scale[index - 7 * octave];
}

int Degree(const char* prog, int bar) { return prog[bar % 4] - '0'; }

const char* const kBusyRhythms[] = {"x-x-x---x-x-x-x-", "x---x-x-x---x-x-", "x-xx-x-xx---x---",
                                    "x--x--x-x-x-x---", "x-x-x-x-x---x-x-", "x--x--x---x-x-x-"};
const char* const kCalmRhythms[] = {"x-------x---x---", "x---x---x-------", "x-----x-x-------",
                                    "x---x-x-x---x---", "x-----x---x-x---"};
const char* const kBusyCadences[] = {"x-x-x-----------", "x---x-x-x-------"};
const char* const kCalmCadences[] = {"x---------------", "x-------x-------"};

struct PhraseNote {
  int step;    // sixteenths from the phrase start
  int length;  // sixteenths
  int index;   // scale index above the tonic
};

int NearestChordTone(int index, int chord, int toward) {
  int best = index;
  int bestDistance = 1000;
  for (int k = -14; k <= 21; ++k) {
    const int tone = k;
    const int rel = ((tone - chord) % 7 + 7) % 7;
    if (rel != 0 && rel != 2 && rel != 4) continue;
    const int distance = std::abs(tone - (index + toward));
    if (distance < bestDistance) {
      bestDistance = distance;
      best = tone;
    }
  }
  return best;
}

// Four bars of melody over four chords: bar 3 repeats bar 1's rhythm and shape moved to its
// chord, bar 4 closes on a chord tone (the chord's root at the end of a section).
std::vector<PhraseNote> ComposePhrase(const char* prog, bool busy, bool closing, Rng& rng) {
  const char* const* rhythms = busy ? kBusyRhythms : kCalmRhythms;
  const int rhythmCount = busy ? 6 : 5;
  const char* const* cadences = busy ? kBusyCadences : kCalmCadences;
  const char* bar[4];
  bar[0] = rhythms[rng.Below(rhythmCount)];
  bar[1] = rhythms[rng.Below(rhythmCount)];
  bar[2] = bar[0];
  bar[3] = cadences[rng.Below(2)];

  std::vector<PhraseNote> notes;
  int index = 2 + Degree(prog, 0) + 2 * rng.Below(3);
  int direction = 1;
  for (int b = 0; b < 4; ++b) {
    const int chord = Degree(prog, b);
    const size_t barStart = notes.size();
    if (b == 2) {
      // The sequence: bar 1 again, moved by the distance between the chords.
      int shift = Degree(prog, 2) - Degree(prog, 0);
      if (shift > 3) shift -= 7;
      if (shift < -3) shift += 7;
      for (size_t k = 0; k < notes.size(); ++k) {
        if (notes[k].step >= 16) break;
        PhraseNote n = notes[k];
        n.step += 32;
        n.index = std::clamp(n.index + shift, -2, 13);
        notes.push_back(n);
      }
      if (!notes.empty()) index = notes.back().index;
      continue;
    }
    for (int s = 0; s < 16; ++s) {
      if (bar[b][s] != 'x') continue;
      if (s % 8 == 0) {
        index = NearestChordTone(index, chord, direction);
      } else {
        const int moves[6] = {1, 1, 2, -1, 1, -2};
        index += direction * moves[rng.Below(6)];
      }
      if (index > 11) direction = -1;
      if (index < 2) direction = 1;
      if (rng.Below(8) == 0) direction = -direction;
      index = std::clamp(index, -2, 13);
      notes.push_back({16 * b + s, 1, index});
    }
    if (b == 3 && notes.size() > barStart) {
      int target = NearestChordTone(index, chord, 0);
      if (closing) {
        target = Degree(prog, 3);
        while (target + 7 <= index + 3) target += 7;  // the root in the octave nearest the line
      }
      notes.back().index = target;
    }
  }
  // Each note lasts to the next one (the last to the phrase end), a little detached.
  for (size_t k = 0; k < notes.size(); ++k) {
    const int next = k + 1 < notes.size() ? notes[k + 1].step : 64;
    notes[k].length = std::max(1, next - notes[k].step);
  }
  return notes;
}

struct Score {
  std::vector<Note> notes;
  std::vector<Hit> hits;
};

void AddDrumBar(Score& score, const SongSpec& spec, double beat, bool breakdown, bool fill, Rng& rng) {
  const char* kick = "x.....x.x.x.....";
  const char* snare = "....x.......x...";
  const char* hats = "x.x.x.x.x.x.x.x.";
  const char* shaker = "................";
  switch (spec.groove) {
    case Groove::Rock: break;
    case Groove::FourFloor:
      kick = "x...x...x...x...";
      hats = "..x...x...x...x.";
      shaker = "xxxxxxxxxxxxxxxx";
      break;
    case Groove::Gallop:
      kick = "x..x..x.x..x..x.";
      hats = "x.xxx.xxx.xxx.xx";
      break;
    case Groove::Calm:
      kick = "x.......x.x.....";
      shaker = "x.x.x.x.x.x.x.x.";
      hats = "................";
      break;
    case Groove::HalfTime:
      kick = "x.........x.....";
      snare = "........x.......";
      break;
  }
  if (breakdown) {
    kick = "x...............";
    snare = "................";
  }
  const float soft = spec.groove == Groove::Calm ? 0.7f : 1.0f;
  for (int s = 0; s < 16; ++s) {
    const double at = beat + s * 0.25;
    const float jitter = 0.92f + 0.08f * rng.Uniform();
    if (fill && s >= 12) {
      score.hits.push_back({at, Drum::Snare, (0.55f + 0.1f * (s - 12)) * soft, 0.0f});
      if (s == 13) score.hits.push_back({at, Drum::TomHigh, 0.6f * soft, 0.3f});
      if (s == 15) score.hits.push_back({at, Drum::TomLow, 0.7f * soft, -0.3f});
      if (kick[s] == 'x') score.hits.push_back({at, Drum::Kick, 0.9f, 0.0f});
      continue;
    }
    if (kick[s] == 'x') score.hits.push_back({at, Drum::Kick, 0.95f * jitter, 0.0f});
    if (snare[s] == 'x') {
      score.hits.push_back({at, Drum::Snare, 0.8f * soft * jitter, 0.05f});
      if (spec.groove == Groove::FourFloor) score.hits.push_back({at, Drum::Clap, 0.5f, -0.1f});
    }
    if (hats[s] == 'x')
      score.hits.push_back({at, s == 14 && !breakdown ? Drum::HatOpen : Drum::HatClosed,
                            (s % 4 == 0 ? 0.45f : 0.32f) * jitter, 0.35f});
    if (shaker[s] == 'x') score.hits.push_back({at, Drum::Shaker, (s % 2 ? 0.22f : 0.3f) * jitter, -0.4f});
  }
}

void AddBassBar(Score& score, const SongSpec& spec, double beat, int chord, bool breakdown) {
  const float root = static_cast<float>(spec.root - 12 + Semis(spec.scale, chord));
  const float fifth = static_cast<float>(spec.root - 12 + Semis(spec.scale, chord + 4));
  auto add = [&](double at, double length, float midi, float velocity) {
    score.notes.push_back({beat + at, length, midi, velocity, PartBass});
  };
  if (breakdown || spec.groove == Groove::Calm) {
    add(0, 1.9, root, 0.9f);
    add(2, 1.4, fifth - 12 >= root - 7 ? fifth - 12 : fifth, 0.8f);
    add(3.5, 0.45, root, 0.7f);
    return;
  }
  switch (spec.groove) {
    case Groove::Gallop:
      for (int q = 0; q < 4; ++q) {
        add(q, 0.4, root, 0.9f);
        add(q + 0.5, 0.2, root, 0.7f);
        add(q + 0.75, 0.2, q == 3 ? fifth : root + 12, 0.75f);
      }
      break;
    case Groove::HalfTime:
      add(0, 1.4, root, 0.9f);
      add(1.5, 0.45, root + 12, 0.7f);
      add(2, 1.4, root, 0.85f);
      add(3.5, 0.45, fifth, 0.7f);
      break;
    default: {
      const int octave[8] = {0, 0, 12, 0, 0, 0, 12, 0};
      for (int e = 0; e < 8; ++e) add(e * 0.5, 0.42, root + static_cast<float>(octave[e]), e % 2 ? 0.75f : 0.95f);
      break;
    }
  }
}

void AddHarmonyBar(Score& score, const SongSpec& spec, double beat, int chord, bool pad, bool arp) {
  if (pad)
    for (int t = 0; t < 3; ++t)
      score.notes.push_back({beat, 3.9, static_cast<float>(spec.root + Semis(spec.scale, chord + 2 * t)), 0.7f,
                             PartPad});
  if (arp) {
    const int shape[8] = {0, 2, 4, 7, 9, 7, 4, 2};
    const bool fast = spec.groove != Groove::Calm && spec.groove != Groove::HalfTime;
    const int count = fast ? 16 : 8;
    const double step = fast ? 0.25 : 0.5;
    for (int k = 0; k < count; ++k)
      score.notes.push_back({beat + k * step, step * 0.9,
                             static_cast<float>(spec.root + 12 + Semis(spec.scale, chord + shape[k % 8])),
                             k % 4 == 0 ? 0.9f : 0.7f, PartArp});
  }
}

Score Compose(const SongSpec& spec, int introBeats) {
  Score score;
  Rng rng(spec.seed);
  const std::vector<PhraseNote> themeA = ComposePhrase(spec.progA, spec.busy, false, rng);
  const std::vector<PhraseNote> themeA2 = ComposePhrase(spec.progA, spec.busy, true, rng);
  const std::vector<PhraseNote> themeB = ComposePhrase(spec.progB, spec.busy, false, rng);
  const int units = static_cast<int>(std::char_traits<char>::length(spec.form));
  for (int u = 0; u < units; ++u) {
    const char letter = spec.form[u];
    const char next = spec.form[(u + 1) % units];
    const char prev = spec.form[(u + units - 1) % units];
    const bool isB = letter == 'B';
    const bool breakdown = letter == 'C';
    const char* prog = isB ? spec.progB : spec.progA;
    const double start = 16.0 * u;
    // The theme: the second of two A's in a row closes on the tonic.
    if (!breakdown) {
      const std::vector<PhraseNote>& theme = isB ? themeB : (prev == letter && letter == 'A' ? themeA2 : themeA);
      const int lift = letter == 'D' ? 12 : 0;
      for (const PhraseNote& n : theme) {
        const double held = n.length * 0.25 * (spec.busy ? 0.85 : 0.95);
        score.notes.push_back({start + n.step * 0.25, held,
                               static_cast<float>(spec.root + 12 + lift + Semis(spec.scale, n.index)),
                               n.step % 8 == 0 ? 0.95f : 0.8f, PartLead});
      }
    }
    for (int b = 0; b < 4; ++b) {
      const int chord = Degree(prog, b);
      const double beat = start + 4.0 * b;
      const bool fill = b == 3 && next != letter;
      AddDrumBar(score, spec, beat, breakdown, fill, rng);
      AddBassBar(score, spec, beat, chord, breakdown);
      AddHarmonyBar(score, spec, beat, chord, true, isB || breakdown || letter == 'D');
    }
    if (prev != letter || u == 0) score.hits.push_back({start, Drum::Crash, 0.6f, -0.2f});
  }
  // The intro: the first chord swelling on the pad, the bass on the tonic and a drum build
  // whose last beats roll into the body's first crash.
  if (introBeats > 0) {
    const int chord = Degree(spec.progA, 0);
    for (int t = 0; t < 3; ++t)
      score.notes.push_back({static_cast<double>(-introBeats), introBeats - 0.3,
                             static_cast<float>(spec.root + Semis(spec.scale, chord + 2 * t)), 0.8f, PartPad});
    for (int q = introBeats; q > 0; --q) {
      const double at = -q;
      const float rise = 1.0f - 0.5f * static_cast<float>(q) / static_cast<float>(introBeats);
      if (spec.groove != Groove::Calm || q % 2 == 0) score.hits.push_back({at, Drum::Kick, 0.8f * rise, 0.0f});
      score.notes.push_back({at, 0.45, static_cast<float>(spec.root - 12), 0.7f * rise, PartBass});
      if (q <= 2) {
        const int rolls = q == 1 ? 4 : 2;
        for (int r = 0; r < rolls; ++r)
          score.hits.push_back({at + r * (1.0 / rolls), Drum::Snare, 0.4f + 0.3f * rise * (r + 1) / rolls, 0.0f});
      } else {
        score.hits.push_back({at + 0.5, Drum::HatClosed, 0.3f, 0.35f});
      }
    }
  }
  return score;
}

// ---- rendering -----------------------------------------------------------------------------

struct Buses {
  Bus lead, rest;
  Buses(size_t frames, bool circular) : lead(frames, circular), rest(frames, circular) {}
};

void RenderScore(const SongSpec& spec, const Score& score, double framesPerBeat, int64_t introFrames,
                 Buses& intro, Buses& body) {
  const Instrument* parts[PartCount] = {&spec.lead, &spec.bass, &spec.pad, &spec.arp};
  const float secondsPerBeat = static_cast<float>(framesPerBeat / kRate);
  uint32_t seed = spec.seed;
  for (const Note& n : score.notes) {
    const bool inIntro = n.beat < 0;
    Bus& bus = n.part == PartLead ? (inIntro ? intro.lead : body.lead) : (inIntro ? intro.rest : body.rest);
    const int64_t frame = static_cast<int64_t>(std::llround(n.beat * framesPerBeat)) + (inIntro ? introFrames : 0);
    RenderNote(bus, *parts[n.part], frame, n.midi, static_cast<float>(n.length) * secondsPerBeat, n.velocity, ++seed,
               inIntro ? introFrames : -1);
  }
  // The drums sit under the melody: their voices peak near full scale on their own.
  const float drumGain = 0.5f;
  for (const Hit& h : score.hits) {
    const bool inIntro = h.beat < 0;
    Bus& bus = inIntro ? intro.rest : body.rest;
    const int64_t frame = static_cast<int64_t>(std::llround(h.beat * framesPerBeat)) + (inIntro ? introFrames : 0);
    RenderDrum(bus, h.drum, frame, h.velocity * drumGain, h.pan, ++seed, inIntro ? introFrames : -1);
  }
}

// Sums the buses of one part of the song into out from offset.
void MixInto(Bus& out, size_t offset, Buses& buses, float echoSeconds) {
  ApplyEcho(buses.lead, echoSeconds, 0.35f, 0.3f);
  for (size_t i = 0; i < buses.lead.Frames(); ++i) {
    out.left[offset + i] += buses.lead.left[i] + buses.rest.left[i];
    out.right[offset + i] += buses.lead.right[i] + buses.rest.right[i];
  }
}

// Brings the loudest raw sample to headroom, rounds the peaks off with tanh and scales the result
// to peak: only the loudest hits are saturated, gently.
void SaturateAndScale(Bus& song, float headroom, float peak) {
  float raw = 1e-9f;
  for (size_t i = 0; i < song.Frames(); ++i) raw = std::max(raw, std::max(std::fabs(song.left[i]), std::fabs(song.right[i])));
  const float pre = headroom / raw;
  const float post = peak / std::tanh(headroom);
  for (size_t i = 0; i < song.Frames(); ++i) {
    song.left[i] = std::tanh(pre * song.left[i]) * post;
    song.right[i] = std::tanh(pre * song.right[i]) * post;
  }
}

bool WriteSong(const std::string& gameDir, const SongSpec& spec) {
  uint32_t start = 0, end = 0;
  int64_t introFrames = 0;
  int64_t bodyFrames = 0;
  const int bars = 4 * static_cast<int>(std::char_traits<char>::length(spec.form));
  if (BgmLoopWindow(spec.id, &start, &end)) {
    // The game jumps back by end - start bytes from a block-aligned cursor, rounded down to the
    // block: that is ceil((end - start) / 4) frames.
    introFrames = start / kBlock;
    bodyFrames = (static_cast<int64_t>(end - start) + kBlock - 1) / kBlock;
  } else {
    bodyFrames = std::llround(bars * 4 * 60.0 / spec.bpm * kRate);
  }
  const double framesPerBeat = static_cast<double>(bodyFrames) / (bars * 4);
  const int introBeats = static_cast<int>(static_cast<double>(introFrames) / framesPerBeat);
  const Score score = Compose(spec, introBeats);

  Buses intro(static_cast<size_t>(introFrames), false);
  Buses body(static_cast<size_t>(bodyFrames), true);
  RenderScore(spec, score, framesPerBeat, introFrames, intro, body);
  const float echo = static_cast<float>(framesPerBeat * 0.75 / kRate);  // a dotted eighth
  Bus song(static_cast<size_t>(introFrames + bodyFrames), false);
  if (introFrames > 0) MixInto(song, 0, intro, echo);
  MixInto(song, static_cast<size_t>(introFrames), body, echo);
  SaturateAndScale(song, 1.4f, 0.89f);

  std::vector<int16_t> pcm = ToPcm(song, 0, song.Frames());
  if (introFrames > 0 || end > 0) {
    const int64_t tail = std::min<int64_t>(kTailFrames, bodyFrames);
    const std::vector<int16_t> repeat = ToPcm(song, static_cast<size_t>(introFrames), static_cast<size_t>(tail));
    pcm.insert(pcm.end(), repeat.begin(), repeat.end());
  }
  const std::string path = gameDir + "/" + BgmFile(spec.id);
  if (!WriteWave(path, 2, pcm)) {
    std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
    return false;
  }
  return true;
}

// The game-over jingle: slow, falling, in D minor, played once.
bool WriteGameOver(const std::string& gameDir) {
  const double bpm = 72;
  const double fpb = 60.0 / bpm * kRate;
  const int root = 62;  // D4
  Bus lead(static_cast<size_t>(7.0 * kRate), false);
  Bus rest(static_cast<size_t>(7.0 * kRate), false);
  Instrument flute = LeadFlute();
  flute.env.release = 0.8f;
  Instrument pad = PadSoft();
  pad.gain = 0.13f;
  pad.env.release = 1.2f;
  Instrument bass = BassRound();
  bass.env.release = 0.8f;
  struct Line { double beat, length; int midi; };
  const Line melody[] = {{0, 1, 69}, {1, 1, 67}, {2, 1, 65}, {3, 0.5, 64}, {3.5, 0.5, 65}, {4, 3, 62}};
  const Line chords[] = {{0, 1, 0}, {1, 1, -4}, {2, 1, -7}, {3, 1, -5}, {4, 3, 0}};
  for (const Line& m : melody)
    RenderNote(lead, flute, std::llround(m.beat * fpb), static_cast<float>(m.midi),
               static_cast<float>(m.length * 60 / bpm), 0.9f, 7);
  for (const Line& c : chords) {
    const int third = c.midi == -5 ? 4 : 3;  // the A chord is major, the others minor
    const int tones[3] = {0, third, 7};
    const int64_t at = std::llround(c.beat * fpb);
    const float held = static_cast<float>(c.length * 60 / bpm) - 0.05f;
    for (int t : tones) RenderNote(rest, pad, at, static_cast<float>(root + c.midi + t - 12), held, 0.8f, 8);
    RenderNote(rest, bass, at, static_cast<float>(root + c.midi - 24), held, 0.9f, 9);
  }
  RenderDrum(rest, Drum::TomLow, 0, 0.35f, 0.0f, 10);
  RenderDrum(rest, Drum::TomLow, std::llround(4 * fpb), 0.4f, 0.0f, 11);
  RenderDrum(rest, Drum::Crash, std::llround(4 * fpb), 0.08f, 0.0f, 12);
  ApplyEcho(lead, static_cast<float>(0.75 * 60 / bpm), 0.3f, 0.3f);
  Bus song(lead.Frames(), false);
  for (size_t i = 0; i < song.Frames(); ++i) {
    song.left[i] = lead.left[i] + rest.left[i];
    song.right[i] = lead.right[i] + rest.right[i];
  }
  // Fade the last half second so the jingle ends in silence.
  for (size_t i = song.Frames() - kRate / 2; i < song.Frames(); ++i) {
    const float f = static_cast<float>(song.Frames() - i) / (kRate / 2);
    song.left[i] *= f;
    song.right[i] *= f;
  }
  SaturateAndScale(song, 1.0f, 0.85f);
  const std::string path = gameDir + "/" + BgmFile(BgmGameOver);
  return WriteWave(path, 2, ToPcm(song, 0, song.Frames()));
}

std::vector<SongSpec> Songs() {
  std::vector<SongSpec> songs;
  auto add = [&songs](int id, int root, const int* scale, const char* a, const char* b, const char* form, float bpm,
                      Groove groove, Instrument lead, Instrument bass, Instrument pad, Instrument arp, uint32_t seed,
                      bool busy) {
    songs.push_back({id, root, scale, a, b, form, bpm, groove, lead, bass, pad, arp, seed, busy});
  };
  // Stage 1, A minor, about 152 bpm: square lead over a saw bass, rock beat.
  add(BgmStage1, 57, kMinor, "0526", "3456", "AABBAD", 0, Groove::Rock, LeadSquare(), BassSaw(), PadSaw(), ArpPluck(),
      101, true);
  // Stage 2, D dorian, about 143 bpm: super-saw lead, gallop.
  add(BgmStage2, 50, kDorian, "0306", "5604", "AABBCCAADD", 0, Groove::Gallop, LeadSaw(), BassSquare(), PadSaw(),
      ArpBell(), 202, true);
  // Stage 3, G minor, 140 bpm.
  add(BgmStage3, 55, kMinor, "0263", "5364", "AABB", 140, Groove::Rock, LeadBell(), BassSaw(), PadSaw(), ArpPluck(),
      303, true);
  // Stage 4, B harmonic minor, 150 bpm.
  add(BgmStage4, 59, kHarmonicMinor, "0564", "3054", "ABAD", 150, Groove::FourFloor, LeadSquare(-0.1f),
      BassRound(), PadSaw(), ArpPluck(), 404, true);
  // Stage 5, F# harmonic minor, about 155 bpm: four on the floor, bell lead.
  add(BgmStage5, 54, kHarmonicMinor, "0534", "5640", "AABBCAADDBB", 0, Groove::FourFloor, LeadBell(), BassSaw(),
      PadSaw(), ArpPluck(), 505, true);
  // Stage 6, C harmonic minor, about 176 bpm: the last stage, fast and heavy.
  add(BgmStage6, 48, kHarmonicMinor, "0654", "3405", "AABBCCADDBA", 0, Groove::Gallop, LeadSaw(), BassSaw(),
      PadSaw(), ArpBell(), 606, true);
  // Stage 7, E minor, 165 bpm.
  add(BgmStage7, 52, kMinor, "0656", "3454", "AABD", 165, Groove::Rock, LeadSquare(), BassSquare(), PadSaw(),
      ArpBell(), 707, true);
  // Stage 8, C# minor, 172 bpm.
  add(BgmStage8, 49, kHarmonicMinor, "0354", "5603", "ABAD", 172, Groove::FourFloor, LeadSaw(), BassSaw(), PadSaw(),
      ArpPluck(), 808, true);
  // Ranking, F major, about 143 bpm on a half-time beat: bright and warm.
  add(BgmRanking1, 53, kMajor, "0453", "3405", "AB", 0, Groove::HalfTime, LeadBell(), BassRound(), PadSoft(),
      ArpBell(), 2121, false);
  // Title, E-flat major, about 124 bpm: an inviting theme on the square lead.
  add(BgmTitle, 51, kMajor, "0534", "3425", "AABBAD", 0, Groove::Rock, LeadSquare(0.0f), BassRound(), PadSaw(),
      ArpBell(), 3030, false);
  // Configuration, G mixolydian, 100 bpm: relaxed.
  add(BgmConfig, 55, kMixolydian, "0363", "3604", "AB", 0, Groove::Calm, LeadFlute(), BassRound(), PadSoft(),
      ArpBell(), 3131, false);
  return songs;
}

}  // namespace

bool WriteMusic(const std::string& gameDir) {
  for (const SongSpec& spec : Songs())
    if (!WriteSong(gameDir, spec)) return false;
  return WriteGameOver(gameDir);
}

}  // namespace synth
