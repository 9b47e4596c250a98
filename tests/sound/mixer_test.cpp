// Sample-exact output of the software mixer through the capture sink.
#include <dumb.h>

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine_fixture.h"
#include "sound/software_sound.h"
#include "sound/winmm_engine.h"

using namespace vavozovu;
using sndtest::channel;
using sndtest::EngineTest;

namespace {
std::vector<int16_t> ramp(int n, int step, int start) {
  std::vector<int16_t> v;
  for (int i = 0; i < n; ++i) v.push_back(static_cast<int16_t>(start + i * step));
  return v;
}

struct StopLog : IStopEventReceiver {
  std::vector<int> causes;
  void onStopped(ISound*, E_STOP_EVENT_CAUSE cause, void*) override { causes.push_back(cause); }
};
}  // namespace

TEST_F(EngineTest, OneSoundPlaysBitExactThenFinishes) {
  // A sound that ends within a block, even on its last frame but one, is
  // done once the block is mixed.
  for (int frames : {1, kRing - 1}) {
    std::vector<int16_t> m(static_cast<size_t>(frames), 1234);
    engine_->play2D(pcmSource(frames == 1 ? "one" : "almost", m, 1, 44100));
    capture(kRing);
    capture(256);
    EXPECT_EQ(static_cast<CVavOzovuSoundEngine*>(engine_)->getPlayingCount(), 0) << frames;
  }
  std::vector<int16_t> stereo = ramp(2 * 1000, 7, -7000);
  ISoundSource* src = pcmSource("stereo", stereo, 2, 44100);
  ASSERT_NE(src, nullptr);
  EXPECT_EQ(engine_->play2D(src), nullptr);  // not tracked: the engine owns it
  std::vector<int16_t> out = capture(2048);
  // Every frame, the last ones too: the interpolator is flushed at the end.
  for (int i = 0; i < 2 * 1000; ++i) ASSERT_EQ(out[i], stereo[i]) << i;
  for (int i = 2 * 1000; i < 2 * 2048; ++i) ASSERT_EQ(out[i], 0) << i;
  EXPECT_EQ(static_cast<CVavOzovuSoundEngine*>(engine_)->getPlayingCount(), 1);
  capture(256);
  EXPECT_EQ(static_cast<CVavOzovuSoundEngine*>(engine_)->getPlayingCount(), 0);
  EXPECT_FALSE(engine_->isCurrentlyPlaying(src));
}

TEST_F(EngineTest, TwoSoundsAddAndClipInsteadOfWrapping) {
  std::vector<int16_t> a = ramp(500, 0, 20000), b = ramp(500, 0, 15000);
  std::vector<int16_t> c = ramp(500, 0, -20000), d = ramp(500, 0, -15000);
  std::vector<int16_t> e = ramp(500, 3, -700), f = ramp(500, -2, 900);
  engine_->play2D(pcmSource("a", a, 1, 44100));
  engine_->play2D(pcmSource("b", b, 1, 44100));
  std::vector<int16_t> out = capture(256);
  for (int16_t v : out) ASSERT_EQ(v, 32767);
  engine_->stopAllSounds();
  engine_->play2D(pcmSource("c", c, 1, 44100));
  engine_->play2D(pcmSource("d", d, 1, 44100));
  for (int16_t v : capture(256)) ASSERT_EQ(v, -32768);
  engine_->stopAllSounds();
  engine_->play2D(pcmSource("e", e, 1, 44100));
  engine_->play2D(pcmSource("f", f, 1, 44100));
  std::vector<int16_t> l = channel(capture(256), 0);
  for (int i = 0; i < 256; ++i) ASSERT_EQ(l[i], e[i] + f[i]);
}

