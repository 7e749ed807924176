#include "tools/synth/Synth.h"

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace synth {

float MidiToHz(float midi) { return 440.0f * std::exp2((midi - 69.0f) / 12.0f); }

float Envelope::Level(float t, float held) const {
  auto before = [this](float u) {
    if (u < attack) return attack > 0 ? u / attack : 1.0f;
    u -= attack;
    if (u < decay) return 1.0f - (1.0f - sustain) * (u / decay);
    return sustain;
  };
  if (t < held) return before(t);
  if (release <= 0) return 0.0f;
  const float x = 1.0f - (t - held) / release;
  return x > 0 ? before(held) * x * x : 0.0f;
}

void Svf::Set(float cutoffHz, float q) {
  const float fc = std::clamp(cutoffHz, 20.0f, 0.45f * kRate);
  g = std::tan(kPi * fc / kRate);
  k = 1.0f / std::max(q, 0.5f);
  a1 = 1.0f / (1.0f + g * (g + k));
  a2 = g * a1;
  a3 = g * a2;
}

void Svf::Process(float x, float* low, float* band, float* high) {
  const float v3 = x - ic2;
  const float v1 = a1 * ic1 + a2 * v3;
  const float v2 = ic2 + a2 * ic1 + a3 * v3;
  ic1 = 2 * v1 - ic1;
  ic2 = 2 * v2 - ic2;
  *low = v2;
  *band = v1;
  *high = x - k * v1 - v2;
}

void Bus::Add(int64_t frame, float l, float r) {
  const int64_t n = static_cast<int64_t>(Frames());
  if (n == 0) return;
  if (circular) {
    frame %= n;
    if (frame < 0) frame += n;
  } else if (frame < 0 || frame >= n) {
    return;
  }
  left[frame] += l;
  right[frame] += r;
}

int64_t Bus::Room(int64_t onset, int64_t length, int64_t limit) const {
  const int64_t n = static_cast<int64_t>(Frames());
  if (circular) return std::min(length, n);
  int64_t end = n;
  if (limit >= 0) end = std::min(end, limit);
  return std::max<int64_t>(0, std::min(length, end - onset));
}

namespace {

float PolyBlep(float t, float dt) {
  if (t < dt) {
    t /= dt;
    return t + t - t * t - 1.0f;
  }
  if (t > 1.0f - dt) {
    t = (t - 1.0f) / dt;
    return t * t + t + t + 1.0f;
  }
  return 0.0f;
}

float Saw(float phase, float dt) { return 2.0f * phase - 1.0f - PolyBlep(phase, dt); }

float Square(float phase, float dt, float width) {
  float v = phase < width ? 1.0f : -1.0f;
  v += PolyBlep(phase, dt);
  float shifted = phase + 1.0f - width;
  if (shifted >= 1.0f) shifted -= 1.0f;
  v -= PolyBlep(shifted, dt);
  return v;
}

void Pan(float pan, float* l, float* r) {
  const float a = (std::clamp(pan, -1.0f, 1.0f) + 1.0f) * (kPi / 4.0f);
  *l = std::cos(a);
  *r = std::sin(a);
}

// Writes a mono signal of length frames at onset through pan gains.
template <typename Fn>
void RenderMono(Bus& bus, int64_t onset, int64_t frames, float pan, Fn&& sample) {
  float gl, gr;
  Pan(pan, &gl, &gr);
  const int64_t n = static_cast<int64_t>(bus.Frames());
  if (n == 0 || frames <= 0) return;
  int64_t index = onset;
  if (bus.circular) {
    index %= n;
    if (index < 0) index += n;
  }
  for (int64_t i = 0; i < frames; ++i) {
    const float s = sample(i);
    if (index >= 0 && index < n) {
      bus.left[index] += s * gl;
      bus.right[index] += s * gr;
    }
    if (++index == n && bus.circular) index = 0;
  }
}

}  // namespace

void RenderNote(Bus& bus, const Instrument& inst, int64_t onset, float midi, float held, float velocity,
                uint32_t seed, int64_t limit) {
  const int64_t length = static_cast<int64_t>(inst.env.Length(held) * kRate) + 1;
  const int64_t frames = bus.Room(onset, length, limit);
  if (frames <= 0) return;
  const float base = MidiToHz(midi);
  Rng rng(seed * 2654435761u + 12345u);
  float phase[3] = {rng.Uniform(), rng.Uniform(), rng.Uniform()};
  float modPhase = 0;
  Svf filter;
  float cutoffHeld = -1;
  // A note cut short by the bus limit fades over its last 5 ms instead of clicking.
  const float fadeFrames = 0.005f * kRate;
  const float amp = inst.gain * velocity;
  RenderMono(bus, onset, frames, inst.pan, [&](int64_t i) {
    const float t = static_cast<float>(i) / kRate;
    float f = base;
    if (inst.vibratoDepth > 0 && t > inst.vibratoDelay) {
      const float ramp = std::min(1.0f, (t - inst.vibratoDelay) / 0.3f);
      f *= std::exp2(inst.vibratoDepth * ramp * std::sin(2 * kPi * inst.vibratoRate * t) / 12.0f);
    }
    const float dt = f / kRate;
    float v = 0;
    switch (inst.wave) {
      case Wave::Sine: v = std::sin(2 * kPi * phase[0]); break;
      case Wave::Triangle: v = 4.0f * std::fabs(phase[0] - 0.5f) - 1.0f; break;
      case Wave::Saw: v = Saw(phase[0], dt); break;
      case Wave::Square: v = Square(phase[0], dt, inst.pulseWidth); break;
      case Wave::SuperSaw:
        v = (Saw(phase[0], dt) + Saw(phase[1], dt * (1 + inst.detune)) + Saw(phase[2], dt * (1 - inst.detune))) *
            0.45f;
        break;
      case Wave::Fm: {
        const float index = inst.fmIndex * std::exp(-t / std::max(inst.fmDecay, 0.001f));
        v = std::sin(2 * kPi * phase[0] + index * std::sin(2 * kPi * modPhase));
        modPhase += dt * inst.fmRatio;
        modPhase -= std::floor(modPhase);
        break;
      }
      case Wave::Noise: v = rng.Noise(); break;
    }
    phase[0] += dt;
    phase[0] -= std::floor(phase[0]);
    if (inst.wave == Wave::SuperSaw) {
      phase[1] += dt * (1 + inst.detune);
      phase[1] -= std::floor(phase[1]);
      phase[2] += dt * (1 - inst.detune);
      phase[2] -= std::floor(phase[2]);
    }
    if (inst.cutoff > 0) {
      if ((i & 7) == 0) {
        const float c = inst.cutoff + inst.envCutoff * std::exp(-t / std::max(inst.filterDecay, 0.001f));
        if (std::fabs(c - cutoffHeld) > 1.0f) {
          filter.Set(c, inst.resonance);
          cutoffHeld = c;
        }
      }
      v = filter.Low(v);
    }
    float level = inst.env.Level(t, held) * amp;
    const float left = static_cast<float>(frames - i);
    if (frames < length && left < fadeFrames) level *= left / fadeFrames;
    return v * level;
  });
}

void RenderDrum(Bus& bus, Drum drum, int64_t onset, float velocity, float pan, uint32_t seed, int64_t limit) {
  Rng rng(seed * 747796405u + 2891336453u);
  Svf filter;
  Svf filter2;
  float seconds = 0.3f;
  switch (drum) {
    case Drum::Kick: seconds = 0.45f; break;
    case Drum::Snare: seconds = 0.3f; filter.Set(1900, 0.9f); break;
    case Drum::HatClosed: seconds = 0.07f; filter.Set(7500, 0.8f); break;
    case Drum::HatOpen: seconds = 0.35f; filter.Set(7000, 0.8f); break;
    case Drum::Crash: seconds = 1.6f; filter.Set(5000, 0.6f); filter2.Set(9000, 0.7f); break;
    case Drum::Clap: seconds = 0.25f; filter.Set(1300, 1.4f); break;
    case Drum::TomLow: case Drum::TomHigh: seconds = 0.4f; break;
    case Drum::Shaker: seconds = 0.09f; filter.Set(6000, 1.2f); break;
  }
  const int64_t length = static_cast<int64_t>(seconds * kRate);
  const int64_t frames = bus.Room(onset, length, limit);
  if (frames <= 0) return;
  float phase = 0;
  const float fadeFrames = 0.02f * kRate;  // the last 20 ms fade, so no drum ends in a click
  RenderMono(bus, onset, frames, pan, [&](int64_t i) {
    const float t = static_cast<float>(i) / kRate;
    const float left = static_cast<float>(frames - i);
    const float fade = left < fadeFrames ? left / fadeFrames : 1.0f;
    float v = 0;
    switch (drum) {
      case Drum::Kick: {
        const float f = 45.0f + 115.0f * std::exp(-t / 0.035f);
        phase += f / kRate;
        phase -= std::floor(phase);
        v = std::sin(2 * kPi * phase) * std::exp(-t / 0.22f) * 1.1f;
        if (t < 0.004f) v += rng.Noise() * 0.5f * (1 - t / 0.004f);
        v = std::tanh(1.6f * v);
        break;
      }
      case Drum::Snare: {
        phase += 190.0f / kRate;
        phase -= std::floor(phase);
        const float tone = std::sin(2 * kPi * phase) * std::exp(-t / 0.05f) * 0.6f;
        const float noise = filter.Band(rng.Noise()) * 1.6f + rng.Noise() * 0.25f;
        v = tone + noise * std::exp(-t / 0.11f);
        break;
      }
      case Drum::HatClosed: v = filter.High(rng.Noise()) * std::exp(-t / 0.018f) * 0.5f; break;
      case Drum::HatOpen: v = filter.High(rng.Noise()) * std::exp(-t / 0.11f) * 0.4f; break;
      case Drum::Crash: {
        const float n = rng.Noise();
        v = (filter.High(n) * 0.7f + filter2.Band(n) * 0.5f) * std::exp(-t / 0.5f);
        if (t < 0.002f) v *= t / 0.002f;
        break;
      }
      case Drum::Clap: {
        const float burst = t < 0.03f ? std::exp(-std::fmod(t, 0.01f) / 0.003f) : std::exp(-(t - 0.03f) / 0.07f);
        v = filter.Band(rng.Noise()) * burst * 2.0f;
        break;
      }
      case Drum::TomLow:
      case Drum::TomHigh: {
        const float base = drum == Drum::TomLow ? 95.0f : 150.0f;
        phase += (base + base * 0.6f * std::exp(-t / 0.05f)) / kRate;
        phase -= std::floor(phase);
        v = std::sin(2 * kPi * phase) * std::exp(-t / 0.16f);
        break;
      }
      case Drum::Shaker: {
        const float a = t < 0.012f ? t / 0.012f : std::exp(-(t - 0.012f) / 0.025f);
        v = filter.Band(rng.Noise()) * a * 1.2f;
        break;
      }
    }
    return v * velocity * fade;
  });
}

void ApplyEcho(Bus& bus, float seconds, float feedback, float mix) {
  const size_t n = bus.Frames();
  const size_t d = static_cast<size_t>(seconds * kRate);
  if (n == 0 || d == 0) return;
  std::vector<float> dl(d, 0.0f), dr(d, 0.0f);
  size_t at = 0;
  const int passes = bus.circular ? 2 : 1;
  for (int pass = 0; pass < passes; ++pass) {
    const bool output = pass == passes - 1;
    for (size_t i = 0; i < n; ++i) {
      const float wl = dl[at];
      const float wr = dr[at];
      const float in = (bus.left[i] + bus.right[i]) * 0.5f;
      dl[at] = in + wr * feedback;
      dr[at] = wl * feedback;
      if (++at == d) at = 0;
      if (output) {
        bus.left[i] += wl * mix;
        bus.right[i] += wr * mix;
      }
    }
  }
}

void Normalize(std::vector<float>& mono, float peak) {
  float top = 1e-9f;
  for (float v : mono) top = std::max(top, std::fabs(v));
  for (float& v : mono) v *= peak / top;
}

namespace {
int16_t ToSample(float v) {
  const float s = std::clamp(v * 32767.0f, -32768.0f, 32767.0f);
  return static_cast<int16_t>(std::lrint(s));
}
}  // namespace

std::vector<int16_t> ToPcm(const std::vector<float>& mono) {
  std::vector<int16_t> pcm(mono.size());
  for (size_t i = 0; i < mono.size(); ++i) pcm[i] = ToSample(mono[i]);
  return pcm;
}

std::vector<int16_t> ToPcm(const Bus& bus, size_t from, size_t count) {
  std::vector<int16_t> pcm(count * 2);
  for (size_t i = 0; i < count; ++i) {
    pcm[2 * i] = ToSample(bus.left[from + i]);
    pcm[2 * i + 1] = ToSample(bus.right[from + i]);
  }
  return pcm;
}

bool WriteWave(const std::string& path, int channels, const std::vector<int16_t>& samples) {
  std::FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
  const uint32_t blockAlign = static_cast<uint32_t>(channels) * 2;
  uint8_t h[44];
  auto put32 = [&h](int at, uint32_t v) {
    for (int i = 0; i < 4; ++i) h[at + i] = static_cast<uint8_t>(v >> (8 * i));
  };
  auto put16 = [&h](int at, uint32_t v) {
    h[at] = static_cast<uint8_t>(v);
    h[at + 1] = static_cast<uint8_t>(v >> 8);
  };
  std::copy_n("RIFF", 4, h);
  put32(4, 36 + dataBytes);
  std::copy_n("WAVEfmt ", 8, h + 8);
  put32(16, 16);
  put16(20, 1);
  put16(22, static_cast<uint32_t>(channels));
  put32(24, kRate);
  put32(28, kRate * blockAlign);
  put16(32, blockAlign);
  put16(34, 16);
  std::copy_n("data", 4, h + 36);
  put32(40, dataBytes);
  std::vector<uint8_t> body(dataBytes);
  for (size_t i = 0; i < samples.size(); ++i) {
    const uint16_t v = static_cast<uint16_t>(samples[i]);
    body[2 * i] = static_cast<uint8_t>(v);
    body[2 * i + 1] = static_cast<uint8_t>(v >> 8);
  }
  const bool ok = std::fwrite(h, 1, sizeof(h), f) == sizeof(h) &&
                  std::fwrite(body.data(), 1, body.size(), f) == body.size();
  return std::fclose(f) == 0 && ok;
}

}  // namespace synth
