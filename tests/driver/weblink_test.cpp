// Web links: only web addresses reach the opener, as one argument.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>

#include "driver/driver.h"
#include "gfx/test_env.h"

using namespace tw_test;

TEST(Weblink, OpensWebAddressesAsOneArgumentAndRefusesTheRest) {
  TempDir t;
  std::string script = t / "opener.sh";
  std::string out = t / "seen.txt";
  write_file(script, "#!/bin/sh\nprintf '%s|%s' \"$#\" \"$1\" > '" + out + "'\n");
  chmod(script.c_str(), 0755);
  setenv("TW_WEBLINK_OPENER", script.c_str(), 1);
  Driver d;
  std::string url_text =
      "https://example.invalid/x?a=1&b=$(touch " + t.path() + "/pwned);c d";
  const char* url = url_text.c_str();
  int pid = d.weblink(url, 1);
  ASSERT_GT(pid, 0);
  int status = 0;
  ASSERT_EQ(waitpid(pid, &status, 0), pid);
  std::string seen;
  ASSERT_TRUE(driver_read_file(out, &seen));
  EXPECT_EQ(seen, std::string("1|") + url);
  EXPECT_EQ(d.last_weblink, url);
  unlink(out.c_str());
  for (const char* bad : {"file:///etc/passwd", "javascript:alert(1)", "",
                          "/usr/bin/xterm", "httpx://a", " http://a"}) {
    EXPECT_EQ(d.weblink(bad, 0), -1) << bad;
  }
  int upper = d.weblink("HTTP://EXAMPLE.INVALID/", 0);
  ASSERT_GT(upper, 0);
  waitpid(upper, &status, 0);
  unsetenv("TW_WEBLINK_OPENER");
  struct stat st;
  EXPECT_NE(stat((t / "pwned").c_str(), &st), 0);
}