TEST_F(EngineTest, VolumeAndPanLaws) {
  std::vector<int16_t> s = ramp(4000, 0, 10000);
  ISoundSource* src = pcmSource("s", s, 1, 44100);
  struct Case {
    float volume, pan;
    int left, right;
  } cases[] = {
      {0.5f, 0.0f, 5000, 5000},  {1.0f, 0.05f, 10000, 5000}, {1.0f, -0.2f, 0, 10000},
      {1.0f, 0.1f, 10000, 0},    {0.25f, -0.05f, 1250, 2500}, {4.0f, 0.0f, 32767, 32767},
      {0.9999996f, 0.0f, 10000, 10000},  // within a millionth of 1: unity on both sides
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.volume << " " << c.pan);
    ISound* snd = engine_->play2D(src, false, true);  // paused start, as the game does
    ASSERT_NE(snd, nullptr);
    snd->setPan(c.pan);
    snd->setVolume(c.volume);
    snd->setIsPaused(false);
    std::vector<int16_t> out = capture(256);
    EXPECT_EQ(out[0], c.left);
    EXPECT_EQ(out[1], c.right);
    EXPECT_EQ(out[510], c.left);
    snd->stop();
    snd->drop();
  }
  engine_->setSoundVolume(0.5f);
  engine_->play2D(src);
  EXPECT_EQ(capture(256)[0], 5000);
  engine_->stopAllSounds();
  engine_->setSoundVolume(1.0f);

  // Louder than 1 with negative samples: clamped at the bottom, not wrapped.
  std::vector<int16_t> neg = ramp(4000, 0, -10000);
  ISoundSource* negSrc = pcmSource("neg", neg, 1, 44100);
  for (float volume : {4.0f, 3.0f}) {
    ISound* snd = engine_->play2D(negSrc, false, true);
    snd->setVolume(volume);
    snd->setPan(0.05f);
    snd->setIsPaused(false);
    std::vector<int16_t> out = capture(256);
    EXPECT_EQ(out[0], volume == 4.0f ? -32768 : -30000);
    EXPECT_EQ(out[1], volume == 4.0f ? -20000 : -15000);
    snd->stop();
    snd->drop();
  }
  // Each sound is clamped on its own before the sounds add up, on every
  // frame of the block.
  ISound* loud = engine_->play2D(negSrc, false, true, true);
  loud->setVolume(4.0f);
  loud->setIsPaused(false);
  engine_->play2D(src);
  std::vector<int16_t> sum = capture(kRing);
  for (int i = 0; i < 2 * 4000; ++i) ASSERT_EQ(sum[i], -32768 + 10000) << i;
  loud->drop();
  engine_->stopAllSounds();

  // The same for every length, so that every frame count after the last
  // whole vector of a run is met, at every path's step, for gains that
  // overflow and for interpolation that overshoots (clamped before the
  // gain): beside a steady sound of the other sign, no frame goes further
  // than the clamp allows.
  std::vector<int16_t> square(1015);
  for (size_t i = 0; i < square.size(); ++i) square[i] = (i / 2) % 2 ? 32767 : -32768;
  for (int sign : {1, -1}) {
    ISoundSource* steady = pcmSource(sign > 0 ? "up" : "down", ramp(4000, 0, 10000 * sign), 1, 44100);
    for (int rate : {44100, 30011, 97003})
      for (int n = 1000; n <= 1015; ++n)
        for (float volume : {0.5f, 1.0f, 4.0f})
          for (bool wave : {false, true}) {
            std::vector<int16_t> a = wave ? std::vector<int16_t>(square.begin(), square.begin() + n)
                                          : ramp(n, 0, -10000 * sign);
            ISound* snd = engine_->play2D(pcmSource("a", a, 1, rate), false, true, true);
            snd->setVolume(volume);
            snd->setIsPaused(false);
            engine_->play2D(steady);
            std::vector<int16_t> out = capture(kRing);
            const int most = static_cast<int>(std::min(1.0f, volume) * (sign > 0 ? 32768 : 32767)) - 10000;
            for (size_t i = 0; i < out.size(); ++i)
              ASSERT_LE(-sign * out[i], most) << rate << " " << n << " " << volume << " " << i;
            snd->drop();
            engine_->stopAllSounds();
            engine_->removeSoundSource("a");
          }
  }
}

