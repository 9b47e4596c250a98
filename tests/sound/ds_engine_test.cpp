// The DirectSound 8 and DirectSound drivers heard through the capture sink:
// the same output as wave-out, streams looping seamlessly, 3D, effects, the
// shared buffers, and every failure with its message and the next driver.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <initializer_list>
#include <string>
#include <vector>

#include "sound/ds8_sound.h"
#include "sound/ds_engine.h"
#include "sound/ds_stream.h"
#include "sound/sound_start.h"
#include "sound_fixtures.h"

using namespace vavozovu;

namespace {

const uint32_t kLog = ESEO_PRINT_DEBUG_INFO_TO_STDOUT;

// A stereo signal whose every frame differs from its neighbours.
std::vector<int16_t> signal(int frames) {
  std::vector<int16_t> v;
  for (int i = 0; i < 2 * frames; ++i) v.push_back(static_cast<int16_t>((i * 7919) % 20001 - 10000));
  return v;
}

class DsEngine : public testing::Test {
 protected:
  void SetUp() override { sys_audio_set_default_sink(SYS_AUDIO_SINK_CAPTURE); }
  void TearDown() override {
    ds_set_faults(0);
    unsetenv("TUNNELWICK_SOUND_DRIVER");
    sys_audio_set_default_sink(SYS_AUDIO_SINK_AUTO);
    sys_audio_set_focus(true);
    // Every buffer, listener and device was let go exactly once.
    EXPECT_EQ(ds_live_objects(), 0);
  }
  // Makes an engine of that driver with its log captured.
  ISoundEngine* make(int32_t driver, uint32_t options, std::string* log,
                     const char* device = nullptr) {
    testing::internal::CaptureStdout();
    ISoundEngine* e = createSoundEngine(driver, options | kLog, device, "1.3.0");
    *log = testing::internal::GetCapturedStdout();
    return e;
  }
  ISoundSource* pcm(ISoundEngine* e, const char* name, const std::vector<int16_t>& s, int channels) {
    SAudioStreamFormat f;
    f.ChannelCount = channels;
    f.SampleRate = 44100;
    f.SampleFormat = ESF_S16;
    f.FrameCount = static_cast<int32_t>(s.size()) / channels;
    return e->addSoundSourceFromPCMData(const_cast<int16_t*>(s.data()),
                                        static_cast<int32_t>(s.size() * 2), name, f);
  }
  std::string wav(const char* name, const std::vector<int16_t>& s) {
    std::string path = tmp_.file(name);
    sndtest::writeFile(path, sndtest::pcmWav(2, 44100, 16, sndtest::s16Bytes(s)));
    return path;
  }
  // Updates and plays `frames` frames, `step` frames per update.
  static std::vector<int16_t> play(ISoundEngine* e, int frames, int step) {
    std::vector<int16_t> out(static_cast<size_t>(frames) * 2);
    for (int done = 0; done < frames; done += step) {
      e->update();
      int n = frames - done < step ? frames - done : step;
      captureOutput(out.data() + static_cast<size_t>(done) * 2, n);
    }
    return out;
  }
  // What the driver makes of a buffered or streamed stereo sound, from its
  // first frame on.
  std::vector<int16_t> hear(int32_t driver, const std::vector<int16_t>& s, bool streamed) {
    std::string log;
    ISoundEngine* e = make(driver, 0, &log);
    EXPECT_NE(e, nullptr);
    if (!e) return {};
    e->update();
    captureOutput(nullptr, 8192);
    ISoundSource* src = streamed ? e->addSoundSourceFromFile(wav("s.wav", s).c_str(), ESM_STREAMING)
                                 : pcm(e, "s", s, 2);
    e->play2D(src);
    int step = driver == ESOD_WIN_MM ? 8192 : 2205;
    std::vector<int16_t> out = play(e, static_cast<int>(s.size() / 2) + 2 * 8192, step);
    e->drop();
    size_t first = 0;
    while (first < out.size() && out[first] == 0) ++first;
    return std::vector<int16_t>(out.begin() + static_cast<long>(first), out.end());
  }
  TempDir tmp_;
};

}  // namespace

TEST_F(DsEngine, BufferedAndStreamedSoundsMatchWaveOut) {
  std::vector<int16_t> s = signal(20000);
  for (bool streamed : {false, true}) {
    std::vector<int16_t> ref = hear(ESOD_WIN_MM, s, streamed);
    ASSERT_GE(ref.size(), 2u * 19900);
    for (int32_t driver : {ESOD_DIRECT_SOUND_8, ESOD_DIRECT_SOUND}) {
      std::vector<int16_t> got = hear(driver, s, streamed);
      ASSERT_GE(got.size(), 2u * 20000) << driver;
      // Wave-out's interpolator holds back the last few frames.
      for (size_t i = 0; i < 2 * 19900; ++i)
        ASSERT_NEAR(got[i], ref[i], 1) << "driver " << driver << " streamed " << streamed << " " << i;
      for (size_t i = 2 * 20000; i < got.size(); ++i) ASSERT_EQ(got[i], 0) << i;
    }
  }
}

