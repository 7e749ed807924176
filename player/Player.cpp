#include "player/Player.h"

#include "world/ObjectList.h"

Player::Player() { ResetForNewGame(); }

Player::~Player() { ClearOptions(); }

void Player::ResetForNewGame() {}

void Player::ClearOptions() {
  ListDeleteAll(&optionHead, &optionTail, &optionCount);
  launchedCount = 0;
}