TEST_F(EngineTest, PausedSoundsNeitherSoundNorAdvance) {
  std::vector<int16_t> s = ramp(32000, 1, 0);
  ISound* snd = engine_->play2D(pcmSource("s", s, 1, 44100), false, false, true);
  ASSERT_NE(snd, nullptr);
  std::vector<int16_t> first = channel(capture(kRing), 0);
  EXPECT_EQ(first[kRing - 1], kRing - 1);
  snd->setIsPaused(true);
  EXPECT_TRUE(snd->getIsPaused());
  for (int16_t v : capture(kRing)) ASSERT_EQ(v, 0);
  snd->setIsPaused(false);
  EXPECT_EQ(channel(capture(256), 0)[0], kRing);
  EXPECT_EQ(snd->getPlayPosition(), 2 * kRing * 1000 / 44100);
  // Volume 0: silent, yet it moves on.
  snd->setVolume(0);
  for (int16_t v : capture(256)) ASSERT_EQ(v, 0);
  snd->setVolume(1);
  EXPECT_EQ(channel(capture(256), 0)[0], 3 * kRing);
  snd->drop();
}

TEST_F(EngineTest, LoopsRepeatWithoutASeam) {
  // Shorter than a mixing block: repeats through the whole block.
  std::vector<int16_t> shortLoop = ramp(100, 150, -7500);
  ISound* a = engine_->play2D(pcmSource("short", shortLoop, 1, 44100), true, false, true);
  std::vector<int16_t> l = channel(capture(4096), 0);
  for (int i = 0; i < 4096; ++i) ASSERT_EQ(l[i], shortLoop[i % 100]) << i;
  a->stop();
  a->drop();

  // Resampled (22050 Hz to 44100 Hz) and longer than a resampler block: the
  // loop must sound exactly like the same frames laid end to end.
  std::vector<int16_t> once, thrice;
  for (int i = 0; i < 3001; ++i)
    once.push_back(static_cast<int16_t>(12000 * std::sin(i * 0.013) + 3000 * std::sin(i * 0.31)));
  for (int k = 0; k < 3; ++k) thrice.insert(thrice.end(), once.begin(), once.end());
  ISound* looped = engine_->play2D(pcmSource("once", once, 1, 22050), true, false, true);
  std::vector<int16_t> loopOut = channel(capture(12288), 0);
  looped->stop();
  looped->drop();
  engine_->play2D(pcmSource("thrice", thrice, 1, 22050));
  std::vector<int16_t> flatOut = channel(capture(12288), 0);
  for (int i = 0; i < 12000; ++i) ASSERT_EQ(loopOut[i], flatOut[i]) << i;
}

TEST_F(EngineTest, StopEventsCarryTheirCause) {
  StopLog log;
  std::vector<int16_t> s = ramp(300, 0, 100);
  ISoundSource* src = pcmSource("s", s, 1, 44100);
  ISound* finished = engine_->play2D(src, false, false, true);
  finished->setSoundStopEventReceiver(&log);
  ISound* stopped = engine_->play2D(src, true, false, true);
  stopped->setSoundStopEventReceiver(&log);
  capture(512);
  stopped->stop();
  EXPECT_TRUE(stopped->isFinished());
  capture(256);
  ISound* removed = engine_->play2D(src, true, false, true);
  removed->setSoundStopEventReceiver(&log);
  engine_->removeSoundSource("s");
  EXPECT_EQ(log.causes, (std::vector<int>{ESEC_SOUND_FINISHED_PLAYING, ESEC_SOUND_STOPPED_BY_USER,
                                          ESEC_SOUND_STOPPED_BY_SOURCE_REMOVAL}));
  // A sound whose source left the engine is inert.
  EXPECT_TRUE(removed->isFinished());
  EXPECT_EQ(removed->getVolume(), 0.0f);
  removed->setVolume(0.7f);
  EXPECT_EQ(removed->getSoundSource(), nullptr);
  finished->drop();
  stopped->drop();
  removed->drop();
}