TEST_F(DsEngine, LoopedStreamIsSeamlessAcrossTheRingForThirtySeconds) {
  std::string log;
  ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, 0, &log);
  ASSERT_NE(e, nullptr);
  const int len = 30870;  // 0.7 s: the loop and the one-second ring never line up
  std::vector<int16_t> s = signal(len);
  ISoundSource* src = e->addSoundSourceFromFile(wav("loop.wav", s).c_str(), ESM_STREAMING);
  ISound* sound = e->play2D(src, true, false, true);
  ASSERT_NE(sound, nullptr);
  const int step = 2205, total = 30 * 44100;
  std::vector<int16_t> out = play(e, total, step);
  for (int i = 0; i < total; ++i)
    ASSERT_TRUE(out[2 * i] == s[2 * (i % len)] && out[2 * i + 1] == s[2 * (i % len) + 1]) << i;
  EXPECT_NEAR(sound->getPlayPosition(), (total % len) * 1000 / 44100, 1);
  EXPECT_TRUE(sound->setPlayPosition(350));
  out = play(e, step, step);
  EXPECT_EQ(out[0], s[2 * 15435]);
  sound->stop();
  sound->drop();

  // Unlooped, a 0.3 s stream ends after its silence has begun to play.
  std::vector<int16_t> shortOne = signal(13230);
  ISoundSource* once = e->addSoundSourceFromFile(wav("once.wav", shortOne).c_str(), ESM_STREAMING);
  sound = e->play2D(once, false, false, true);
  out = play(e, 13230, step);
  EXPECT_EQ(out[2 * 13229], shortOne[2 * 13229]);
  EXPECT_FALSE(sound->isFinished());
  out = play(e, step, step);
  EXPECT_EQ(out[0], 0);
  EXPECT_TRUE(sound->isFinished());
  sound->drop();

  // An 8-bit stream is padded with its own silence (0x80), not with zeros.
  std::string path = tmp_.file("u8.wav");
  sndtest::writeFile(path, sndtest::pcmWav(1, 44100, 8, std::vector<uint8_t>(2205, 0xC0)));
  sound = e->play2D(e->addSoundSourceFromFile(path.c_str(), ESM_STREAMING), false, false, true);
  out = play(e, 4410, 4410);
  EXPECT_EQ(out[2 * 2204], 64 * 256);
  EXPECT_EQ(out[2 * 2205], 0);
  EXPECT_EQ(out[2 * 4409], 0);
  sound->drop();

  // A looped stream without a frame plays silence instead of rewinding
  // forever.
  sound = e->play2D(e->addSoundSourceFromFile(wav("empty.wav", {}).c_str(), ESM_STREAMING), true, false, true);
  ASSERT_NE(sound, nullptr);
  for (int16_t v : play(e, step, step)) ASSERT_EQ(v, 0);
  sound->drop();
  e->drop();
}

