// Decodes tracker modules through the engine's reader, refusing ones the renderer cannot play.
#include "sound/stream_mod.h"

#include <dumb.h>

#include <climits>
#include <cstring>

#include "sound/file_system.h"

namespace vavozovu {

namespace {

const int32_t kRate = 44100;

// DUMB reads through the engine's reader. Each handle holds one reference,
// taken by open and given back by close.
void* openHook(const char* name) {
  IFileReader* r = reinterpret_cast<IFileReader*>(const_cast<char*>(name));
  r->grab();
  return r;
}
int skipHook(void* f, long n) {
  if (n < 0 || n > INT32_MAX) return -1;
  return static_cast<IFileReader*>(f)->seek(static_cast<int32_t>(n), true) ? 0 : -1;
}
int getcHook(void* f) {
  unsigned char c;
  return static_cast<IFileReader*>(f)->read(&c, 1) == 1 ? c : -1;
}
long getncHook(char* ptr, long n, void* f) {
  if (n <= 0) return 0;
  if (n > INT32_MAX) n = INT32_MAX;
  return static_cast<IFileReader*>(f)->read(ptr, static_cast<int32_t>(n));
}
void closeHook(void* f) { static_cast<IFileReader*>(f)->drop(); }

DUMBFILE_SYSTEM kFileSystem = {openHook, skipHook, getcHook, getncHook, closeHook};

DUMBFILE* openReader(IFileReader* reader) {
  return dumbfile_open_ex(openHook(reinterpret_cast<const char*>(reader)), &kFileSystem);
}

// Stops the player at the loop point instead of looping.
int loopCallback(void*) { return -1; }

bool hasSignature(IFileReader* r, int32_t at, const char* sig) {
  size_t n = strlen(sig);
  char buf[32];
  if (!r->seek(at)) return false;
  bool ok = r->read(buf, static_cast<int32_t>(n)) == static_cast<int32_t>(n) && memcmp(buf, sig, n) == 0;
  r->seek(0);
  return ok;
}

// The library divides by the initial speed and tempo without checking
// them; a module that starts with either at zero is refused here.
bool headerByteNonZero(IFileReader* r, int32_t at) {
  unsigned char b = 0;
  bool ok = r->seek(at) && r->read(&b, 1) == 1 && b != 0;
  r->seek(0);
  return ok;
}

bool plausibleTiming(IFileReader* r, bool xm, bool s3m, bool it) {
  if (it) return headerByteNonZero(r, 0x32) && headerByteNonZero(r, 0x33);
  if (s3m) return headerByteNonZero(r, 0x31) && headerByteNonZero(r, 0x32);
  if (xm) return (headerByteNonZero(r, 76) || headerByteNonZero(r, 77)) &&
                 (headerByteNonZero(r, 78) || headerByteNonZero(r, 79));
  return true;
}

typedef DUH* (*ReadFn)(DUMBFILE*);

}  // namespace

CVavOzovuAudioStreamMOD::CVavOzovuAudioStreamMOD(IFileReader* reader) : reader_(reader) {
  if (!reader_) return;
  reader_->grab();
  // XM, S3M and IT carry a signature and go first; DUMB's MOD reader takes
  // files without one (the old 15-sample layout), so it would claim them.
  ReadFn order[4];
  int n = 0;
  bool xm = hasSignature(reader_, 0, "Extended Module: ");
  bool s3m = hasSignature(reader_, 44, "SCRM");
  bool it = hasSignature(reader_, 0, "IMPM");
  if (xm) order[n++] = dumb_read_xm;
  if (s3m) order[n++] = dumb_read_s3m;
  if (it) order[n++] = dumb_read_it;
  if (!xm && !s3m && !it) order[n++] = dumb_read_mod;
  if (!plausibleTiming(reader_, xm, s3m, it)) n = 0;
  for (int i = 0; i < n && !duh_; ++i) {
    reader_->seek(0);
    DUMBFILE* f = openReader(reader_);
    if (!f) continue;
    duh_ = order[i](f);
    dumbfile_close(f);
  }
  if (!duh_) {
    reader_->drop();
    reader_ = nullptr;
    return;
  }
  startRenderer();
  if (!renderer_) {
    unload_duh(duh_);
    duh_ = nullptr;
    reader_->drop();
    reader_ = nullptr;
    return;
  }
  format_.ChannelCount = 2;
  format_.SampleRate = kRate;
  format_.SampleFormat = ESF_S16;
  int64_t frames = static_cast<int64_t>(duh_get_length(duh_)) * kRate / 65536;
  format_.FrameCount = frames > INT32_MAX ? INT32_MAX : static_cast<int32_t>(frames < 0 ? 0 : frames);
}

CVavOzovuAudioStreamMOD::~CVavOzovuAudioStreamMOD() {
  if (renderer_) duh_end_sigrenderer(renderer_);
  if (duh_) unload_duh(duh_);
  if (reader_) reader_->drop();
}

void CVavOzovuAudioStreamMOD::startRenderer() {
  renderer_ = duh_start_sigrenderer(duh_, 0, 2, 0);
  if (!renderer_) return;
  DUMB_IT_SIGRENDERER* it = duh_get_it_sigrenderer(renderer_);
  if (it) dumb_it_set_loop_callback(it, loopCallback, nullptr);
}

bool CVavOzovuAudioStreamMOD::setPosition(int32_t frame) {
  if (frame > 0 || !duh_) return false;
  if (renderer_) duh_end_sigrenderer(renderer_);
  startRenderer();
  return renderer_ != nullptr;
}

int32_t CVavOzovuAudioStreamMOD::readFrames(void* target, int32_t frameCount) {
  if (!renderer_ || frameCount <= 0) return 0;
  long got = duh_render(renderer_, 16, 0, 1.0f, 65536.0f / kRate, frameCount, target);
  return got < 0 ? 0 : static_cast<int32_t>(got);
}

CVavOzovuAudioStreamLoaderMOD::CVavOzovuAudioStreamLoaderMOD(vz_internal::io::IFileSystem* fs)
    : fs_(fs) {
  if (fs_) fs_->grab();
}

CVavOzovuAudioStreamLoaderMOD::~CVavOzovuAudioStreamLoaderMOD() {
  if (fs_) fs_->drop();
}

bool CVavOzovuAudioStreamLoaderMOD::isValidFileExtension(const char* fileName) {
  return fileName && (strstr(fileName, ".mod") || strstr(fileName, ".xm") ||
                      strstr(fileName, ".s3m") || strstr(fileName, ".it"));
}

IAudioStream* CVavOzovuAudioStreamLoaderMOD::createAudioStream(IFileReader* reader) {
  CVavOzovuAudioStreamMOD* s = new CVavOzovuAudioStreamMOD(reader);
  if (s->isOK()) return s;
  s->drop();
  return nullptr;
}

}  // namespace vavozovu