TEST_F(EngineTest, SpeedChangesPitchAndIsClamped) {
  std::vector<int16_t> s = ramp(40000, 1, -20000);
  ISound* snd = engine_->play2D(pcmSource("s", s, 1, 44100), false, true, true);
  EXPECT_TRUE(snd->setPlaybackSpeed(2.0f));
  snd->setIsPaused(false);
  std::vector<int16_t> l = channel(capture(1024), 0);
  for (int i = 0; i < 1000; ++i) ASSERT_EQ(l[i], s[2 * i]) << i;
  EXPECT_EQ(snd->getPlayPosition(), 2 * kRing * 1000 / 44100);
  EXPECT_TRUE(snd->setPlaybackSpeed(10.0f));
  EXPECT_FLOAT_EQ(snd->getPlaybackSpeed(), 5.0f);
  EXPECT_TRUE(snd->setPlaybackSpeed(0.0f));
  EXPECT_FLOAT_EQ(snd->getPlaybackSpeed(), 0.01f);
  snd->drop();
}

TEST_F(EngineTest, EightBitSourceAtHalfRatePlaysAtItsPitch) {
  // 8-bit unsigned, 22050 Hz: each source frame covers two output frames.
  std::vector<uint8_t> bytes;
  for (int i = 0; i < 2000; ++i) bytes.push_back(static_cast<uint8_t>(128 + (i % 2 ? 40 : -40)));
  SAudioStreamFormat f;
  f.ChannelCount = 1;
  f.SampleRate = 22050;
  f.SampleFormat = ESF_U8;
  f.FrameCount = 2000;
  ISoundSource* src = engine_->addSoundSourceFromPCMData(bytes.data(), 2000, "u8", f);
  EXPECT_EQ(src->getPlayLength(), 2000 * 1000 / 22050);
  engine_->play2D(src);
  std::vector<int16_t> l = channel(capture(4096), 0);
  EXPECT_EQ(l[200], -40 * 256);  // even source frames land on even output frames
  EXPECT_EQ(l[202], 40 * 256);
  int crossings = 0;
  for (int i = 1; i < 3900; ++i) crossings += (l[i - 1] < 0) != (l[i] < 0);
  EXPECT_NEAR(crossings, 1950, 5);
}

TEST_F(EngineTest, LongSoundsReportPositionsPastAMinute) {
  std::vector<int16_t> s(static_cast<size_t>(44100) * 70, 100);  // 70 s mono
  ISoundSource* src = pcmSource("long", s, 1, 44100);
  EXPECT_EQ(src->getPlayLength(), 70000);
  ISound* snd = engine_->play2D(src, false, false, true);
  EXPECT_EQ(snd->getPlayLength(), 70000);
  // Every position from the start to past the end lands on its frame, the
  // end at most; before the start there is none.
  for (auto [ms, at] : {std::pair{0, 0}, {1, 0}, {30000, 30000}, {69999, 69998}, {70000, 70000}, {90000, 70000}}) {
    ASSERT_TRUE(snd->setPlayPosition(ms)) << ms;
    EXPECT_EQ(snd->getPlayPosition(), at) << ms;
  }
  EXPECT_FALSE(snd->setPlayPosition(-1));
  // The position is the frames played so far, on every block (the 25th
  // ends one frame short of a millisecond).
  ASSERT_TRUE(snd->setPlayPosition(0));
  for (int64_t blocks = 1; blocks <= 26; ++blocks) {
    capture(kRing);
    EXPECT_EQ(snd->getPlayPosition(), blocks * kRing * 1000 / 44100) << blocks;
  }
  ASSERT_TRUE(snd->setPlayPosition(65000));
  EXPECT_EQ(snd->getPlayPosition(), 65000);
  capture(5 * kRing);
  EXPECT_EQ(snd->getPlayPosition(), 65928);  // (2866500 + 40960) frames
  snd->drop();
}