TEST_F(DsEngine, EveryFailureGivesItsMessageAndTheNextDriver) {
  struct Case {
    DsFault fault;
    const char* ds8;
    const char* ds;
  } cases[] = {
      {DS_FAULT_WINDOW, "Could not create hidden window for vavOzovu object",
       "Could not create hidden window for vavOzovu object"},
      {DS_FAULT_CREATE, "Could not create DirectSound8 object", "Could not create DirectSound object"},
      {DS_FAULT_INITIALIZE, "Could not init DirectSound8 object", "Could not init DirectSound object"},
      {DS_FAULT_COOPERATIVE_LEVEL, "Could not set coop level for DirectSound8 object",
       "Could not set coop level for DirectSound object"},
  };
  std::string log;
  for (const Case& c : cases) {
    ds_set_faults(c.fault);
    // DirectSound 8 falls back to DirectSound, which falls back to wave-out.
    ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, ESEO_USE_3D_BUFFERS, &log);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->getDriverName(), "winMM");
    size_t a = log.find(std::string(c.ds8) + "\n"), b = log.find(std::string(c.ds) + "\n", a + 1);
    EXPECT_NE(a, std::string::npos) << log;
    EXPECT_NE(b, std::string::npos) << log;
    EXPECT_LT(b, log.find("Using winMM driver\n")) << log;
    e->drop();
  }

  // Lost hardware 3D is no failure: software 3D takes over.
  const struct {
    uint32_t faults, options;
    const char* message;
  } soft[] = {
      {DS_FAULT_PRIMARY_BUFFER, 0, "Could not create primary sound buffer for 3d, switching to software emulation"},
      {DS_FAULT_LISTENER, 0, "Could not create 3d sound listener, switching to software emulation"},
      {0, ESEO_LINEAR_ROLLOFF,
       "Warning: linear falloff not supported together with USE_3D_BUFFERS, disabling USE_3D_BUFFERS"},
  };
  std::vector<int16_t> mono(44100, 8000);
  for (const auto& c : soft) {
    ds_set_faults(c.faults);
    ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, ESEO_USE_3D_BUFFERS | c.options, &log);
    ASSERT_NE(e, nullptr);
    EXPECT_NE(log.find(std::string(c.message) + "\nUsing DirectSound8 driver\n"), std::string::npos) << log;
    EXPECT_EQ(static_cast<CVavOzovuDirectSoundEngineBase*>(e)->getListener(), nullptr);
    e->setListenerPosition(vec3df(0, 0, 0), vec3df(0, 0, 1));
    ISound* s = e->play3D(pcm(e, "m", mono, 1), vec3df(3, 0, 0), true, false, true);
    std::vector<int16_t> out = play(e, 64, 64);
    // Software 3D: pan to the right, half the volume at three units.
    // Half the volume is -693 hundredths of a decibel in the buffer.
    EXPECT_NEAR(out[2 * 10 + 1], c.options ? 8000 : 8000 * std::pow(10.0, -693 / 2000.0), 2);
    s->drop();
    e->drop();
  }
  ds_set_faults(0);

  // Failures of one sound: a message, and the sound has no output.
  ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, ESEO_USE_3D_BUFFERS, &log);
  ASSERT_NE(e, nullptr);
  ISoundSource* buffered = pcm(e, "b", mono, 1);
  ISoundSource* streamed = e->addSoundSourceFromFile(wav("st.wav", signal(44100)).c_str(), ESM_STREAMING);
  const struct {
    uint32_t fault;
    bool stream, is3D, finished;
    const char* message;
  } sounds[] = {
      {DS_FAULT_CREATE_BUFFER, false, false, true, "Could not create sound buffer"},
      {DS_FAULT_LOCK, false, false, true, "Could not lock sound buffer"},
      {DS_FAULT_UNLOCK, false, false, true, "Could not unlock sound buffer"},
      {DS_FAULT_3D_BUFFER, false, true, false, "Could not create 3d sound buffer, now emulating using software"},
      {DS_FAULT_LOCK, true, false, false, "Could not lock buffer for stream update"},
      {DS_FAULT_UNLOCK, true, false, false, "Could not unlock buffer for stream update"},
      {DS_FAULT_GET_POSITION, true, false, false, "Failed getting position of stream"},
      {DS_FAULT_PLAY, true, false, true, "Failed playing stream"},
  };
  for (const auto& c : sounds) {
    ds_set_faults(c.fault);
    testing::internal::CaptureStdout();
    ISoundSource* src = c.stream ? streamed : buffered;
    ISound* s = c.is3D ? e->play3D(src, vec3df(1, 0, 0), true, false, true)
                       : e->play2D(src, true, false, true);
    e->update();
    log = testing::internal::GetCapturedStdout();
    ASSERT_NE(s, nullptr);
    EXPECT_NE(log.find(std::string(c.message) + "\n"), std::string::npos) << c.message << ": " << log;
    EXPECT_EQ(s->isFinished(), c.finished) << c.message;
    s->stop();
    s->drop();
    ds_set_faults(0);
    e->update();
  }

  // Effects that cannot be set or taken away.
  ISound* s = e->play2D(buffered, true, false, true, true);
  ds_set_faults(DS_FAULT_SET_FX);
  testing::internal::CaptureStdout();
  EXPECT_FALSE(s->getSoundEffectControl()->enableEcho());
  s->getSoundEffectControl()->disableAllEffects();
  log = testing::internal::GetCapturedStdout();
  EXPECT_NE(log.find("Could not set effects\nCould not disable effects\n"), std::string::npos) << log;
  s->drop();
  e->drop();
}

TEST_F(DsEngine, DriversByNameAndDevicesById) {
  std::string log;
  const struct {
    const char* env;
    const char* driver;
  } names[] = {{"ds8", "DirectSound8"}, {"ds", "DirectSound"}, {"waveout", "winMM"}, {"null", "NULL"}};
  for (const auto& n : names) {
    setenv("TUNNELWICK_SOUND_DRIVER", n.env, 1);
    ISoundEngine* e = make(ESOD_AUTO_DETECT, 0, &log);
    ASSERT_NE(e, nullptr);
    EXPECT_STREQ(e->getDriverName(), n.driver);
    e->drop();
  }
  unsetenv("TUNNELWICK_SOUND_DRIVER");
  // Linear fall-off gives up hardware 3D only when both were asked for.
  const char* kLinearWarning = "Warning: linear falloff not supported together with USE_3D_BUFFERS";
  for (uint32_t options : {static_cast<uint32_t>(ESEO_LINEAR_ROLLOFF),
                           static_cast<uint32_t>(ESEO_LINEAR_ROLLOFF | ESEO_USE_3D_BUFFERS)}) {
    ISoundEngine* e = make(ESOD_DIRECT_SOUND, options, &log);
    ASSERT_NE(e, nullptr);
    EXPECT_EQ(log.find(kLinearWarning) != std::string::npos, (options & ESEO_USE_3D_BUFFERS) != 0) << log;
    e->drop();
  }

  CVavOzovuDS8SoundDeviceList* list = new CVavOzovuDS8SoundDeviceList();
  ASSERT_EQ(list->getDeviceCount(), 3);
  EXPECT_STREQ(list->getDeviceID(0), "");
  EXPECT_STREQ(list->getDeviceDescription(0), "default device");
  EXPECT_STREQ(list->getDeviceID(2), "7e5a0002-51d-4a7-90d-0534f554e2");
  EXPECT_EQ(list->getDeviceID(3), nullptr);
  EXPECT_EQ(list->getDeviceDescription(-1), nullptr);
  std::string silent = list->getDeviceID(2);
  list->drop();
  ds_set_faults(DS_FAULT_ENUMERATE);  // no enumeration entry: the default device alone
  list = new CVavOzovuDS8SoundDeviceList();
  EXPECT_EQ(list->getDeviceCount(), 1);
  list->drop();
  ds_set_faults(0);
  ISoundEngine* e = make(ESOD_DIRECT_SOUND, 0, &log, silent.c_str());
  EXPECT_NE(log.find("Using device: Silent output\n"), std::string::npos) << log;
  EXPECT_EQ(getOutputSink(e), EOS_SILENT);
  e->drop();
  e = make(ESOD_DIRECT_SOUND, 0, &log, "no-such-device");
  EXPECT_EQ(log.find("Using device"), std::string::npos) << log;
  EXPECT_EQ(getOutputSink(e), EOS_CAPTURE);
  e->drop();
}

