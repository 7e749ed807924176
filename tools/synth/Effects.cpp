// The nine sound effects. Each is short, because the game restarts one buffer per effect.

#include <algorithm>
#include <cmath>
#include <cstdio>

#include "platform/SoundSystem.h"
#include "tools/synth/Sounds.h"
#include "tools/synth/Synth.h"

namespace synth {
namespace {

std::vector<float> Frames(float seconds) { return std::vector<float>(static_cast<size_t>(seconds * kRate), 0.0f); }

// A soft scratch: band-passed noise whose band rises, with a fast decay.
std::vector<float> Graze() {
  std::vector<float> out = Frames(0.07f);
  Rng rng(11);
  Svf band;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    if ((i & 7) == 0) band.Set(2500 + 40000 * t, 2.0f);
    const float a = (t < 0.004f ? t / 0.004f : 1.0f) * std::exp(-t / 0.02f);
    out[i] = band.Band(rng.Noise()) * a;
  }
  Normalize(out, 0.55f);
  return out;
}

// A light blip falling in pitch: heard many times a second, so it stays thin and short.
std::vector<float> Shot() {
  std::vector<float> out = Frames(0.075f);
  Rng rng(9);
  float phase = 0;
  Svf low;
  low.Set(5000, 0.7f);
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    const float f = 700 + 1300 * std::exp(-t / 0.018f);
    phase += f / kRate;
    phase -= std::floor(phase);
    const float sq = phase < 0.3f ? 1.0f : -1.0f;
    const float a = (t < 0.002f ? t / 0.002f : 1.0f) * std::exp(-t / 0.022f);
    out[i] = low.Low(sq * 0.8f + rng.Noise() * 0.15f) * a;
  }
  Normalize(out, 0.5f);
  return out;
}

// A dry tick: a click of noise over a short high tone.
std::vector<float> ShotHit() {
  std::vector<float> out = Frames(0.05f);
  Rng rng(10);
  Svf high;
  high.Set(3000, 0.8f);
  float phase = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    phase += (2600 - 9000 * t) / kRate;
    phase -= std::floor(phase);
    out[i] = (high.High(rng.Noise()) * std::exp(-t / 0.006f) + std::sin(2 * kPi * phase) * 0.5f * std::exp(-t / 0.012f));
  }
  Normalize(out, 0.5f);
  return out;
}

// The bomb: a resonant sweep rising over a falling boom, with a rushing noise wash.
std::vector<float> Bomb() {
  std::vector<float> out = Frames(1.1f);
  Rng rng(12);
  Svf sweep, wash;
  float p1 = 0, p2 = 0, p3 = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    if ((i & 7) == 0) {
      sweep.Set(300 + 5200 * (1 - std::exp(-t / 0.35f)), 4.0f);
      wash.Set(800 + 3000 * t, 1.0f);
    }
    const float f = 110 * std::exp2(t * 2.6f);
    p1 += f / kRate;
    p2 += f * 1.503f / kRate;
    p1 -= std::floor(p1);
    p2 -= std::floor(p2);
    const float saw = (2 * p1 - 1) + (2 * p2 - 1) * 0.6f;
    const float boomF = 40 + 90 * std::exp(-t / 0.12f);
    p3 += boomF / kRate;
    p3 -= std::floor(p3);
    const float boom = std::sin(2 * kPi * p3) * std::exp(-t / 0.35f);
    const float env = (t < 0.01f ? t / 0.01f : 1.0f) * std::exp(-t / 0.45f);
    const float v = sweep.Low(saw) * 0.5f * env + wash.Band(rng.Noise()) * 0.8f * env + boom * 0.9f;
    out[i] = std::tanh(1.4f * v);
  }
  Normalize(out, 0.9f);
  return out;
}

// A bright chime: two bell tones a fifth apart, the second just after the first.
std::vector<float> PointItem() {
  std::vector<float> out = Frames(0.18f);
  const float notes[2] = {88, 95};  // E6, B6
  const float onsets[2] = {0.0f, 0.045f};
  for (int n = 0; n < 2; ++n) {
    const float f = MidiToHz(notes[n]);
    for (size_t i = static_cast<size_t>(onsets[n] * kRate); i < out.size(); ++i) {
      const float t = static_cast<float>(i) / kRate - onsets[n];
      const float mod = 1.8f * std::exp(-t / 0.03f) * std::sin(2 * kPi * f * 3.5f * t);
      const float a = (t < 0.002f ? t / 0.002f : 1.0f) * std::exp(-t / 0.05f);
      out[i] += std::sin(2 * kPi * f * t + mod) * a;
    }
  }
  Normalize(out, 0.6f);
  return out;
}

