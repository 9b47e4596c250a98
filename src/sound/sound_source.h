// Sound sources: named pieces of audio that the engine keeps by name and
// plays any number of times, buffered (decoded once) or streamed.
#pragma once
#include "sound/audio_stream.h"
#include "sound/containers.h"
#include "sound/sound.h"

namespace vz_internal {
namespace io {
class IFileSystem;
}
}  // namespace vz_internal

namespace vavozovu {

// Decoded samples shared by every sound of a buffered source.
class CVavOzovuBufferedSamples : public IRefCounted {
 public:
  // Copies `data` when given, else zeroes; no block when the size is below 1.
  CVavOzovuBufferedSamples(const SAudioStreamFormat& format, const void* data);
  // Points at the caller's block without owning it.
  CVavOzovuBufferedSamples(const SAudioStreamFormat& format, void* data, bool /*borrowed*/);
  ~CVavOzovuBufferedSamples() override;
  const SAudioStreamFormat& getFormat() const { return format_; }
  void setFrameCount(int32_t frames) { format_.FrameCount = frames; }
  uint8_t* getData() const { return data_; }
  int64_t getByteSize() const { return data_ ? format_.getSampleDataSize() : 0; }
  // Forgets a borrowed block so that it is not freed.
  void detachData() { data_ = nullptr; }

 private:
  SAudioStreamFormat format_;
  uint8_t* data_ = nullptr;
  bool owned_ = true;
};

class ISoundSource : public IVirtualRefCounted {
 public:
  virtual const char* getName() = 0;
  virtual void setStreamMode(E_STREAM_MODE mode) = 0;
  virtual E_STREAM_MODE getStreamMode() = 0;
  virtual int32_t getPlayLength() = 0;
  virtual SAudioStreamFormat getAudioFormat() = 0;
  virtual bool getIsSeekingSupported() = 0;
  virtual void setDefaultVolume(float volume = 1.0f) = 0;
  virtual float getDefaultVolume() = 0;
  virtual void setDefaultMinDistance(float d) = 0;
  virtual float getDefaultMinDistance() = 0;
  virtual void setDefaultMaxDistance(float d) = 0;
  virtual float getDefaultMaxDistance() = 0;
  virtual void forceReloadAtNextUse() = 0;
  virtual void setForcedStreamingThreshold(int32_t bytes) = 0;
  virtual int32_t getForcedStreamingThreshold() = 0;
  virtual void* getSampleData() = 0;
  virtual void preloadSamples(vz_internal::io::IFileSystem* fs) = 0;
  virtual ISound* createSoundForSource(vz_internal::io::IFileSystem* fs, bool looped, bool is3D,
                                       bool effects, float minDistance, float maxDistance) = 0;
  virtual IFileReader* createFileReader(vz_internal::io::IFileSystem* fs) = 0;
};

class CVavOzovuSoundSource : public ISoundSource {
 public:
  CVavOzovuSoundSource(const char* name, E_STREAM_MODE mode, CVavOzovuSoundEngine* engine);
  ~CVavOzovuSoundSource() override;

  const char* getName() override { return name_.c_str(); }
  void setStreamMode(E_STREAM_MODE mode) override { streamMode_ = mode; }
  E_STREAM_MODE getStreamMode() override { return streamMode_; }
  int32_t getPlayLength() override;
  SAudioStreamFormat getAudioFormat() override;
  bool getIsSeekingSupported() override;
  void setDefaultVolume(float volume = 1.0f) override;
  float getDefaultVolume() override { return defaultVolume_; }
  void setDefaultMinDistance(float d) override { defaultMinDistance_ = d; }
  float getDefaultMinDistance() override;
  void setDefaultMaxDistance(float d) override { defaultMaxDistance_ = d; }
  float getDefaultMaxDistance() override;
  void forceReloadAtNextUse() override;
  void setForcedStreamingThreshold(int32_t bytes) override { forcedStreamingThreshold_ = bytes; }
  int32_t getForcedStreamingThreshold() override { return forcedStreamingThreshold_; }
  void* getSampleData() override;
  void preloadSamples(vz_internal::io::IFileSystem* fs) override;
  ISound* createSoundForSource(vz_internal::io::IFileSystem* fs, bool looped, bool is3D,
                               bool effects, float minDistance, float maxDistance) override;
  IFileReader* createFileReader(vz_internal::io::IFileSystem* fs) override;