TEST_F(DsEngine, SharedBuffersHardware3DAndStereoFoldedToMono) {
  std::string log;
  ISoundEngine* e = make(ESOD_DIRECT_SOUND, ESEO_USE_3D_BUFFERS, &log);
  ASSERT_NE(e, nullptr);
  std::vector<int16_t> stereo;
  for (int i = 0; i < 44100; ++i) stereo.insert(stereo.end(), {10000, -3000});
  ISoundSource* src = pcm(e, "st", stereo, 2);
  auto* first = dynamic_cast<CVavOzovuDSSound*>(e->play2D(src, true, false, true));
  auto* second = dynamic_cast<CVavOzovuDSSound*>(e->play2D(src, true, false, true));
  ASSERT_TRUE(first && second);
  EXPECT_TRUE(second->getBuffer()->sharesMemoryWith(first->getBuffer()));
  EXPECT_TRUE(first->usesCache() && second->usesCache());
  ds_set_faults(DS_FAULT_DUPLICATE);  // no duplicate: the samples are copied anew
  auto* copied = dynamic_cast<CVavOzovuDSSound*>(e->play2D(src, false, false, true));
  ds_set_faults(0);
  ASSERT_NE(copied->getBuffer(), nullptr);
  EXPECT_FALSE(copied->getBuffer()->sharesMemoryWith(first->getBuffer()));
  EXPECT_FALSE(copied->usesCache());
  copied->stop();
  copied->drop();

  // A 3D sound of the stereo source gets its own mono buffer holding the
  // first channel, placed by the hardware listener: five units to the
  // right of a listener looking along +z, a fifth of the volume.
  e->setListenerPosition(vec3df(0, 0, 0), vec3df(0, 0, 1));
  auto* spatial = dynamic_cast<CVavOzovuDSSound*>(e->play3D(src, vec3df(5, 0, 0), true, false, true));
  ASSERT_NE(spatial, nullptr);
  EXPECT_TRUE(spatial->hasHardware3D());
  EXPECT_TRUE(spatial->isMonoFolded());
  EXPECT_FALSE(spatial->getBuffer()->sharesMemoryWith(first->getBuffer()));
  first->stop();
  second->stop();
  std::vector<int16_t> out = play(e, 64, 64);
  EXPECT_NEAR(out[2 * 10 + 1], 2000, 2);
  EXPECT_EQ(out[2 * 10], 0);
  e->setRolloffFactor(11);
  float rolloff = 0;
  static_cast<CVavOzovuDirectSoundEngineBase*>(e)->getListener()->GetRolloffFactor(&rolloff);
  EXPECT_EQ(rolloff, 10.0f);

  // The last sharer lets the source's cache go; a new sound makes a new one.
  EXPECT_NE(static_cast<CVavOzovuSoundSource*>(src)->getReusableBuffers(), nullptr);
  first->drop();
  second->drop();
  EXPECT_EQ(static_cast<CVavOzovuSoundSource*>(src)->getReusableBuffers(), nullptr);
  ISound* again = e->play2D(src, false, false, true);
  EXPECT_NE(static_cast<CVavOzovuSoundSource*>(src)->getReusableBuffers(), nullptr);
  // Sounds outliving their engine still let go of everything once.
  e->drop();
  again->drop();
  spatial->drop();
}

TEST_F(DsEngine, EffectsOfADirectSound8Sound) {
  std::string log;
  ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, 0, &log);
  ASSERT_NE(e, nullptr);
  std::vector<int16_t> click(2 * 8820, 0);
  click[0] = click[1] = 20000;
  ISoundSource* src = pcm(e, "click", click, 2);
  ISound* plain = e->play2D(src, false, true, true, false);
  EXPECT_EQ(plain->getSoundEffectControl(), nullptr);
  plain->drop();
  ISound* s = e->play2D(src, false, true, true, true);
  ISoundEffectControl* fx = s->getSoundEffectControl();
  ASSERT_NE(fx, nullptr);
  EXPECT_TRUE(fx->enableEcho(50, 0, 100, 100));
  EXPECT_TRUE(fx->enableEcho(50, 0, 50, 50));  // new parameters for the same effect
  EXPECT_TRUE(fx->enableParamEq(1000, 12, 0));
  EXPECT_TRUE(fx->isEchoEnabled());
  EXPECT_FALSE(fx->isGargleEnabled());
  // A refused gargle (outside 1..1000 Hz) stays off: it would silence half
  // of every period.
  EXPECT_FALSE(fx->enableGargle(0));
  EXPECT_FALSE(fx->isGargleEnabled());
  s->setIsPaused(false);
  std::vector<int16_t> out = play(e, 4410, 4410);
  EXPECT_EQ(out[0], 10000);
  EXPECT_EQ(out[2 * 2205], 10000);  // the echo, 50 ms on
  fx->disableEcho();
  EXPECT_FALSE(fx->isEchoEnabled());
  EXPECT_TRUE(fx->isParamEqEnabled());
  fx->disableAllEffects();
  EXPECT_FALSE(fx->isParamEqEnabled());
  s->drop();
  e->drop();
}

