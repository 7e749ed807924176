#pragma once
// The mixer under the sound layer. Each sound lives whole in one buffer that plays once or
// looping from where it stands; Stop keeps the position, so the music's loop window can move the
// play cursor back by a distance, and an effect is restarted by setting its position to 0. Volumes
// are in hundredths of a decibel (0 full, -10000 silent), the unit the game's volume settings map
// to. The audio device pulls mixed 16-bit stereo from Mix on its own thread, so every operation
// takes the mixer's lock; tests pull samples the same way without any device.

#include <cstdint>
#include <mutex>
#include <vector>

#include "platform/Wave.h"

enum SoundBufferFlag : uint32_t {
  SoundBufferPrimary = 0x1,
  SoundBufferCtrlVolume = 0x80,
  SoundBufferGlobalFocus = 0x8000,
  SoundBufferGetCurrentPosition2 = 0x10000,
  SoundBufferLocDefer = 0x40000,
};

enum SoundStatusFlag : uint32_t {
  SoundStatusPlaying = 0x1,
  SoundStatusLooping = 0x4,
};

constexpr int32_t kSoundVolumeMin = -10000;
constexpr int32_t kSoundVolumeMax = 0;
constexpr uint32_t kSoundBufferMinBytes = 4;
constexpr uint32_t kSoundBufferMaxBytes = 0x0FFFFFFF;

// Description of a buffer to create; the sound layer fills in size 36 and its flags, which the
// mixer keeps but does not act on.
struct SoundBufferDesc {
  uint32_t size = 0;
  uint32_t flags = 0;
  uint32_t bufferBytes = 0;
  const WaveFormatEx* format = nullptr;
};

// A PCM format the mixer plays: 1 or 2 channels, 8 or 16 bits, 100..200000 Hz, block align =
// channels × bytes per sample.
bool IsUsablePcmFormat(const WaveFormatEx& format);

class SoundMixer;

class SoundBuffer {
 public:
  // All return false when the call was refused (and then change nothing).
  bool Play(bool looping);
  bool Stop();
  bool SetCurrentPosition(uint32_t position);  // rounded down to whole sample frames
  bool GetCurrentPosition(uint32_t* play, uint32_t* write) const;
  uint32_t GetStatus() const;
  bool SetVolume(int32_t volume);
  int32_t GetVolume() const;
  // Fills the buffer: copies bytes from offset, wrapping to the start.
  bool Write(uint32_t offset, const void* data, uint32_t bytes);
  uint32_t Bytes() const { return static_cast<uint32_t>(data_.size()); }
  const WaveFormatEx& Format() const { return format_; }
  void Release();  // removes the buffer from its mixer and deletes it

 private:
  friend class SoundMixer;
  SoundBuffer(SoundMixer* mixer, const WaveFormatEx& format, uint32_t bytes);
  float Sample(uint32_t frame, int channel) const;

  SoundMixer* mixer_;
  WaveFormatEx format_;
  std::vector<uint8_t> data_;
  uint32_t frames_;
  uint32_t frame_ = 0;     // next frame to mix: both cursors
  uint32_t fraction_ = 0;  // position between frame_ and frame_ + 1, in 1/2^32
  bool playing_ = false;
  bool looping_ = false;
  int32_t volume_ = 0;
  float gain_ = 1.0f;
};

class SoundMixer {
 public:
  explicit SoundMixer(int outputRate);
  ~SoundMixer();  // deletes the buffers still alive
  SoundMixer(const SoundMixer&) = delete;
  SoundMixer& operator=(const SoundMixer&) = delete;

  void SetOutputRate(int rate);
  // Null unless the format is usable PCM and the size is 4 bytes to 256 MB and a whole frame.
  SoundBuffer* CreateBuffer(const SoundBufferDesc& desc);
  int BufferCount() const;
  // Mixes every playing buffer into frames of interleaved stereo, saturating.
  void Mix(int16_t* stereoOut, int frames);

  // Gain of a volume in hundredths of a decibel: 10^(v/2000), and exactly 0 at -10000.
  static float VolumeToGain(int32_t volume);

 private:
  friend class SoundBuffer;
  mutable std::mutex mutex_;
  std::vector<SoundBuffer*> buffers_;
  std::vector<float> mixLeft_;
  std::vector<float> mixRight_;
  int outputRate_;
};
