// Sound test helpers: writes WAV, Ogg, MOD and S3M files and decodes them directly for reference.
#include "sound_fixtures.h"

#include <dumb.h>
#include <unistd.h>
#include <vorbis/vorbisenc.h>
#include <vorbis/vorbisfile.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

namespace sndtest {

void writeFile(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = fopen(path.c_str(), "wb");
  if (!f) return;
  if (!bytes.empty()) fwrite(bytes.data(), 1, bytes.size(), f);
  fclose(f);
}

std::vector<uint8_t> readFile(const std::string& path) {
  std::vector<uint8_t> out;
  FILE* f = fopen(path.c_str(), "rb");
  if (!f) return out;
  uint8_t buf[4096];
  size_t n;
  while ((n = fread(buf, 1, sizeof buf, f)) > 0) out.insert(out.end(), buf, buf + n);
  fclose(f);
  return out;
}

static void put16(std::vector<uint8_t>& v, uint32_t x) {
  v.push_back(x & 0xFF);
  v.push_back((x >> 8) & 0xFF);
}
static void put32(std::vector<uint8_t>& v, uint32_t x) {
  put16(v, x & 0xFFFF);
  put16(v, x >> 16);
}

Chunk fmtChunk(uint16_t tag, uint16_t channels, uint32_t rate, uint16_t bits) {
  Chunk c{"fmt ", {}, 16};
  put16(c.body, tag);
  put16(c.body, channels);
  put32(c.body, rate);
  put32(c.body, rate * channels * (bits / 8));
  put16(c.body, channels * (bits / 8));
  put16(c.body, bits);
  return c;
}

Chunk dataChunk(const std::vector<uint8_t>& pcm) {
  return Chunk{"data", pcm, static_cast<uint32_t>(pcm.size())};
}

Chunk otherChunk(const std::string& id, size_t size) {
  return Chunk{id, std::vector<uint8_t>(size, 0x5A), static_cast<uint32_t>(size)};
}

std::vector<uint8_t> wavFile(const std::vector<Chunk>& chunks) {
  std::vector<uint8_t> body;
  for (const Chunk& c : chunks) {
    body.insert(body.end(), c.id.begin(), c.id.end());
    put32(body, c.declaredSize);
    body.insert(body.end(), c.body.begin(), c.body.end());
    if (c.body.size() & 1) body.push_back(0);
  }
  std::vector<uint8_t> out = {'R', 'I', 'F', 'F'};
  put32(out, static_cast<uint32_t>(body.size() + 4));
  out.insert(out.end(), {'W', 'A', 'V', 'E'});
  out.insert(out.end(), body.begin(), body.end());
  return out;
}

std::vector<uint8_t> pcmWav(uint16_t channels, uint32_t rate, uint16_t bits,
                            const std::vector<uint8_t>& pcm) {
  return wavFile({fmtChunk(1, channels, rate, bits), dataChunk(pcm)});
}

std::vector<uint8_t> s16Bytes(const std::vector<int16_t>& samples) {
  std::vector<uint8_t> out;
  for (int16_t s : samples) put16(out, static_cast<uint16_t>(s));
  return out;
}

static void encodeLink(std::vector<uint8_t>& out, int channels, int rate, int frames,
                       double freq, int serial) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  vorbis_encode_init_vbr(&vi, channels, rate, 0.4f);
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block vb;
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, serial);
  ogg_packet h1, h2, h3;
  vorbis_analysis_headerout(&vd, &vc, &h1, &h2, &h3);
  ogg_stream_packetin(&os, &h1);
  ogg_stream_packetin(&os, &h2);
  ogg_stream_packetin(&os, &h3);
  ogg_page og;
  auto emit = [&](ogg_page& p) {
    out.insert(out.end(), p.header, p.header + p.header_len);
    out.insert(out.end(), p.body, p.body + p.body_len);
  };
  while (ogg_stream_flush(&os, &og)) emit(og);
  int done = 0;
  bool eos = false, ended = false;
  while (!eos) {
    int n = frames - done < 1024 ? frames - done : 1024;
    if (n > 0) {
      float** buf = vorbis_analysis_buffer(&vd, n);
      for (int i = 0; i < n; ++i)
        for (int c = 0; c < channels; ++c)
          buf[c][i] = static_cast<float>(0.5 * sin(2 * M_PI * freq * (done + i) / rate + c));
      vorbis_analysis_wrote(&vd, n);
      done += n;
    } else if (!ended) {
      vorbis_analysis_wrote(&vd, 0);
      ended = true;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      ogg_packet op;
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (ogg_stream_pageout(&os, &og)) {
          emit(og);
          if (ogg_page_eos(&og)) eos = true;
        }
      }
    }
  }
  ogg_stream_clear(&os);
  vorbis_block_clear(&vb);
  vorbis_dsp_clear(&vd);
  vorbis_comment_clear(&vc);
  vorbis_info_clear(&vi);
}

