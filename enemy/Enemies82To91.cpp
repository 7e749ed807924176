// The articulated ship (82) and its pieces (83 to 91). The ship glides in, comes to rest and
// stays until destroyed, carrying eighteen pieces in chains: a stem, a hub on the stem and two
// mirrored arms on the hub. Each piece takes its place from another piece, its anchor, and
// removes itself when the ship or its anchor is gone, so a destroyed piece brings down the
// chain hanging from it. Nothing here fires or draws a random number.

#include "enemy/Enemy.h"
#include "enemy/EnemyDispatch.h"
#include "enemy/EnemyHelpers.h"
#include "world/GameWorld.h"
#include "world/MathUtil.h"

namespace {

// Piece registers, written once by the ship.
constexpr int kAnchorReg = 16;    // intRegs: the anchor's slot in the ship's children
constexpr int kLinkReg = 17;      // intRegs: the slot of the joint this piece places, -1 none
constexpr int kAngleOffReg = 16;  // floatRegs: a joint's angle offset from its link
constexpr int kDistanceReg = 17;  // floatRegs: distance from the anchor
constexpr int kNoLink = -1;

constexpr float kStemHeight = 40.0f;
constexpr float kHubHeight = 80.0f;
constexpr float kJointReach = 50.0f;  // a link places its joint this far from its own base

struct PieceLinks {
  int anchor;
  int link;
  float angleOffset;
  float distance;
};

// By child slot, in the order of the ship's digit string "124433356744333567": the stem, the
// hub, then each arm as joint, joint, link, link, link, tip of three. The arms are mirror
// images: their joints carry opposite offsets.
constexpr PieceLinks kPieceLinks[] = {
    {0, 0, 0, 0},      {0, 0, 0, 0},      {4, 1, -50, 0},     {5, 2, 60, 0},  {1, 2, 0, 50},  {2, 3, 0, 70},
    {3, kNoLink, 0, 70}, {6, 0, 0, 0},    {7, 0, 0, 0},       {8, 0, 0, 0},   {12, 1, 50, 0}, {13, 10, -60, 0},
    {1, 10, 0, 50},    {10, 11, 0, 70},   {11, kNoLink, 0, 70}, {14, 0, 0, 0}, {15, 0, 0, 0}, {16, 0, 0, 0},
};
constexpr int kPieceCount = sizeof(kPieceLinks) / sizeof(kPieceLinks[0]);

void UpdateShipBehaviour(GameWorld* world, Enemy* e) {
  if (e->age == 1) {
    e->facing = 270.0f;
    SpawnCatalogueChildren(world, e);
    for (int i = 0; i < kPieceCount; ++i) {
      Enemy* c = EnemyChildAt(e, i);
      if (!c) continue;
      c->intRegs[kAnchorReg] = kPieceLinks[i].anchor;
      c->intRegs[kLinkReg] = kPieceLinks[i].link;
      c->floatRegs[kAngleOffReg] = kPieceLinks[i].angleOffset;
      c->floatRegs[kDistanceReg] = kPieceLinks[i].distance;
    }
  }
  if (e->phase == 0) BrakeEnemy(e, 0.93f);
}

// Anchor and link are looked up through the ship's slots: a register naming a slot outside
// the ship's children (a piece given another parent) finds nothing instead of reading beyond.
Enemy* PieceAnchor(const Enemy* e) { return EnemyChildAt(e->parent, e->intRegs[kAnchorReg]); }
Enemy* PieceLink(const Enemy* e) { return EnemyChildAt(e->parent, e->intRegs[kLinkReg]); }

// The orphan rule of the pieces: the ship gone, or (but for the stem) the anchor gone.
bool KillIfDetached(GameWorld* world, Enemy* e, Enemy** outAnchor) {
  if (KillIfOrphaned(world, e)) return true;
  if (!outAnchor) return false;
  *outAnchor = PieceAnchor(e);
  if (*outAnchor) return false;
  KillEnemy(false, world, -1, e);
  return true;
}

void PlaceOnAnchor(Enemy* e, const Enemy* anchor) {
  float dx = 0, dy = 0;
  PolarToXY(&dx, &dy, anchor->facing, e->floatRegs[kDistanceReg]);
  e->baseX = anchor->x + dx;
  e->baseY = anchor->y + dy;
}

void UpdateStemBehaviour(GameWorld* world, Enemy* e) {
  if (KillIfDetached(world, e, nullptr)) return;
  e->baseX = e->parent->x;
  e->baseY = e->parent->y - kStemHeight;
}

void UpdateHubBehaviour(GameWorld* world, Enemy* e) {
  Enemy* anchor = nullptr;
  if (KillIfDetached(world, e, &anchor)) return;
  e->baseX = e->parent->x;
  e->baseY = e->parent->y - kHubHeight;
}

void UpdateArmLinkBehaviour(GameWorld* world, Enemy* e) {
  Enemy* anchor = nullptr;
  if (KillIfDetached(world, e, &anchor)) return;
  PlaceOnAnchor(e, anchor);
  Enemy* link = e->intRegs[kLinkReg] != kNoLink ? PieceLink(e) : nullptr;
  if (link) {
    // Uses its own facing of the previous frame: in a steady pose the joint sits 50 px out in
    // the direction of twice the joint's facing. The joint's position, not its base, is set.
    float lx = 0, ly = 0;
    PolarToXY(&lx, &ly, e->facing + link->facing, kJointReach);
    link->x = e->baseX + lx;
    link->y = e->baseY + ly;
    e->facing = link->facing;
  } else {
    e->facing = anchor->facing;
  }
}

// A joint never writes its base: the arm link that names it, later in the list, puts it in
// place every frame after its motion tail, so it is drawn and hit where the link put it.
void UpdateJointBehaviour(GameWorld* world, Enemy* e) {
  Enemy* anchor = nullptr;
  if (KillIfDetached(world, e, &anchor)) return;
  if (const Enemy* link = PieceLink(e)) e->facing = link->facing + e->floatRegs[kAngleOffReg];
}

void UpdateTipBehaviour(GameWorld* world, Enemy* e) {
  Enemy* anchor = nullptr;
  if (KillIfDetached(world, e, &anchor)) return;
  PlaceOnAnchor(e, anchor);
}

}  // namespace

void RegisterArticulatedShip() {
  RegisterEnemyTypeCode(82, UpdateShipBehaviour, nullptr);
  RegisterEnemyTypeCode(83, UpdateStemBehaviour, nullptr);
  RegisterEnemyTypeCode(84, UpdateHubBehaviour, nullptr);
  RegisterEnemyTypeCode(85, UpdateArmLinkBehaviour, nullptr);
  RegisterEnemyTypeCode(86, UpdateJointBehaviour, nullptr);
  for (int type = 87; type <= 91; ++type) RegisterEnemyTypeCode(type, UpdateTipBehaviour, nullptr);
}
