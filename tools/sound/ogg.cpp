// Encodes rendered stereo music to Ogg Vorbis with a fixed stream serial, so output never varies.
#include <cstdio>
#include <vorbis/vorbisenc.h>

#include "common/out.h"
#include "sound/encode.h"

namespace tw {

bool write_ogg(const std::string& path, const std::vector<float>& stereo, int rate, float quality) {
  vorbis_info vi;
  vorbis_info_init(&vi);
  if (vorbis_encode_init_vbr(&vi, 2, rate, quality) != 0) {
    std::fprintf(stderr, "write_ogg(): encoder set-up failed for %s\n", path.c_str());
    vorbis_info_clear(&vi);
    return false;
  }
  vorbis_comment vc;
  vorbis_comment_init(&vc);
  vorbis_dsp_state vd;
  vorbis_block vb;
  vorbis_analysis_init(&vd, &vi);
  vorbis_block_init(&vd, &vb);
  ogg_stream_state os;
  ogg_stream_init(&os, 0x54574d55);  // a fixed serial keeps the file the same on every run
  std::string out;
  ogg_page og;
  ogg_packet op, oc, ocode;
  vorbis_analysis_headerout(&vd, &vc, &op, &oc, &ocode);
  ogg_stream_packetin(&os, &op);
  ogg_stream_packetin(&os, &oc);
  ogg_stream_packetin(&os, &ocode);
  while (ogg_stream_flush(&os, &og)) {
    out.append(reinterpret_cast<char*>(og.header), og.header_len);
    out.append(reinterpret_cast<char*>(og.body), og.body_len);
  }
  size_t frames = stereo.size() / 2, pos = 0;
  bool eos = false;
  while (!eos) {
    size_t n = std::min<size_t>(4096, frames - pos);
    if (n == 0) {
      vorbis_analysis_wrote(&vd, 0);
    } else {
      float** buf = vorbis_analysis_buffer(&vd, int(n));
      for (size_t i = 0; i < n; ++i) {
        buf[0][i] = stereo[(pos + i) * 2];
        buf[1][i] = stereo[(pos + i) * 2 + 1];
      }
      vorbis_analysis_wrote(&vd, int(n));
      pos += n;
    }
    while (vorbis_analysis_blockout(&vd, &vb) == 1) {
      vorbis_analysis(&vb, nullptr);
      vorbis_bitrate_addblock(&vb);
      while (vorbis_bitrate_flushpacket(&vd, &op)) {
        ogg_stream_packetin(&os, &op);
        while (!eos && ogg_stream_pageout(&os, &og)) {
          out.append(reinterpret_cast<char*>(og.header), og.header_len);
          out.append(reinterpret_cast<char*>(og.body), og.body_len);
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
  return write_file(path, out);
}

}  // namespace tw