namespace {
struct Receiver : IMixedOutputReceiver {
  int calls = 0, bytes = 0, rate = 0;
  bool allZero = true;
  void onMixedOutput(void* data, int32_t n, int32_t r) override {
    ++calls;
    bytes += n;
    rate = r;
    const int16_t* s = static_cast<const int16_t*>(data);
    for (int i = 0; i < n / 2; ++i) allZero &= s[i] == 0;
  }
};
}  // namespace

TEST_F(EngineTest, TheRingAndTheMixedOutputReceiver) {
  Receiver r;
  EXPECT_TRUE(engine_->setMixedDataOutputReceiver(&r));
  engine_->update();  // every block was played: all 32 are mixed again
  EXPECT_EQ(r.calls, 32);
  EXPECT_EQ(r.bytes, 32 * 1024);
  EXPECT_EQ(r.rate, 44100);
  EXPECT_TRUE(r.allZero);
  engine_->update();  // nothing played since: nothing to refill
  EXPECT_EQ(r.calls, 32);
  engine_->setMixedDataOutputReceiver(nullptr);
  EXPECT_STREQ(engine_->getDriverName(), "winMM");
}

TEST(WaveOut, FreshRingAndErrorTexts) {
  vavozovu::ILogger* logger = vz_internal::acquireLogger();
  auto* fs = new vz_internal::io::CFileSystem();
  auto* e = new CVavOzovuWinMMSoundEngine(fs, 0x20, SYS_AUDIO_SINK_CAPTURE);
  ASSERT_TRUE(e->isDeviceOpen());
  for (int i = 0; i < CVavOzovuWinMMSoundEngine::kBlocks; ++i) {
    EXPECT_EQ(e->getHeaderFlags(i), SYS_WHDR_DONE);
    for (int k = 0; k < 512; ++k) ASSERT_EQ(e->getBlock(i)[k], 0);
  }
  testing::internal::CaptureStdout();
  EXPECT_FALSE(waveOutErrorText(0, "ctx"));
  EXPECT_TRUE(waveOutErrorText(6, "Could not start up winMM device"));
  EXPECT_TRUE(waveOutErrorText(11, "ctx"));
  EXPECT_EQ(testing::internal::GetCapturedStdout(),
            "Could not start up winMM device: No device driver is present.\nctx: 11\n");
  e->drop();
  fs->drop();
  logger->drop();

  // The device refuses other formats and unprepared blocks.
  SysWaveOut* w = nullptr;
  SysWaveFormat mono = {SYS_WAVE_FORMAT_PCM, 1, 44100, 88200, 2, 16, 0};
  EXPECT_EQ(sys_wave_out_open(&w, SYS_WAVE_MAPPER, &mono, SYS_AUDIO_SINK_CAPTURE), 32u);
  SysWaveFormat ok = {SYS_WAVE_FORMAT_PCM, 2, 44100, 176400, 4, 16, 0};
  ASSERT_EQ(sys_wave_out_open(&w, SYS_WAVE_MAPPER, &ok, SYS_AUDIO_SINK_CAPTURE), 0u);
  char block[1024] = {};
  SysWaveHeader h;
  h.data = block;
  h.bufferLength = sizeof block;
  h.flags = 0;
  h.next = nullptr;
  h.reserved = 0;
  EXPECT_EQ(sys_wave_out_write(w, &h, 32), 34u);
  EXPECT_EQ(sys_wave_out_prepare_header(w, &h, 32), 0u);
  EXPECT_EQ(sys_wave_out_write(w, &h, 32), 0u);
  EXPECT_EQ(sys_wave_out_unprepare_header(w, &h, 32), 33u);  // still queued
  EXPECT_EQ(sys_wave_out_close(w), 33u);
  EXPECT_EQ(sys_audio_capture(nullptr, 128), 128);
  EXPECT_FALSE(h.flags & SYS_WHDR_DONE);
  EXPECT_EQ(sys_audio_capture(nullptr, 128), 128);
  EXPECT_TRUE(h.flags & SYS_WHDR_DONE);
  EXPECT_EQ(sys_wave_out_unprepare_header(w, &h, 32), 0u);
  EXPECT_EQ(sys_wave_out_close(w), 0u);
}

