#pragma once
// What the fuzz targets share: a private folder as the current directory holding the game's
// data, and whole start-ups and frames of the real game on the recording graphics backend with
// no sound device and scripted keys, so a reader's output is used the way the game uses it.

#include <cstddef>
#include <cstdint>
#include <string>

class GameWorld;

namespace fuzz {

// Once per process: the folder (removed at exit) with rndtbl.dat and the stage scripts, message
// boxes off, the recording graphics device, scripted input and a virtual clock.
void InitOnce();
const std::string& Folder();

// Writes or removes a file in the folder.
void PutFile(const char* name, const uint8_t* data, size_t size);
void DropFile(const char* name);
// Puts the default stage scripts, rndtbl.dat, config.dat and hiscore.dat back and removes
// everything else a run may have written (replays, temporary files).
void RestoreFolder();

// The program's start-up steps in order, from the files in the folder: command line, config,
// high scores, precedence, random table (seeded from a fixed clock), game tables, a fresh world.
// False when the program would end at once.
bool StartUp(const char* commandTail);

// Runs frames of the real frame loop. keys[i] holds, for 4 frames each, bits of Left, Right,
// Up, Down, Z, X, C, Esc; past the end of keys the fixed pattern of a live game is used (shot
// held, weaving, a bomb now and then). Stops early when the program would quit.
void PlayFrames(int frames, const uint8_t* keys = nullptr, size_t keyCount = 0);

GameWorld* World();
// Frees the world and the start-up's leftovers so each input starts alike.
void ShutDown();

}  // namespace fuzz
