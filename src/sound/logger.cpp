// Filters the engine's log messages by level and writes them to stdout and/or the debug line.
#include "sound/logger.h"

#include <atomic>
#include <cstdio>
#include <mutex>
#include <string>

#include "platform/sys_debug.h"

namespace vz_internal {

namespace {
std::atomic<bool> g_toDebugger{false};
std::atomic<bool> g_toStdout{true};
std::mutex g_loggerMutex;
CLogger* g_logger = nullptr;
}  // namespace

CLogger::~CLogger() {
  std::lock_guard<std::mutex> g(g_loggerMutex);
  if (g_logger == this) g_logger = nullptr;
}

void CLogger::logWithText(const char* text, const char* extra, int32_t level, bool newline) {
  if (level < level_) return;
  std::string line = text ? text : "";
  line += ": ";
  if (extra) line += extra;
  logText(line.c_str(), level, newline);
}

void CLogger::logText(const char* text, int32_t level, bool newline) {
  if (level < level_) return;
  writeLogLine(text, newline);
}

void writeLogLine(const char* text, bool newline) {
  std::string line = text ? text : "";
  if (newline) line += "\n";
  if (g_toDebugger.load()) sys_output_debug_string(line.c_str());
  if (g_toStdout.load()) {
    fputs(line.c_str(), stdout);
    fflush(stdout);
  }
}

vavozovu::ILogger* currentLogger() {
  std::lock_guard<std::mutex> g(g_loggerMutex);
  if (g_logger && g_logger->tryGrab()) return g_logger;
  return nullptr;
}

vavozovu::ILogger* acquireLogger() {
  std::lock_guard<std::mutex> g(g_loggerMutex);
  if (g_logger && g_logger->tryGrab()) return g_logger;
  g_logger = new CLogger();
  return g_logger;
}

void logText(const char* text, int32_t level, bool newline) {
  vavozovu::ILogger* l = currentLogger();
  if (!l) return;
  l->logText(text, level, newline);
  l->drop();
}

void logTextWithName(const char* text, const char* name, int32_t level, bool newline) {
  vavozovu::ILogger* l = currentLogger();
  if (!l) return;
  l->logWithText(text, name, level, newline);
  l->drop();
}

void setDebuggerOutput(bool on) { g_toDebugger = on; }
bool getDebuggerOutput() { return g_toDebugger; }
void setStdoutOutput(bool on) { g_toStdout = on; }
bool getStdoutOutput() { return g_toStdout; }

}  // namespace vz_internal
