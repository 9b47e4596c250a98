// Decodes Ogg Vorbis files through the engine's reader, mono or stereo, chained files included.
#include "sound/stream_ogg.h"

#include <vorbis/vorbisfile.h>

#include <climits>
#include <cstdio>
#include <cstring>

#include "sound/file_system.h"

namespace vavozovu {

namespace {

size_t readHook(void* ptr, size_t size, size_t count, void* source) {
  if (size == 0 || count == 0) return 0;
  size_t want = size * count;
  if (want / size != count || want > INT32_MAX) want = (INT32_MAX / size) * size;
  int32_t got = static_cast<IFileReader*>(source)->read(ptr, static_cast<int32_t>(want));
  return got <= 0 ? 0 : static_cast<size_t>(got) / size;
}

// 0 whenever the reader moved (a move of 0 bytes included), -1 otherwise.
int seekHook(void* source, ogg_int64_t offset, int whence) {
  IFileReader* r = static_cast<IFileReader*>(source);
  ogg_int64_t target;
  bool relative = false;
  switch (whence) {
    case SEEK_SET: target = offset; break;
    case SEEK_CUR: target = offset; relative = true; break;
    case SEEK_END: target = static_cast<ogg_int64_t>(r->getSize()) + offset; break;
    default: return -1;
  }
  if (target > INT32_MAX || target < INT32_MIN) return -1;
  return r->seek(static_cast<int32_t>(target), relative) ? 0 : -1;
}

// The stream drops the reader itself.
int closeHook(void*) { return 0; }

long tellHook(void* source) { return static_cast<IFileReader*>(source)->getPos(); }

}  // namespace

CVavOzovuAudioStreamOGG::CVavOzovuAudioStreamOGG(IFileReader* reader)
    : reader_(reader), file_(new OggVorbis_File) {
  memset(file_, 0, sizeof *file_);
  if (!reader_) return;
  reader_->grab();
  ov_callbacks cb = {readHook, seekHook, closeHook, tellHook};
  bool ok = ov_open_callbacks(reader_, file_, nullptr, 0, cb) == 0;
  if (ok) {
    vorbis_info* info = ov_info(file_, -1);
    // Only mono and stereo sounds can be mixed.
    if (info && info->channels >= 1 && info->channels <= 2 && info->rate > 0 &&
        info->rate <= INT32_MAX) {
      format_.ChannelCount = info->channels;
      format_.SampleRate = static_cast<int32_t>(info->rate);
      ogg_int64_t total = ov_pcm_total(file_, -1);
      format_.FrameCount = total < 0 ? -1 : (total > INT32_MAX ? INT32_MAX : static_cast<int32_t>(total));
      format_.SampleFormat = ESF_S16;
      // Opening a chained file can leave the decoder at the start of a later
      // link; a sound starts at its first frame.
      if (ov_seekable(file_) && ov_streams(file_) > 1) ov_pcm_seek(file_, 0);
    } else {
      ov_clear(file_);
      ok = false;
    }
  }
  if (!ok) {
    memset(file_, 0, sizeof *file_);
    reader_->drop();
    reader_ = nullptr;
  }
}

CVavOzovuAudioStreamOGG::~CVavOzovuAudioStreamOGG() {
  if (reader_) {
    ov_clear(file_);
    reader_->drop();
  }
  delete file_;
}

bool CVavOzovuAudioStreamOGG::setPosition(int32_t frame) {
  if (!reader_ || !ov_seekable(file_)) return false;
  return ov_pcm_seek(file_, frame < 0 ? 0 : frame) == 0;
}

int32_t CVavOzovuAudioStreamOGG::readFrames(void* target, int32_t frameCount) {
  if (!reader_ || frameCount <= 0) return 0;
  const int32_t frameSize = format_.getFrameSize();
  char* out = static_cast<char*>(target);
  int32_t wanted = frameCount;
  int32_t delivered = 0;
  int32_t errors = 0;
  while (wanted > 0) {
    // A chained file whose next link has another format ends the stream.
    vorbis_info* info = ov_info(file_, -1);
    if (!info || info->rate != format_.SampleRate || info->channels != format_.ChannelCount)
      break;
    int bitstream = 0;
    long got = ov_read(file_, out, wanted * frameSize, 0, 2, 1, &bitstream);
    if (got == 0) break;
    if (got < 0) {
      if (++errors >= wanted) break;
      continue;
    }
    // The decoder may have crossed into the next link within this call.
    vorbis_info* now = ov_info(file_, bitstream);
    if (!now || now->rate != format_.SampleRate || now->channels != format_.ChannelCount) break;
    int32_t frames = static_cast<int32_t>(got) / frameSize;
    out += static_cast<size_t>(frames) * frameSize;
    wanted -= frames;
    delivered += frames;
  }
  return delivered;
}

CVavOzovuAudioStreamLoaderOGG::CVavOzovuAudioStreamLoaderOGG(vz_internal::io::IFileSystem* fs)
    : fs_(fs) {
  if (fs_) fs_->grab();
}

CVavOzovuAudioStreamLoaderOGG::~CVavOzovuAudioStreamLoaderOGG() {
  if (fs_) fs_->drop();
}

bool CVavOzovuAudioStreamLoaderOGG::isValidFileExtension(const char* fileName) {
  return fileName && strstr(fileName, ".ogg") != nullptr;
}

IAudioStream* CVavOzovuAudioStreamLoaderOGG::createAudioStream(IFileReader* reader) {
  CVavOzovuAudioStreamOGG* s = new CVavOzovuAudioStreamOGG(reader);
  if (s->isOK()) return s;
  s->drop();
  return nullptr;
}

}  // namespace vavozovu
