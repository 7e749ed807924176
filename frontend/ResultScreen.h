#pragma once
// The state of the result screen kept in the world.

struct ResultScreenState {
  char entryName[9] = {};
};
