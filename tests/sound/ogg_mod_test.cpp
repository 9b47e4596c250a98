// Ogg Vorbis and tracker modules, compared with the libraries' own decode.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "sound/file_reader.h"
#include "sound/logger.h"
#include "sound/stream_mod.h"
#include "sound/stream_ogg.h"
#include "sound_fixtures.h"

using namespace vavozovu;

namespace {

std::vector<int16_t> readAll(IAudioStream* s, int chunk) {
  std::vector<int16_t> out;
  int ch = s->getFormat().ChannelCount;
  std::vector<int16_t> buf(static_cast<size_t>(chunk * ch));
  int32_t n;
  while ((n = s->readFrames(buf.data(), chunk)) > 0)
    out.insert(out.end(), buf.begin(), buf.begin() + n * ch);
  return out;
}

IFileReader* fileReader(const std::string& path) {
  return vz_internal::io::createReadFile(path.c_str());
}

}  // namespace

TEST(Ogg, DecodesLikeTheLibraryAndSeeksExactly) {
  sndtest::TempDir dir;
  for (int channels : {1, 2}) {
    std::string path = dir.file("tone" + std::to_string(channels) + ".ogg");
    sndtest::writeFile(path, sndtest::oggFile(channels, channels == 1 ? 22050 : 44100, 30000, 440));
    int ch = 0, rate = 0;
    std::vector<int16_t> direct = sndtest::decodeOggDirect(path, &ch, &rate);
    ASSERT_FALSE(direct.empty());

    CVavOzovuAudioStreamLoaderOGG* loader = new CVavOzovuAudioStreamLoaderOGG(nullptr);
    IFileReader* r = fileReader(path);
    IAudioStream* s = loader->createAudioStream(r);
    ASSERT_NE(s, nullptr);
    SAudioStreamFormat f = s->getFormat();
    EXPECT_EQ(f.ChannelCount, ch);
    EXPECT_EQ(f.SampleRate, rate);
    EXPECT_EQ(f.SampleFormat, ESF_S16);
    EXPECT_EQ(f.FrameCount, 30000);
    EXPECT_EQ(readAll(s, 1000), direct);
    // The file is seekable, so sample-exact positioning works.
    ASSERT_TRUE(s->setPosition(12345));
    std::vector<int16_t> tail = readAll(s, 777);
    EXPECT_EQ(tail, std::vector<int16_t>(direct.begin() + 12345 * ch, direct.end()));
    // A position before the start is the start.
    for (int32_t start : {0, -5}) {
      ASSERT_TRUE(s->setPosition(start));
      EXPECT_EQ(readAll(s, 4096), direct) << start;
    }
    s->drop();
    EXPECT_EQ(r->getReferenceCount(), 1);
    r->drop();
    loader->drop();
  }
}

TEST(Ogg, AChainedLinkOfAnotherRateEndsTheStream) {
  for (int second : {22050, 44100}) {
    std::vector<uint8_t> bytes = sndtest::oggChainFile(22050, second, 10000, 330);
    auto* r = new vz_internal::io::CMemoryReadFile(bytes.data(), static_cast<int32_t>(bytes.size()),
                                                   "chain.ogg", false);
    CVavOzovuAudioStreamLoaderOGG* loader = new CVavOzovuAudioStreamLoaderOGG(nullptr);
    IAudioStream* s = loader->createAudioStream(r);
    ASSERT_NE(s, nullptr);
    EXPECT_EQ(s->getFormat().SampleRate, 22050);
    EXPECT_EQ(s->getFormat().FrameCount, 20000);  // the whole file
    // Same rate: the links play on as one sound; another rate: the first
    // link is all there is, whatever the read size.
    size_t expected = second == 22050 ? 20000 : 10000;
    EXPECT_EQ(readAll(s, 3000).size(), expected) << second;
    ASSERT_TRUE(s->setPosition(0));
    EXPECT_EQ(readAll(s, 20000).size(), expected) << second;
    s->drop();
    r->drop();
    loader->drop();
  }
}

