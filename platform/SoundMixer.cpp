#include "platform/SoundMixer.h"

#include <algorithm>
#include <cmath>
#include <cstring>

bool IsUsablePcmFormat(const WaveFormatEx& f) {
  if (f.formatTag != WaveFormatPcm) return false;
  if (f.channels != 1 && f.channels != 2) return false;
  if (f.bitsPerSample != 8 && f.bitsPerSample != 16) return false;
  if (f.samplesPerSec < 100 || f.samplesPerSec > 200000) return false;
  return f.blockAlign == f.channels * (f.bitsPerSample / 8);
}

SoundBuffer::SoundBuffer(SoundMixer* mixer, const WaveFormatEx& format, uint32_t bytes)
    : mixer_(mixer), format_(format), data_(bytes, format.bitsPerSample == 8 ? 0x80 : 0),
      frames_(bytes / format.blockAlign) {}

float SoundBuffer::Sample(uint32_t frame, int channel) const {
  const uint8_t* p = data_.data() + static_cast<size_t>(frame) * format_.blockAlign;
  if (format_.channels == 2) p += channel * (format_.bitsPerSample / 8);
  if (format_.bitsPerSample == 8) return static_cast<float>((static_cast<int>(p[0]) - 128) * 256);
  return static_cast<float>(static_cast<int16_t>(static_cast<uint16_t>(p[0] | p[1] << 8)));
}

bool SoundBuffer::Play(bool looping) {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  playing_ = true;
  looping_ = looping;
  return true;
}

bool SoundBuffer::Stop() {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  playing_ = false;
  return true;
}

bool SoundBuffer::SetCurrentPosition(uint32_t position) {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  if (position >= data_.size()) return false;
  const uint32_t frame = position / format_.blockAlign;
  if (frame >= frames_) return false;
  frame_ = frame;
  fraction_ = 0;
  return true;
}

bool SoundBuffer::GetCurrentPosition(uint32_t* play, uint32_t* write) const {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  const uint32_t position = frame_ * format_.blockAlign;
  if (play) *play = position;
  if (write) *write = position;
  return true;
}

uint32_t SoundBuffer::GetStatus() const {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  if (!playing_) return 0;
  return SoundStatusPlaying | (looping_ ? static_cast<uint32_t>(SoundStatusLooping) : 0u);
}

bool SoundBuffer::SetVolume(int32_t volume) {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  if (volume < kSoundVolumeMin || volume > kSoundVolumeMax) return false;
  volume_ = volume;
  gain_ = SoundMixer::VolumeToGain(volume);
  return true;
}

int32_t SoundBuffer::GetVolume() const {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  return volume_;
}

bool SoundBuffer::Write(uint32_t offset, const void* data, uint32_t bytes) {
  std::lock_guard<std::mutex> lock(mixer_->mutex_);
  if (offset >= data_.size() || bytes > data_.size()) return false;
  const uint32_t first = std::min<uint32_t>(bytes, static_cast<uint32_t>(data_.size()) - offset);
  std::memcpy(data_.data() + offset, data, first);
  std::memcpy(data_.data(), static_cast<const uint8_t*>(data) + first, bytes - first);
  return true;
}

void SoundBuffer::Release() {
  SoundMixer* mixer = mixer_;
  {
    std::lock_guard<std::mutex> lock(mixer->mutex_);
    auto& list = mixer->buffers_;
    list.erase(std::remove(list.begin(), list.end(), this), list.end());
  }
  delete this;
}

SoundMixer::SoundMixer(int outputRate) : outputRate_(outputRate > 0 ? outputRate : 22050) {}

SoundMixer::~SoundMixer() {
  for (SoundBuffer* buffer : buffers_) delete buffer;
}

void SoundMixer::SetOutputRate(int rate) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (rate > 0) outputRate_ = rate;
}

SoundBuffer* SoundMixer::CreateBuffer(const SoundBufferDesc& desc) {
  if (!desc.format || !IsUsablePcmFormat(*desc.format)) return nullptr;
  if (desc.bufferBytes < kSoundBufferMinBytes || desc.bufferBytes > kSoundBufferMaxBytes) return nullptr;
  if (desc.bufferBytes < desc.format->blockAlign) return nullptr;
  SoundBuffer* buffer = new SoundBuffer(this, *desc.format, desc.bufferBytes);
  std::lock_guard<std::mutex> lock(mutex_);
  buffers_.push_back(buffer);
  return buffer;
}

int SoundMixer::BufferCount() const {
  std::lock_guard<std::mutex> lock(mutex_);
  return static_cast<int>(buffers_.size());
}

float SoundMixer::VolumeToGain(int32_t volume) {
  if (volume <= kSoundVolumeMin) return 0.0f;
  if (volume >= kSoundVolumeMax) return 1.0f;
  return static_cast<float>(std::pow(10.0, static_cast<double>(volume) / 2000.0));
}

void SoundMixer::Mix(int16_t* stereoOut, int frames) {
  if (frames <= 0) return;
  std::lock_guard<std::mutex> lock(mutex_);
  mixLeft_.assign(static_cast<size_t>(frames), 0.0f);
  mixRight_.assign(static_cast<size_t>(frames), 0.0f);
  for (SoundBuffer* b : buffers_) {
    if (!b->playing_ || b->frames_ == 0) continue;
    // Linear interpolation at the buffer's own rate, stepping in 32.32 fixed point.
    const uint64_t step = (static_cast<uint64_t>(b->format_.samplesPerSec) << 32) /
                          static_cast<uint64_t>(outputRate_);
    const bool stereo = b->format_.channels == 2;
    const float gain = b->gain_;
    for (int i = 0; i < frames; ++i) {
      const uint32_t next = b->frame_ + 1 < b->frames_ ? b->frame_ + 1 : (b->looping_ ? 0 : b->frame_);
      const float t = static_cast<float>(b->fraction_) * (1.0f / 4294967296.0f);
      const float l0 = b->Sample(b->frame_, 0);
      const float l1 = b->Sample(next, 0);
      const float left = l0 + (l1 - l0) * t;
      float right = left;
      if (stereo) {
        const float r0 = b->Sample(b->frame_, 1);
        const float r1 = b->Sample(next, 1);
        right = r0 + (r1 - r0) * t;
      }
      mixLeft_[i] += left * gain;
      mixRight_[i] += right * gain;

      const uint64_t advanced = static_cast<uint64_t>(b->fraction_) + step;
      b->fraction_ = static_cast<uint32_t>(advanced);
      uint64_t frame = static_cast<uint64_t>(b->frame_) + (advanced >> 32);
      if (frame >= b->frames_) {
        if (b->looping_) {
          frame %= b->frames_;
        } else {
          // Played to its end: stopped, and rewound so that a later Play starts it again.
          b->playing_ = false;
          b->frame_ = 0;
          b->fraction_ = 0;
          break;
        }
      }
      b->frame_ = static_cast<uint32_t>(frame);
    }
  }
  for (int i = 0; i < frames; ++i) {
    const float l = std::clamp(mixLeft_[i], -32768.0f, 32767.0f);
    const float r = std::clamp(mixRight_[i], -32768.0f, 32767.0f);
    stereoOut[2 * i] = static_cast<int16_t>(std::lrint(l));
    stereoOut[2 * i + 1] = static_cast<int16_t>(std::lrint(r));
  }
}