namespace {

// One effect of the effect control: its enable over a row of numbers (the
// arguments in order), its query, and the range of every ranged argument.
struct EffectRanges {
  const char* name;
  DsEffectKind kind;
  std::vector<double> defaults;
  bool (*enable)(ISoundEffectControl*, const std::vector<double>&);
  bool (*enabled)(ISoundEffectControl*);
  struct Range {
    size_t arg;
    double lo, hi;
    bool integer;
  };
  std::vector<Range> ranges;
};

float f(const std::vector<double>& p, size_t i) { return static_cast<float>(p[i]); }
int32_t n(const std::vector<double>& p, size_t i) { return static_cast<int32_t>(p[i]); }

const EffectRanges kEffects[] = {
    {"chorus", DSFX_CHORUS, {50, 10, 25, 1.1, 1, 16, 90},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableChorus(f(p, 0), f(p, 1), f(p, 2), f(p, 3), p[4] != 0, f(p, 5), n(p, 6));
     },
     [](ISoundEffectControl* c) { return c->isChorusEnabled(); },
     {{0, 0, 100, false}, {1, 0, 100, false}, {2, -99, 99, false}, {3, 0, 10, false}, {5, 0, 20, false}}},
    {"compressor", DSFX_COMPRESSOR, {0, 10, 200, -20, 3, 4},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableCompressor(f(p, 0), f(p, 1), f(p, 2), f(p, 3), f(p, 4), f(p, 5));
     },
     [](ISoundEffectControl* c) { return c->isCompressorEnabled(); },
     {{0, -60, 60, false}, {1, 0.01, 500, false}, {2, 50, 3000, false}, {3, -60, 0, false},
      {4, 1, 100, false}, {5, 0, 4, false}}},
    {"distortion", DSFX_DISTORTION, {-18, 15, 2400, 2400, 8000},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableDistortion(f(p, 0), f(p, 1), f(p, 2), f(p, 3), f(p, 4));
     },
     [](ISoundEffectControl* c) { return c->isDistortionEnabled(); },
     {{0, -60, 0, false}, {1, 0, 100, false}, {2, 100, 8000, false}, {3, 100, 8000, false},
      {4, 100, 8000, false}}},
    {"echo", DSFX_ECHO, {50, 50, 500, 500, 0},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableEcho(f(p, 0), f(p, 1), f(p, 2), f(p, 3), n(p, 4));
     },
     [](ISoundEffectControl* c) { return c->isEchoEnabled(); },
     {{0, 0, 100, false}, {1, 0, 100, false}, {2, 1, 2000, false}, {3, 1, 2000, false}, {4, 0, 1, true}}},
    {"flanger", DSFX_FLANGER, {50, 100, -50, 0.25, 1, 2, 2},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableFlanger(f(p, 0), f(p, 1), f(p, 2), f(p, 3), p[4] != 0, f(p, 5), n(p, 6));
     },
     [](ISoundEffectControl* c) { return c->isFlangerEnabled(); },
     {{0, 0, 100, false}, {1, 0, 100, false}, {2, -99, 99, false}, {3, 0, 10, false},
      {5, 0, 4, false}, {6, 0, 4, true}}},
    {"gargle", DSFX_GARGLE, {20, 1},
     [](ISoundEffectControl* c, const std::vector<double>& p) { return c->enableGargle(n(p, 0), p[1] != 0); },
     [](ISoundEffectControl* c) { return c->isGargleEnabled(); },
     {{0, 1, 1000, true}}},
    {"I3DL2 reverb", DSFX_I3DL2REVERB, {-1000, -100, 0, 1.49, 0.83, -2602, 0.007, 200, 0.011, 100, 100, 5000},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableI3DL2Reverb(n(p, 0), n(p, 1), f(p, 2), f(p, 3), f(p, 4), n(p, 5), f(p, 6),
                                   n(p, 7), f(p, 8), f(p, 9), f(p, 10), f(p, 11));
     },
     [](ISoundEffectControl* c) { return c->isI3DL2ReverbEnabled(); },
     {{0, -10000, 0, true}, {1, -10000, 0, true}, {2, 0, 10, false}, {3, 0.1, 20, false},
      {4, 0.1, 2, false}, {5, -10000, 1000, true}, {6, 0, 0.3, false}, {7, -10000, 2000, true},
      {8, 0, 0.1, false}, {9, 0, 100, false}, {10, 0, 100, false}, {11, 20, 20000, false}}},
    {"parametric EQ", DSFX_PARAMEQ, {8000, 12, 0},
     [](ISoundEffectControl* c, const std::vector<double>& p) { return c->enableParamEq(f(p, 0), f(p, 1), f(p, 2)); },
     [](ISoundEffectControl* c) { return c->isParamEqEnabled(); },
     {{0, 80, 16000, false}, {1, 1, 36, false}, {2, -15, 15, false}}},
    {"waves reverb", DSFX_WAVESREVERB, {0, 0, 1000, 0.001},
     [](ISoundEffectControl* c, const std::vector<double>& p) {
       return c->enableWavesReverb(f(p, 0), f(p, 1), f(p, 2), f(p, 3));
     },
     [](ISoundEffectControl* c) { return c->isWavesReverbEnabled(); },
     {{0, -96, 0, false}, {1, -96, 0, false}, {2, 0.001, 3000, false}, {3, 0.001, 0.999, false}}},
};