std::vector<uint8_t> oggChainFile(int rate1, int rate2, int frames, double freq) {
  std::vector<uint8_t> out;
  encodeLink(out, 1, rate1, frames, freq, 1234);
  encodeLink(out, 1, rate2, frames, freq, 5678);
  return out;
}

std::vector<uint8_t> oggFile(int channels, int rate, int frames, double freq) {
  std::vector<uint8_t> out;
  encodeLink(out, channels, rate, frames, freq, 1234);
  return out;
}

std::vector<uint8_t> modFile(int rows) {
  std::vector<uint8_t> m(20, 0);
  memcpy(m.data(), "test module", 11);
  const int sampleLen = 64;  // bytes
  for (int s = 0; s < 31; ++s) {
    std::vector<uint8_t> h(30, 0);
    if (s == 0) {
      memcpy(h.data(), "square", 6);
      h[22] = 0;
      h[23] = sampleLen / 2;  // length in words
      h[24] = 0;              // finetune
      h[25] = 64;             // volume
      h[26] = 0;
      h[27] = 0;              // loop start
      h[28] = 0;
      h[29] = sampleLen / 2;  // loop length in words
    }
    m.insert(m.end(), h.begin(), h.end());
  }
  m.push_back(1);    // song length
  m.push_back(127);  // restart
  std::vector<uint8_t> orders(128, 0);
  m.insert(m.end(), orders.begin(), orders.end());
  m.insert(m.end(), {'M', '.', 'K', '.'});
  // One pattern: 64 rows x 4 channels x 4 bytes.
  std::vector<uint8_t> pat(64 * 4 * 4, 0);
  auto cell = [&](int row, int ch) { return &pat[(row * 4 + ch) * 4]; };
  // Row 0, channel 0: sample 1, period 428 (C-2), effect F01 (speed 1).
  uint8_t* c = cell(0, 0);
  c[0] = (0 << 4) | (428 >> 8);
  c[1] = 428 & 0xFF;
  c[2] = (1 << 4) | 0xF;
  c[3] = 0x01;
  // Channel 1 at the last row: pattern break ends the song early.
  if (rows < 64) {
    uint8_t* b = cell(rows - 1, 1);
    b[2] = 0xD;
    b[3] = 0;
  }
  m.insert(m.end(), pat.begin(), pat.end());
  for (int i = 0; i < sampleLen; ++i) m.push_back(i < sampleLen / 2 ? 0x60 : 0xA0);
  return m;
}