TEST(Ogg, NonOggDataGivesNoStream) {
  std::vector<uint8_t> junk(4000, 7);
  auto* r = new vz_internal::io::CMemoryReadFile(junk.data(), 4000, "x.ogg", false);
  CVavOzovuAudioStreamLoaderOGG* loader = new CVavOzovuAudioStreamLoaderOGG(nullptr);
  EXPECT_EQ(loader->createAudioStream(r), nullptr);
  EXPECT_EQ(r->getReferenceCount(), 1);
  // Only mono and stereo can be mixed: three channels are refused.
  std::vector<uint8_t> three = sndtest::oggFile(3, 44100, 2000, 440);
  auto* r3 = new vz_internal::io::CMemoryReadFile(three.data(), static_cast<int32_t>(three.size()), "3.ogg", false);
  EXPECT_EQ(loader->createAudioStream(r3), nullptr);
  r3->drop();
  EXPECT_TRUE(loader->isValidFileExtension("music/a.ogg"));
  EXPECT_FALSE(loader->isValidFileExtension("a.wav"));
  r->drop();
  loader->drop();
}

TEST(Module, ModAndS3mRenderLikeTheLibraryAndStopAtTheLoopPoint) {
  sndtest::TempDir dir;
  struct Case {
    std::string name;
    std::vector<uint8_t> bytes;
  } cases[] = {{"song.mod", sndtest::modFile(16)}, {"song.s3m", sndtest::s3mFile(16)}};
  for (Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string path = dir.file(c.name);
    sndtest::writeFile(path, c.bytes);
    // DUMB's output depends on the size of each render call (its click
    // removal works per call), so both sides render in the same steps.
    std::vector<int16_t> direct = sndtest::renderModuleDirect(path, 1000);
    std::vector<int16_t> direct4096 = sndtest::renderModuleDirect(path, 4096);
    ASSERT_FALSE(direct.empty());

    CVavOzovuAudioStreamLoaderMOD* loader = new CVavOzovuAudioStreamLoaderMOD(nullptr);
    IFileReader* r = fileReader(path);
    IAudioStream* s = loader->createAudioStream(r);
    ASSERT_NE(s, nullptr);
    SAudioStreamFormat f = s->getFormat();
    EXPECT_EQ(f.ChannelCount, 2);
    EXPECT_EQ(f.SampleRate, 44100);
    EXPECT_EQ(f.SampleFormat, ESF_S16);
    // 16 rows at speed 1 and tempo 125: 16 ticks of 20 ms.
    EXPECT_NEAR(f.FrameCount, 16 * 882, 2);
    EXPECT_FALSE(s->isSeekingSupported());
    std::vector<int16_t> ours = readAll(s, 1000);
    EXPECT_EQ(ours, direct);
    bool sounding = false;
    for (int16_t v : ours) sounding |= v != 0;
    EXPECT_TRUE(sounding);
    for (int32_t frame : {1, 5}) EXPECT_FALSE(s->setPosition(frame)) << frame;
    ASSERT_TRUE(s->setPosition(0));
    EXPECT_EQ(readAll(s, 4096), direct4096);
    s->drop();
    EXPECT_EQ(r->getReferenceCount(), 1);  // every handle's reference is given back
    r->drop();
    loader->drop();
  }
}

TEST(Module, NameRuleAndRefusal) {
  CVavOzovuAudioStreamLoaderMOD* loader = new CVavOzovuAudioStreamLoaderMOD(nullptr);
  for (const char* n : {"a.mod", "a.xm", "a.s3m", "a.it", "a.it.wav"})
    EXPECT_TRUE(loader->isValidFileExtension(n)) << n;
  EXPECT_FALSE(loader->isValidFileExtension("a.ogg"));
  std::vector<uint8_t> tiny(10, 0);
  auto* r = new vz_internal::io::CMemoryReadFile(tiny.data(), 10, "x.mod", false);
  EXPECT_EQ(loader->createAudioStream(r), nullptr);
  EXPECT_EQ(r->getReferenceCount(), 1);
  r->drop();
  // A module starting at speed 0 or tempo 0 is refused, not divided by.
  for (size_t at : {size_t{0x31}, size_t{0x32}}) {
    std::vector<uint8_t> s3m = sndtest::s3mFile(4);
    s3m[at] = 0;
    auto* z = new vz_internal::io::CMemoryReadFile(s3m.data(), static_cast<int32_t>(s3m.size()), "z.s3m", false);
    EXPECT_EQ(loader->createAudioStream(z), nullptr) << at;
    z->drop();
  }
  loader->drop();
}
