#pragma once
// Small operating-system services the game needs: message boxes, the millisecond clock and
// file opening. The game and the headless driver choose their behaviour once at start-up.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

enum MessageBoxStyle {
  MessageBoxOk = 0,           // one OK button
  MessageBoxOkInformation,    // OK, information icon
  MessageBoxOkWarning,        // OK, warning icon
  MessageBoxYesNoQuestion,    // Yes and No, question icon
};

enum MessageBoxAnswer {
  MessageBoxAnswerOk = 1,
  MessageBoxAnswerYes = 6,
  MessageBoxAnswerNo = 7,
};

// Shows a box (when boxes are enabled) and always prints "[caption] text" to standard error.
// When no box can be shown the answer is OK, and No for a Yes/No question.
int PlatformMessageBox(const char* text, const char* caption, MessageBoxStyle style);
void PlatformEnableMessageBoxes(bool enabled);
// When a hook is set it takes the place of the box (the text still goes to standard error) and
// its result is the answer; tests use it to see the messages and answer questions.
using PlatformMessageHook = int (*)(const char* text, const char* caption, MessageBoxStyle style);
void PlatformSetMessageHook(PlatformMessageHook hook);  // null removes it

// Monotonic milliseconds as an unsigned 32-bit count (wraps), or the virtual clock when set.
uint32_t PlatformMilliseconds();
void PlatformSleepMilliseconds(uint32_t ms);
using PlatformClockFn = uint32_t (*)();
void PlatformSetClock(PlatformClockFn clock);  // null restores the real clock
// With a virtual clock the sleep does nothing unless a sleep function is set (tests).
using PlatformSleepFn = void (*)(uint32_t ms);
void PlatformSetSleep(PlatformSleepFn sleep);  // null: back to the default

// One line on standard error for a data file the game goes on without: "wexla: PATH: REASON".
// Each file is reported once per run (music is loaded again at every track change).
void PlatformReportUnloadableFile(const char* path, const char* reason);
void PlatformForgetReportedFiles();  // tests

// Opens a file for binary reading. Only a regular file is opened, and, when maxBytes is above
// 0, only one of at most maxBytes bytes; a folder, a FIFO or a device (also behind a link) is
// refused without waiting for it. The test is made on the opened file itself, so nothing put in
// the file's place meanwhile gets through. On refusal returns null with why, when given, set to
// a few words: kPlatformFileMissing, "not a regular file", "too large" or "unreadable".
std::FILE* PlatformOpenFileForReading(const char* path, const char** why = nullptr, uint64_t maxBytes = 0);
// Reads a whole file through the opener above: false, with why, when it is refused, cannot be
// read or grows past maxBytes while it is read.
bool PlatformReadWholeFile(const char* path, uint64_t maxBytes, std::vector<uint8_t>* bytes, const char** why = nullptr);
extern const char kPlatformFileMissing[];  // "missing": nothing at the path
bool PlatformFileExists(const char* path);      // any directory entry, a folder included
bool PlatformRegularFileExists(const char* path);
// SIGTERM and SIGINT end the program at once, except while a file is being written: then they
// end it right after the write. Installed once at start-up, before SDL, which would otherwise
// turn them into quit events that a busy loop never reads.
void PlatformInstallTerminationHandlers();
// Brackets a file write; a termination signal that arrives inside is acted on at the end.
// Nests. The atomic writer below uses it.
void PlatformBeginFileWrite();
void PlatformEndFileWrite();

// Writes a whole file through a temporary file renamed over the old one, so an interrupted
// write never loses the old contents. Returns false on any failure (the old file stays, and no
// temporary file is left); reason, when given, then says why in a few words, and incomplete,
// when given, tells a write that failed part-way (the temporary file was made but its bytes did
// not all reach it) from one that could not make or rename the file.
bool PlatformWriteFileAtomic(const char* path, const void* data, size_t size, std::string* reason = nullptr,
                             bool* incomplete = nullptr);
// Keeps the regular file at path also under the name keep, which must not exist yet: an entry of
// that name is never replaced (nameTaken is then set). The file at path stays as it is. Returns
// false, with the reason when given, when no copy was made.
bool PlatformKeepFileCopy(const char* path, const char* keep, bool* nameTaken, std::string* reason = nullptr);