namespace {
// The mixer as it was first written, kept as the yardstick for the fused
// one: DUMB's resampler over 2048-frame blocks of the source, each voice
// clamped to 16 bits, then gained and clamped again, then summed and
// clamped. Unlooped voices stop two frames short, as that mixer did.
struct ReferenceVoice {
  std::vector<int32_t> left, right;  // 16-bit scale
  int rate = 44100;
  bool looped = true, stereo = false;
  float volume = 1, pan = 0, speed = 1;

  int32_t blockL[2048], blockR[2048];
  long blockFrames = 0;
  size_t readPos = 0;
  DUMB_RESAMPLER l, r;

  bool refill() {
    blockFrames = 0;
    while (readPos < left.size() && blockFrames < 2048) {
      blockL[blockFrames] = left[readPos];
      blockR[blockFrames++] = stereo ? right[readPos] : 0;
      ++readPos;
    }
    return blockFrames > 0;
  }
  void start() {
    memset(&l, 0, sizeof l);
    memset(&r, 0, sizeof r);
    refill();
    dumb_reset_resampler(&l, blockL, 1, 0, 0, blockFrames);
    dumb_reset_resampler(&r, blockR, 1, 0, 0, blockFrames);
  }
  void repoint() {
    for (DUMB_RESAMPLER* s : {&l, &r}) {
      s->pos -= s->end;
      if (s->pos < 0) s->pos = 0;
      s->start = 0;
      s->end = blockFrames;
      s->dir = 1;
    }
  }
  // Adds n frames to acc; false once the voice has ended.
  bool mix(std::vector<int32_t>& acc, long n) {
    const float step = static_cast<float>(rate) * speed / 44100;
    float gl = 1, gr = 1;
    if (pan > 0) gr = 1 - 10 * pan;
    else if (pan < 0) gl = 1 + 10 * pan;
    gl = volume * std::min(1.f, std::max(0.f, gl));
    gr = volume * std::min(1.f, std::max(0.f, gr));
    const bool unity = gl > 0.999999f && gl < 1.000001f && gr > 0.999999f && gr < 1.000001f;
    auto gain = [&](int32_t v, float g) {
      v = std::min(32767, std::max(-32768, v));
      if (unity) return v;
      float x = v * g;
      return x < -32768.f ? -32768 : (x > 32767.f ? 32767 : static_cast<int32_t>(x));
    };
    for (long done = 0; done < n;) {
      int32_t outL = 0, outR = 0;
      long got = dumb_resample_1_1(&l, &outL, 1, 1.0f, step);
      if (stereo) got = std::min(got, dumb_resample_1_1(&r, &outR, 1, 1.0f, step));
      if (got > 0) {
        acc[2 * done] += gain(outL, gl);
        acc[2 * done + 1] += gain(stereo ? outR : outL, gr);
        ++done;
        continue;
      }
      if (!refill()) {
        if (!looped) return false;
        readPos = 0;
        refill();
      }
      repoint();
    }
    return true;
  }
};
}  // namespace