// The parameter block the buffer's effect of that kind runs with.
std::vector<uint8_t> runningBlock(ISound* s, DsEffectKind kind) {
  DsBuffer* b = dynamic_cast<CVavOzovuDSSound*>(s)->getBuffer();
  for (size_t i = 0; b && b->effect(i); ++i)
    if (b->effect(i)->kind() == kind) {
      std::vector<uint8_t> block(ds_fx_param_size(kind));
      b->effect(i)->getParams(block.data());
      return block;
    }
  return {};
}

// Just beyond that end of the range: the next whole number or float.
double outside(const EffectRanges::Range& r, double end) {
  const bool low = end == r.lo;
  return r.integer ? end + (low ? -1 : 1) : std::nextafter(static_cast<float>(end), low ? -1e30f : 1e30f);
}

// The running effect's parameter block as its structure.
template <typename Params>
Params runningParams(ISound* s, DsEffectKind kind) {
  std::vector<uint8_t> block = runningBlock(s, kind);
  Params p{};
  if (block.size() == sizeof p) std::memcpy(&p, block.data(), sizeof p);
  return p;
}

}  // namespace

TEST_F(DsEngine, EveryEffectTakesBothEndsOfEveryRangeAndARefusalChangesNothing) {
  std::string log;
  ISoundEngine* e = make(ESOD_DIRECT_SOUND_8, 0, &log);
  ASSERT_NE(e, nullptr);
  ISoundSource* src = pcm(e, "tone", signal(4410), 2);
  for (const EffectRanges& fx : kEffects) {
    for (bool playing : {false, true}) {
      ISound* s = e->play2D(src, true, !playing, true, true);
      ISoundEffectControl* c = s->getSoundEffectControl();
      ASSERT_NE(c, nullptr);
      // Refused while off: the effect stays off and later enables work.
      std::vector<double> bad = fx.defaults;
      bad[fx.ranges[0].arg] = outside(fx.ranges[0], fx.ranges[0].hi);
      EXPECT_FALSE(fx.enable(c, bad)) << fx.name;
      EXPECT_FALSE(fx.enabled(c)) << fx.name;
      EXPECT_TRUE(runningBlock(s, fx.kind).empty()) << fx.name;
      ASSERT_TRUE(fx.enable(c, fx.defaults)) << fx.name << " defaults";
      EXPECT_TRUE(fx.enabled(c));
      std::vector<uint8_t> last;
      for (const EffectRanges::Range& r : fx.ranges)
        for (double end : {r.lo, r.hi}) {
          std::vector<double> p = fx.defaults;
          p[r.arg] = end;
          EXPECT_TRUE(fx.enable(c, p)) << fx.name << " argument " << r.arg << " = " << end;
          std::vector<uint8_t> taken = runningBlock(s, fx.kind);
          // Just outside the end: refused, the last settings keep running.
          p[r.arg] = outside(r, end);
          EXPECT_FALSE(fx.enable(c, p)) << fx.name << " argument " << r.arg << " = " << p[r.arg];
          EXPECT_TRUE(fx.enabled(c)) << fx.name;
          EXPECT_EQ(runningBlock(s, fx.kind), taken) << fx.name << " argument " << r.arg;
          last = taken;
        }
      // A refusal of another effect rebuilds the chain: this one keeps its
      // last accepted settings and its enables work.
      EXPECT_FALSE(c->enableGargle(0));
      EXPECT_EQ(c->isGargleEnabled(), fx.kind == DSFX_GARGLE);
      EXPECT_EQ(runningBlock(s, fx.kind), last) << fx.name << " after a refusal";
      EXPECT_TRUE(fx.enable(c, fx.defaults)) << fx.name << " after a refusal";
      s->stop();
      s->drop();
    }
  }
  // Wave forms and chorus phases reach the effect as their codes; a
  // negative gargle rate is refused.
  ISound* s = e->play2D(src, true, true, true, true);
  ISoundEffectControl* c = s->getSoundEffectControl();
  const int32_t degrees[] = {-180, -90, 0, 90, 180};
  for (int32_t code = 0; code < 5; ++code)
    for (bool sine : {true, false}) {
      ASSERT_TRUE(c->enableChorus(50, 10, 25, 1.1f, sine, 16, degrees[code]));
      const DsFxChorus chorus = runningParams<DsFxChorus>(s, DSFX_CHORUS);
      EXPECT_EQ(chorus.phase, code) << degrees[code];
      EXPECT_EQ(chorus.waveform, sine ? 1 : 0);
      ASSERT_TRUE(c->enableFlanger(50, 100, -50, 0.25f, sine, 2, code));
      const DsFxFlanger flanger = runningParams<DsFxFlanger>(s, DSFX_FLANGER);
      EXPECT_EQ(flanger.phase, code);
      EXPECT_EQ(flanger.waveform, sine ? 1 : 0);
      ASSERT_TRUE(c->enableGargle(20, sine));
      EXPECT_EQ(runningParams<DsFxGargle>(s, DSFX_GARGLE).waveShape, sine ? 0u : 1u);
    }
  EXPECT_FALSE(c->enableGargle(-5));
  s->drop();
  e->drop();
}

