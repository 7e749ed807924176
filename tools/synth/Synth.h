#pragma once
// A small synthesizer for the game's sounds: oscillators, envelopes, noise, a state-variable
// filter, drum voices, a stereo echo and a WAVE writer. Everything is deterministic: our own
// noise generator, no clocks, no library randomness.

#include <cstdint>
#include <string>
#include <vector>

namespace synth {

constexpr int kRate = 22050;
constexpr float kPi = 3.14159265358979f;

// xorshift32: the same sequence on every build.
struct Rng {
  uint32_t state;
  explicit Rng(uint32_t seed) : state(seed ? seed : 0x9E3779B9u) {}
  uint32_t Next() {
    state ^= state << 13;
    state ^= state >> 17;
    state ^= state << 5;
    return state;
  }
  float Uniform() { return static_cast<float>(Next() >> 8) * (1.0f / 16777216.0f); }  // [0, 1)
  float Noise() { return Uniform() * 2.0f - 1.0f; }
  int Below(int n) { return n > 0 ? static_cast<int>(Next() % static_cast<uint32_t>(n)) : 0; }
};

float MidiToHz(float midi);

// Attack, decay, sustain level and release, in seconds; held for the note's length.
struct Envelope {
  float attack = 0.005f, decay = 0.1f, sustain = 0.7f, release = 0.1f;
  float Level(float t, float held) const;
  float Length(float held) const { return held + release; }
};

// Topology-preserving state-variable filter (low, band and high pass outputs).
struct Svf {
  float ic1 = 0, ic2 = 0, g = 0, k = 1, a1 = 0, a2 = 0, a3 = 0;
  void Set(float cutoffHz, float q);
  void Process(float x, float* low, float* band, float* high);
  float Low(float x) { float l, b, h; Process(x, &l, &b, &h); return l; }
  float Band(float x) { float l, b, h; Process(x, &l, &b, &h); return b; }
  float High(float x) { float l, b, h; Process(x, &l, &b, &h); return h; }
};

enum class Wave { Sine, Triangle, Saw, Square, SuperSaw, Fm, Noise };

struct Instrument {
  Wave wave = Wave::Saw;
  float pulseWidth = 0.5f;
  float fmRatio = 2.0f, fmIndex = 0.0f, fmDecay = 0.3f;  // index falls off over fmDecay seconds
  Envelope env;
  float cutoff = 0;       // low-pass base in Hz, 0 for none
  float envCutoff = 0;    // added at the note's start, falling over filterDecay
  float filterDecay = 0.2f;
  float resonance = 0.7f;
  float vibratoDepth = 0, vibratoRate = 5.5f, vibratoDelay = 0.25f;  // semitones, Hz, s
  float detune = 0.006f;  // super saw spread
  float gain = 0.3f;
  float pan = 0;  // -1 left .. 1 right
};

// A stereo bus; circular buses wrap writes past their end onto their start, so a piece rendered
// into one loops seamlessly, ringing notes included.
struct Bus {
  std::vector<float> left, right;
  bool circular = false;
  Bus() = default;
  Bus(size_t frames, bool circular_) : left(frames, 0.0f), right(frames, 0.0f), circular(circular_) {}
  size_t Frames() const { return left.size(); }
  void Add(int64_t frame, float l, float r);
  // Frames from onset a note may write (a linear bus stops at its end, or at limit when given).
  int64_t Room(int64_t onset, int64_t length, int64_t limit) const;
};

// Renders one note of an instrument at onset (frames) held for held seconds.
void RenderNote(Bus& bus, const Instrument& inst, int64_t onset, float midi, float held, float velocity,
                uint32_t seed, int64_t limit = -1);

enum class Drum { Kick, Snare, HatClosed, HatOpen, Crash, Clap, TomLow, TomHigh, Shaker };
void RenderDrum(Bus& bus, Drum drum, int64_t onset, float velocity, float pan, uint32_t seed,
                int64_t limit = -1);

// Ping-pong echo mixed into the bus; on a circular bus it runs twice round so the loop is exact.
void ApplyEcho(Bus& bus, float seconds, float feedback, float mix);

void Normalize(std::vector<float>& mono, float peak);

bool WriteWave(const std::string& path, int channels, const std::vector<int16_t>& samples);
std::vector<int16_t> ToPcm(const std::vector<float>& mono);
std::vector<int16_t> ToPcm(const Bus& bus, size_t from, size_t count);

}  // namespace synth