// A crunchy explosion: low-passed noise whose band closes, a falling thump and some grit.
std::vector<float> EnemyBreak() {
  std::vector<float> out = Frames(0.55f);
  Rng rng(64);
  Svf low;
  float phase = 0;
  float held = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    if ((i & 7) == 0) low.Set(300 + 6000 * std::exp(-t / 0.08f), 1.1f);
    if (i % 3 == 0) held = rng.Noise();  // sample-and-hold noise gives the crunch
    const float f = 35 + 120 * std::exp(-t / 0.06f);
    phase += f / kRate;
    phase -= std::floor(phase);
    const float thump = std::sin(2 * kPi * phase) * std::exp(-t / 0.12f);
    const float noise = low.Low(held) * std::exp(-t / 0.14f);
    const float a = t < 0.002f ? t / 0.002f : 1.0f;
    out[i] = std::tanh(2.2f * (noise * 1.2f + thump * 0.8f)) * a;
  }
  Normalize(out, 0.85f);
  return out;
}

// Rising square arpeggio: a confident decision.
std::vector<float> Decide() {
  std::vector<float> out = Frames(0.32f);
  const float notes[4] = {72, 76, 79, 84};
  for (int n = 0; n < 4; ++n) {
    const float start = 0.045f * n;
    const float f = MidiToHz(notes[n]);
    float phase = 0;
    for (size_t i = static_cast<size_t>(start * kRate); i < out.size(); ++i) {
      const float t = static_cast<float>(i) / kRate - start;
      phase += f / kRate;
      phase -= std::floor(phase);
      const float sq = (phase < 0.5f ? 1.0f : -1.0f) * 0.6f + std::sin(2 * kPi * phase) * 0.4f;
      const float a = (t < 0.003f ? t / 0.003f : 1.0f) * std::exp(-t / (n == 3 ? 0.09f : 0.04f));
      out[i] += sq * a;
    }
  }
  Svf low;
  low.Set(6000, 0.7f);
  for (float& v : out) v = low.Low(v);
  Normalize(out, 0.6f);
  return out;
}

// A small soft blip for the cursor.
std::vector<float> Cursor() {
  std::vector<float> out = Frames(0.08f);
  const float f = MidiToHz(86);
  for (size_t i = 0; i < out.size(); ++i) {
    const float t = static_cast<float>(i) / kRate;
    float p = f * t;
    p -= std::floor(p);
    const float tri = 4 * std::fabs(p - 0.5f) - 1;
    out[i] = tri * (t < 0.002f ? t / 0.002f : 1.0f) * std::exp(-t / 0.02f);
  }
  Normalize(out, 0.5f);
  return out;
}

// Two quick tones a fifth apart, for a volume step.
std::vector<float> Volume() {
  std::vector<float> out = Frames(0.1f);
  for (int n = 0; n < 2; ++n) {
    const float start = 0.04f * n;
    const float f = MidiToHz(n == 0 ? 81 : 88);
    for (size_t i = static_cast<size_t>(start * kRate); i < out.size(); ++i) {
      const float t = static_cast<float>(i) / kRate - start;
      float p = f * t;
      p -= std::floor(p);
      const float v = (p < 0.25f ? 1.0f : -1.0f) * 0.5f + std::sin(2 * kPi * p) * 0.5f;
      out[i] += v * (t < 0.002f ? t / 0.002f : 1.0f) * std::exp(-t / 0.02f);
    }
  }
  Normalize(out, 0.5f);
  return out;
}

// Every effect ends at silence: a sound cut off mid-wave clicks.
std::vector<float> FadeTail(std::vector<float> out, float seconds) {
  const size_t n = std::min(out.size(), static_cast<size_t>(seconds * kRate));
  for (size_t i = 0; i < n; ++i) out[out.size() - 1 - i] *= static_cast<float>(i) / static_cast<float>(n);
  return out;
}

std::vector<float> Unfaded(int id) {
  switch (id) {
    case SeGraze: return Graze();
    case SeShot: return Shot();
    case SeShotHit: return ShotHit();
    case SeBomb: return Bomb();
    case SePointItem: return PointItem();
    case SeEnemyBreak: return EnemyBreak();
    case SeDecide: return Decide();
    case SeCursor: return Cursor();
    case SeVolume: return Volume();
    default: return {};
  }
}

}  // namespace

std::vector<float> MakeEffect(int id) { return FadeTail(Unfaded(id), id == SeBomb ? 0.35f : 0.015f); }

bool WriteEffects(const std::string& gameDir) {
  for (int id : kSoundEffectIds) {
    const std::string path = gameDir + "/" + SoundEffectFile(id);
    if (!WriteWave(path, 1, ToPcm(MakeEffect(id)))) {
      std::fprintf(stderr, "make_sounds: cannot write %s\n", path.c_str());
      return false;
    }
  }
  return true;
}

}  // namespace synth