TEST_F(DsEngine, BuffersWithoutGlobalFocusAreSilentWhileTheWindowHasNoInputFocus) {
  std::vector<int16_t> tone(2 * 44100, 8000);
  for (int32_t driver : {ESOD_DIRECT_SOUND_8, ESOD_DIRECT_SOUND})
    for (uint32_t options : {0u, static_cast<uint32_t>(ESEO_MUTE_IF_NOT_FOCUSED)}) {
      std::string log;
      ISoundEngine* e = make(driver, options, &log);
      ASSERT_NE(e, nullptr);
      ISoundSource* buffered = pcm(e, "tone", tone, 2);
      ISoundSource* streamed = e->addSoundSourceFromFile(wav("tone.wav", tone).c_str(), ESM_STREAMING);
      for (ISoundSource* src : {buffered, streamed}) {
        ISound* s = e->play2D(src, true, false, true);
        ASSERT_NE(s, nullptr);
        EXPECT_EQ(play(e, 2205, 2205)[2 * 2000], 8000);
        sys_audio_set_focus(false);
        EXPECT_EQ(play(e, 2205, 2205)[2 * 2000], options ? 0 : 8000) << driver << " " << options;
        sys_audio_set_focus(true);
        EXPECT_EQ(play(e, 2205, 2205)[2 * 2000], 8000) << driver << " " << options;
        s->stop();
        s->drop();
      }
      e->drop();
    }
}

// Play positions of streams: the frames heard so far, counted again from 0
// at every loop point (looped) or at the end (unlooped, until the stream
// lets its output go), in whole milliseconds. The positions below lie on
// millisecond edges, where one frame more or less shows.
TEST_F(DsEngine, StreamPositionsAreTheFramesHeardModuloTheLength) {
  auto ms = [](int64_t frames) { return static_cast<int32_t>(frames * 1000 / 44100); };
  std::string log;
  // DirectSound streams, heard frame by frame.
  const int len = 30870;  // 700 ms
  std::vector<int16_t> s = signal(len);
  for (int32_t driver : {ESOD_DIRECT_SOUND_8, ESOD_DIRECT_SOUND})
    for (bool looped : {true, false}) {
      ISoundEngine* e = make(driver, 0, &log);
      ASSERT_NE(e, nullptr);
      e->update();
      ISound* sound = e->play2D(e->addSoundSourceFromFile(wav("p.wav", s).c_str(), ESM_STREAMING), looped,
                                false, true);
      ASSERT_NE(sound, nullptr);
      int64_t heard = 0;
      // Updates come before every step; the last step of each advance has
      // none after it.
      auto advance = [&](int64_t to) {
        while (heard < to) {
          e->update();
          int n = static_cast<int>(to - heard < 2205 ? to - heard : 2205);
          captureOutput(nullptr, n);
          heard += n;
        }
      };
      // Heard through stream frame `at` of a start `start` frames ago.
      auto expectAt = [&](int64_t start, std::initializer_list<int64_t> ats) {
        for (int64_t at : ats) {
          advance(start + at);
          EXPECT_EQ(sound->getPlayPosition(), ms(at % len))
              << driver << " looped " << looped << " from " << start << " at " << at;
        }
      };
      expectAt(0, {4409, 4410, len - 1});
      if (looped) {
        expectAt(0, {len, len + 440, len + 441, 2 * len - 1, 2 * len + 4410});
        // A new start: frame 30429 of the stream, 441 frames before its end.
        ASSERT_TRUE(sound->setPlayPosition(690));
        EXPECT_EQ(sound->getPlayPosition(), 690);
        expectAt(heard - 30429, {len - 1, len, len + 4409});
        // Past the end is the end, which is the start again.
        ASSERT_TRUE(sound->setPlayPosition(5000));
        EXPECT_EQ(sound->getPlayPosition(), 0);
      } else {
        // Past the end, before the next update lets the output go.
        captureOutput(nullptr, 442);
        EXPECT_EQ(sound->getPlayPosition(), ms(441)) << driver;
        e->update();
        EXPECT_TRUE(sound->isFinished());
        EXPECT_EQ(sound->getPlayPosition(), 0);
      }
      sound->drop();
      e->drop();
    }

  // Software streams behind wave-out: each update mixes the whole ring of
  // 8192 frames. Two lengths put a millisecond edge just past a loop point
  // (9201: 3 rings end on frame 6174, 140 ms; 9012: 4 rings end on frame
  // 5732, one frame short of 130 ms).
  for (int length : {9201, 9012})
    for (bool looped : {true, false}) {
      ISoundEngine* e = make(ESOD_WIN_MM, 0, &log);
      ASSERT_NE(e, nullptr);
      e->update();
      captureOutput(nullptr, 8192);
      ISound* sound = e->play2D(e->addSoundSourceFromFile(wav("q.wav", signal(length)).c_str(), ESM_STREAMING),
                                looped, false, true);
      ASSERT_NE(sound, nullptr);
      for (int64_t rings = 1; rings <= 6; ++rings) {
        e->update();
        captureOutput(nullptr, 8192);
        int64_t mixed = 8192 * rings;
        int32_t want = looped ? ms(mixed % length) : (mixed < length ? ms(mixed) : -1);
        EXPECT_EQ(sound->getPlayPosition(), want) << length << " looped " << looped << " rings " << rings;
      }
      if (looped) {
        // From 100 ms (frame 4410) one ring on.
        ASSERT_TRUE(sound->setPlayPosition(100));
        EXPECT_EQ(sound->getPlayPosition(), 100);
        e->update();
        captureOutput(nullptr, 8192);
        EXPECT_EQ(sound->getPlayPosition(), ms((4410 + 8192) % length)) << length;
      }
      sound->drop();
      e->drop();
    }
}

