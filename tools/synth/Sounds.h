#pragma once
// The game's sound effects and music, written into the game folder's se/ and bgm/.

#include <string>
#include <vector>

namespace synth {

// Mono samples of the effect with the given id (empty for an unknown id).
std::vector<float> MakeEffect(int id);
bool WriteEffects(const std::string& gameDir);
bool WriteMusic(const std::string& gameDir);

}  // namespace synth