  CVavOzovuSoundEngine* getEngine() const { return engine_; }
  // The engine lets go of the source (removal or engine shutdown).
  void detachEngine() { engine_ = nullptr; }
  // The back-end's cache of output buffers for these samples.
  IRefCounted* getReusableBuffers() const { return reusableBuffers_; }
  void setReusableBuffers(IRefCounted* buffers) { reusableBuffers_ = buffers; }

 protected:
  ISound* openSourceAndCreateSound(bool preloadOnly, vz_internal::io::IFileSystem* fs, bool looped,
                                   bool is3D, bool effects, float minDistance, float maxDistance);
  void ensureFormatLoaded();

  vz_internal::vzString name_;
  E_STREAM_MODE streamMode_;
  int32_t forcedStreamingThreshold_ = 2000000;
  float defaultMinDistance_ = -1.0f;
  float defaultMaxDistance_ = -1.0f;
  float defaultVolume_ = 1.0f;
  SAudioStreamFormat format_;
  bool seekable_ = true;
  CVavOzovuBufferedSamples* samples_ = nullptr;
  CVavOzovuSoundEngine* engine_;
  IRefCounted* reusableBuffers_ = nullptr;
};

// A source over a block of file bytes in memory (a WAV or Ogg image).
class CVavOzovuMemorySoundSource : public CVavOzovuSoundSource {
 public:
  CVavOzovuMemorySoundSource(const void* data, int32_t size, const char* name,
                             CVavOzovuSoundEngine* engine, bool copy);
  ~CVavOzovuMemorySoundSource() override;
  IFileReader* createFileReader(vz_internal::io::IFileSystem* fs) override;

 private:
  const uint8_t* data_;
  int32_t size_;
  bool owns_;
};

// Another name for a source, with its own defaults.
class CVavOzovuSoundSourceAlias : public CVavOzovuSoundSource {
 public:
  CVavOzovuSoundSourceAlias(ISoundSource* target, const char* name, CVavOzovuSoundEngine* engine);
  ~CVavOzovuSoundSourceAlias() override;
  void setStreamMode(E_STREAM_MODE mode) override { target_->setStreamMode(mode); }
  E_STREAM_MODE getStreamMode() override { return target_->getStreamMode(); }
  int32_t getPlayLength() override { return target_->getPlayLength(); }
  SAudioStreamFormat getAudioFormat() override { return target_->getAudioFormat(); }
  bool getIsSeekingSupported() override { return target_->getIsSeekingSupported(); }
  void forceReloadAtNextUse() override { target_->forceReloadAtNextUse(); }
  void setForcedStreamingThreshold(int32_t b) override { target_->setForcedStreamingThreshold(b); }
  int32_t getForcedStreamingThreshold() override { return target_->getForcedStreamingThreshold(); }
  void* getSampleData() override { return target_->getSampleData(); }
  void preloadSamples(vz_internal::io::IFileSystem* fs) override { target_->preloadSamples(fs); }
  ISound* createSoundForSource(vz_internal::io::IFileSystem* fs, bool looped, bool is3D,
                               bool effects, float minDistance, float maxDistance) override {
    return target_->createSoundForSource(fs, looped, is3D, effects, minDistance, maxDistance);
  }

 private:
  ISoundSource* target_;
};

// A source over raw PCM frames of a known format.
class CVavOzovuPurePCMSoundSource : public CVavOzovuSoundSource {
 public:
  CVavOzovuPurePCMSoundSource(void* data, int32_t size, const SAudioStreamFormat& format,
                              const char* name, CVavOzovuSoundEngine* engine, bool copy);
  ~CVavOzovuPurePCMSoundSource() override;
  void forceReloadAtNextUse() override {}
  IFileReader* createFileReader(vz_internal::io::IFileSystem*) override { return nullptr; }

 private:
  bool copy_;
};

}  // namespace vavozovu