// Buffered DirectSound sounds start at the frame of the milliseconds given.
TEST_F(DsEngine, SetPlayPositionLandsOnTheFrameOfTheMilliseconds) {
  std::string log;
  std::vector<int16_t> s = signal(44100);
  for (int32_t driver : {ESOD_DIRECT_SOUND_8, ESOD_DIRECT_SOUND}) {
    ISoundEngine* e = make(driver, 0, &log);
    ASSERT_NE(e, nullptr);
    ISound* sound = e->play2D(pcm(e, "b", s, 2), false, true, true);
    // Milliseconds set, the frame they start, the whole milliseconds before it.
    const struct {
      int32_t set, frame, position;
    } starts[] = {{1, 44, 0}, {10, 441, 10}, {23, 1014, 22}, {999, 44055, 998}};
    for (const auto& at : starts) {
      ASSERT_TRUE(sound->setPlayPosition(at.set));
      EXPECT_EQ(sound->getPlayPosition(), at.position) << at.set;
      sound->setIsPaused(false);
      std::vector<int16_t> out = play(e, 1, 1);
      sound->setIsPaused(true);
      EXPECT_EQ(out[0], s[2 * at.frame]) << driver << " " << at.set;
      EXPECT_EQ(out[1], s[2 * at.frame + 1]) << driver << " " << at.set;
    }
    EXPECT_FALSE(sound->setPlayPosition(1000));  // past the end
    sound->drop();
    e->drop();
  }
}

// Volume reaches the buffer as 1000 ln(volume) hundredths of a decibel, cut
// toward zero and held within the buffer's range; pan as -10000 x pan, held
// within full left and full right. Louder or wider than the range is the
// range's end, never a refused call that keeps the old setting. Looping
// reaches a playing buffer at once.
TEST_F(DsEngine, SettingsReachThePlayingBufferWithinItsRange) {
  std::string log;
  ISoundEngine* e = make(ESOD_DIRECT_SOUND, ESEO_USE_3D_BUFFERS, &log);
  ASSERT_NE(e, nullptr);
  std::vector<int16_t> s = signal(4410);
  ISoundSource* src = pcm(e, "b", s, 2);
  ISound* snd = e->play2D(src, true, false, true);
  DsBuffer* b = dynamic_cast<CVavOzovuDSSound*>(snd)->getBuffer();
  struct Reach {
    float set;
    int32_t held;
  };
  auto reaches = [&](void (ISound::*set)(float), int32_t (DsBuffer::*get)(int32_t*),
                     std::initializer_list<Reach> cases) {
    for (const Reach& c : cases) {
      (snd->*set)(c.set);
      e->update();
      int32_t held = 1;
      (b->*get)(&held);
      EXPECT_EQ(held, c.held) << c.set;
    }
  };
  reaches(&ISound::setVolume, &DsBuffer::GetVolume,
          {{1, 0}, {0.5f, -693}, {1 / 3.0f, -1098}, {1e-4f, -9210}, {0.25f, -1386}, {2, 0}, {0, -10000},
           {4.5e-5f, -10000}, {-1, -10000}});
  snd->setVolume(1);
  for (bool looped : {false, true}) {
    snd->setIsLooped(looped);
    uint32_t status = 0;
    b->GetStatus(&status);
    EXPECT_EQ(status, DSBSTATUS_PLAYING | (looped ? DSBSTATUS_LOOPING : 0u)) << looped;
  }
  reaches(&ISound::setPan, &DsBuffer::GetPan,
          {{0, 0}, {0.5f, -5000}, {-0.25f, 2500}, {1, -10000}, {0.2f, -2000}, {2, -10000}, {-3, 10000}});
  // The engine's volume scales every sound, hardware 3D ones too; a 3D
  // buffer takes the sound's minimum distance, 1 when it has none.
  e->setSoundVolume(0.5f);
  ISound* spatial = e->play3D(src, vec3df(5, 0, 0), true, false, true);
  ASSERT_TRUE(dynamic_cast<CVavOzovuDSSound*>(spatial)->hasHardware3D());
  DsBuffer* sb = dynamic_cast<CVavOzovuDSSound*>(spatial)->getBuffer();
  Ds3DBuffer* b3 = nullptr;
  ASSERT_EQ(sb->Query3DBuffer(&b3), DS_OK);
  for (float d : {0.5f, 3.0f, 0.0f}) {
    spatial->setMinDistance(d);
    e->update();
    float got = 0;
    b3->GetMinDistance(&got);
    EXPECT_FLOAT_EQ(got, d > 0 ? d : 1.0f) << d;
  }
  b3->Release();
  for (DsBuffer* buffer : {b, sb}) {
    int32_t mb = 1;
    buffer->GetVolume(&mb);
    EXPECT_EQ(mb, -693);
  }
  spatial->drop();
  snd->drop();
  e->drop();
}