std::vector<uint8_t> s3mFile(int rows) {
  std::vector<uint8_t> m(96, 0);
  memcpy(m.data(), "test s3m", 8);
  m[28] = 0x1A;
  m[29] = 16;
  m[32] = 2;   // order count (even)
  m[34] = 1;   // instruments
  m[36] = 1;   // patterns
  m[40] = 0x20;
  m[41] = 0x13;  // tracker version
  m[42] = 2;     // unsigned samples
  memcpy(&m[44], "SCRM", 4);
  m[48] = 64;   // global volume
  m[49] = 1;    // speed
  m[50] = 125;  // tempo
  m[51] = 0xB0; // stereo, master volume 48
  m[53] = 0;
  for (int i = 0; i < 32; ++i) m[64 + i] = i < 2 ? static_cast<uint8_t>(i * 8) : 255;
  m.push_back(0);
  m.push_back(255);  // orders: pattern 0, end
  // Parapointers filled once the layout is known.
  size_t insPtrAt = m.size();
  put16(m, 0);
  size_t patPtrAt = m.size();
  put16(m, 0);
  while (m.size() % 16) m.push_back(0);
  size_t insAt = m.size();
  std::vector<uint8_t> ins(80, 0);
  ins[0] = 1;
  memcpy(&ins[1], "square.raw", 10);
  const uint32_t len = 64;
  ins[16] = len & 0xFF;
  ins[20] = 0;         // loop begin
  ins[24] = len & 0xFF;  // loop end
  ins[28] = 64;        // volume
  ins[31] = 1;         // looped
  ins[32] = 8363 & 0xFF;
  ins[33] = 8363 >> 8;
  memcpy(&ins[48], "square", 6);
  memcpy(&ins[76], "SCRS", 4);
  m.insert(m.end(), ins.begin(), ins.end());
  while (m.size() % 16) m.push_back(0);
  size_t patAt = m.size();
  std::vector<uint8_t> pat;
  for (int r = 0; r < 64; ++r) {
    if (r == 0) {
      pat.push_back(0x20 | 0);
      pat.push_back(0x40);  // C-4
      pat.push_back(1);
    }
    if (r == rows - 1 && rows < 64) {
      pat.push_back(0x80 | 1);
      pat.push_back(3);  // C: pattern break
      pat.push_back(0);
    }
    pat.push_back(0);
  }
  std::vector<uint8_t> packed;
  put16(packed, static_cast<uint32_t>(pat.size() + 2));
  packed.insert(packed.end(), pat.begin(), pat.end());
  m.insert(m.end(), packed.begin(), packed.end());
  while (m.size() % 16) m.push_back(0);
  size_t sampleAt = m.size();
  for (uint32_t i = 0; i < len; ++i) m.push_back(i < len / 2 ? 0xC0 : 0x40);
  auto setPara = [&](size_t at, size_t value) {
    m[at] = (value / 16) & 0xFF;
    m[at + 1] = ((value / 16) >> 8) & 0xFF;
  };
  setPara(insPtrAt, insAt);
  setPara(patPtrAt, patAt);
  // Sample memory segment: high byte, then the low word.
  size_t seg = sampleAt / 16;
  m[insAt + 13] = (seg >> 16) & 0xFF;
  m[insAt + 14] = seg & 0xFF;
  m[insAt + 15] = (seg >> 8) & 0xFF;
  return m;
}

std::vector<int16_t> decodeOggDirect(const std::string& path, int* channels, int* rate) {
  std::vector<int16_t> out;
  OggVorbis_File vf;
  if (ov_fopen(path.c_str(), &vf) != 0) return out;
  vorbis_info* vi = ov_info(&vf, -1);
  *channels = vi->channels;
  *rate = static_cast<int>(vi->rate);
  char buf[4096];
  int bs;
  long n;
  while ((n = ov_read(&vf, buf, sizeof buf, 0, 2, 1, &bs)) != 0) {
    if (n < 0) continue;
    const int16_t* s = reinterpret_cast<const int16_t*>(buf);
    out.insert(out.end(), s, s + n / 2);
  }
  ov_clear(&vf);
  return out;
}

static int stopAtLoop(void*) { return 1; }

std::vector<int16_t> renderModuleDirect(const std::string& path, long step) {
  std::vector<int16_t> out;
  dumb_register_stdfiles();
  bool s3m = path.size() > 4 && path.compare(path.size() - 4, 4, ".s3m") == 0;
  DUH* duh = s3m ? dumb_load_s3m(path.c_str()) : dumb_load_mod(path.c_str());
  if (!duh) return out;
  DUH_SIGRENDERER* sr = duh_start_sigrenderer(duh, 0, 2, 0);
  dumb_it_set_loop_callback(duh_get_it_sigrenderer(sr), stopAtLoop, nullptr);
  std::vector<int16_t> buf(static_cast<size_t>(step) * 2);
  long got;
  while ((got = duh_render(sr, 16, 0, 1.0f, 65536.0f / 44100, step, buf.data())) > 0)
    out.insert(out.end(), buf.begin(), buf.begin() + got * 2);
  duh_end_sigrenderer(sr);
  unload_duh(duh);
  return out;
}

}  // namespace sndtest
