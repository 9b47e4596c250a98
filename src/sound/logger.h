// Log output of the sound engine: a process-wide logger that filters by
// level, and the line writer behind it (standard output and/or the
// debugger line, as the engine options switch them).
#pragma once
#include <cstdint>

#include "sound/ref_counted.h"

namespace vavozovu {

class ILogger : public virtual IRefCounted {
 public:
  virtual int32_t getLogLevel() = 0;
  virtual void setLogLevel(int32_t level) = 0;
  // Writes text + ": " + extra (the ": " even when extra is null).
  virtual void logWithText(const char* text, const char* extra, int32_t level, bool newline) = 0;
  virtual void logText(const char* text, int32_t level, bool newline) = 0;
};

}  // namespace vavozovu

namespace vz_internal {

class CLogger : public vavozovu::ILogger {
 public:
  ~CLogger() override;
  int32_t getLogLevel() override { return level_; }
  void setLogLevel(int32_t level) override { level_ = level; }
  void logWithText(const char* text, const char* extra, int32_t level, bool newline) override;
  void logText(const char* text, int32_t level, bool newline) override;

 private:
  int32_t level_ = 0;
};

// Writes the text as plain text (never as a format) where the switches say.
void writeLogLine(const char* text, bool newline);
// Hand a message to the process-wide logger; dropped when there is none.
void logText(const char* text, int32_t level = 0, bool newline = true);
void logTextWithName(const char* text, const char* name, int32_t level = 0, bool newline = true);

// Process-wide switches, written while an engine is being constructed.
void setDebuggerOutput(bool on);
bool getDebuggerOutput();
void setStdoutOutput(bool on);
bool getStdoutOutput();

// The process-wide logger: acquireLogger hands out a reference (the engine
// keeps it for its life) and makes the logger when none exists.
vavozovu::ILogger* acquireLogger();
// The current logger with one reference for the caller, or null.
vavozovu::ILogger* currentLogger();

}  // namespace vz_internal