TEST_F(EngineTest, MixMatchesTheReferenceMixerWithinOneStep) {
  // Rates, channels, formats, gains above and below 1, pans, speeds fast
  // enough for the far-reaching path, loops shorter and longer than a block,
  // and mono 16-bit loops long enough to be read where they lie, before and
  // after their wrap.
  struct Spec {
    int channels, rate, frames;
    bool eightBit, looped;
    float volume, pan, speed;
  } specs[] = {
      {1, 22050, 5003, false, true, 0.7f, 0.03f, 1.0f},
      {2, 48000, 7001, false, true, 1.0f, -0.05f, 1.3f},
      {1, 11025, 333, true, true, 2.5f, 0.0f, 1.0f},
      {1, 44100, 9000, false, false, 0.4f, -0.01f, 0.37f},
      {2, 32000, 6000, false, true, 0.9f, 0.08f, 2.9f},
      {2, 44100, 100, true, true, 0.3f, 0.0f, 4.0f},
      {1, 44100, 5000, false, true, 0.8f, 0.0f, 1.5f},
      {2, 22050, 4000, false, true, 1.0f, 0.0f, 1.0f},
      {1, 32000, 12000, false, true, 0.6f, 0.02f, 1.0f},
  };
  const int kFrames = 3 * kRing;
  std::vector<ReferenceVoice> ref(sizeof specs / sizeof specs[0]);
  std::vector<std::vector<uint8_t>> bytes(ref.size());
  std::vector<int32_t> expected(2 * kFrames, 0);
  for (size_t v = 0; v < ref.size(); ++v) {
    const Spec& sp = specs[v];
    ReferenceVoice& r = ref[v];
    r.rate = sp.rate;
    r.stereo = sp.channels == 2;
    r.looped = sp.looped;
    r.volume = sp.volume;
    r.pan = sp.pan;
    r.speed = sp.speed;
    for (int i = 0; i < sp.frames * sp.channels; ++i) {
      const double x = 0.9 * std::sin(i * (0.011 + 0.007 * v)) + 0.35 * std::sin(i * 1.3);
      const int32_t s16 = static_cast<int32_t>(std::lround(std::max(-1.0, std::min(1.0, x)) * 32767));
      if (sp.eightBit) {
        const uint8_t b = static_cast<uint8_t>((s16 >> 8) + 128);
        bytes[v].push_back(b);
        (i % sp.channels ? r.right : r.left).push_back((b - 128) * 256);
      } else {
        bytes[v].push_back(static_cast<uint8_t>(s16 & 0xff));
        bytes[v].push_back(static_cast<uint8_t>((s16 >> 8) & 0xff));
        (i % sp.channels ? r.right : r.left).push_back(s16);
      }
    }
    r.start();
    r.mix(expected, kFrames);

    SAudioStreamFormat f;
    f.ChannelCount = sp.channels;
    f.SampleRate = sp.rate;
    f.SampleFormat = sp.eightBit ? ESF_U8 : ESF_S16;
    f.FrameCount = sp.frames;
    const std::string name = "v" + std::to_string(v);
    ISoundSource* src = engine_->addSoundSourceFromPCMData(bytes[v].data(),
                                                           static_cast<int32_t>(bytes[v].size()),
                                                           name.c_str(), f);
    ASSERT_NE(src, nullptr);
    ISound* snd = engine_->play2D(src, sp.looped, true);
    snd->setVolume(sp.volume);
    snd->setPan(sp.pan);
    snd->setPlaybackSpeed(sp.speed);
    snd->setIsPaused(false);
    snd->drop();
  }
  std::vector<int16_t> out = capture(kFrames);
  // The unlooped voice ends inside the capture; skip its last two source
  // frames, which the old mixer never played.
  const int lastFrames = static_cast<int>((9000 - 2) / 0.37), pastEnd = static_cast<int>(9000 / 0.37) + 2;
  for (int i = 0; i < 2 * kFrames; ++i) {
    if (i / 2 >= lastFrames - 8 && i / 2 < pastEnd) continue;
    const int32_t want = std::min(32767, std::max(-32768, expected[i]));
    ASSERT_LE(std::abs(out[i] - want), 1) << "sample " << i;
  }
}
