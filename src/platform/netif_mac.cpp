// The network adapter address for the device id.
#include "platform/netif_mac.h"

#include <dirent.h>
#include <ifaddrs.h>
#include <linux/if_packet.h>
#include <net/if.h>
#include <netinet/in.h>
#include <sys/socket.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <cstring>
#include <vector>

// "aa:bb:cc:dd:ee:ff" into 12 hex digits; empty for anything else or an
// all-zero address.
static std::string mac_digits(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == ':' || c == '\n' || c == ' ') continue;
    if (!std::isxdigit(static_cast<unsigned char>(c))) return "";
    out += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  }
  if (out.size() != 12 || out == "000000000000") return "";
  return out;
}

std::string netif_mac_hex_from(const char* dir_path) {
  DIR* dir = opendir(dir_path);
  if (!dir) return "";
  std::vector<std::string> names;
  while (dirent* d = readdir(dir)) {
    if (d->d_name[0] == '.' || std::strcmp(d->d_name, "lo") == 0) continue;
    names.push_back(d->d_name);
  }
  closedir(dir);
  std::sort(names.begin(), names.end());
  for (const std::string& n : names) {
    std::string path = std::string(dir_path) + "/" + n + "/address";
    FILE* f = std::fopen(path.c_str(), "r");
    if (!f) continue;
    char buf[64] = "";
    size_t len = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    buf[len] = 0;
    std::string mac = mac_digits(buf);
    if (!mac.empty()) return mac;
  }
  return "";
}

std::string netif_mac_hex() {
  std::string mac = netif_mac_hex_from("/sys/class/net");
  if (!mac.empty()) return mac;
  ifaddrs* list = nullptr;
  if (getifaddrs(&list) != 0) return "";
  for (ifaddrs* a = list; a; a = a->ifa_next) {
    if (!a->ifa_addr || a->ifa_addr->sa_family != AF_PACKET) continue;
    if (a->ifa_flags & IFF_LOOPBACK) continue;
    const sockaddr_ll* ll = reinterpret_cast<const sockaddr_ll*>(a->ifa_addr);
    if (ll->sll_halen != 6) continue;
    char buf[13];
    for (int i = 0; i < 6; i++)
      std::snprintf(buf + 2 * i, 3, "%02x", ll->sll_addr[i]);
    if (std::strcmp(buf, "000000000000") != 0) {
      mac = buf;
      break;
    }
  }
  freeifaddrs(list);
  return mac;
}
