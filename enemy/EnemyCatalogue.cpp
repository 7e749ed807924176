#include "enemy/EnemyCatalogue.h"

#include "enemy/Enemy.h"
#include "enemy/EnemyHelpers.h"
#include "frontend/ReplayData.h"
#include "platform/Input.h"
#include "world/Collision.h"
#include "world/Effect.h"
#include "world/MathUtil.h"

namespace {

constexpr uint8_t kAny = StageStartAny;
constexpr uint8_t kPh0 = StageStartPhase0;
constexpr uint8_t kLau = StageStartLaunched;

// type, body row, tint, scale x, y, hp, score, dropItemKind, dropItemCount, removeOffField,
// targetable, orbitRadius, launch points, children, stage start
const EnemyTypeRow kRows[] = {
    {0, 152, 0xFFFFFFFF, 6, 6, 10000000, 1000000, 0, -1, 1, 1, 0, 3, "", kAny},
    {1, 152, 0xFF60E060, 1, 1, 40, 400, 0, 1, 1, 1, 0, 3, "", kAny},
    {2, 153, 0xFFC0C0C0, 1.2f, 1.2f, 600, 2000, -1, 0, 1, 1, 0, 0, "", kPh0},
    {3, 152, 0xFF6060E0, 1, 1, 180, 700, 0, 1, 1, 1, 0, 2, "", kAny},
    {4, 153, 0xFFE060C0, 2.4f, 1.4f, 2200, 5000, 10, 8, 1, 1, 0, 3, "", kAny},
    {5, 154, 0xFF30E0C0, 1, 1.8f, 570, 1500, 0, 3, 1, 1, 0, 1, "", kPh0},
    {6, 152, 0xFF40E020, 1.8f, 1.8f, 2600, 10000, 7, 7, 1, 1, 0, 3, "11", kAny},
    {7, 154, 0xFFC0E030, 1.4f, 1.4f, 600, 4000, 0, 16, 1, 1, 0, 3, "", kAny},
    {8, 152, 0xFFE03000, 1.1f, 1.1f, 260, 600, 0, 2, 1, 1, 0, 3, "", kAny},
    {9, 153, 0xFF404040, 1, 1, 50, 300, 0, 1, 1, 1, 0, 1, "", kAny},
    {10, 152, 0xFF20C0E0, 2.4f, 2.4f, 5200, 20000, 11, 12, 1, 1, 0, 4, "", kAny},
    {11, 152, 0xFF20E0A0, 0.7f, 0.7f, 300, 1000, 0, 5, 1, 1, 0, 1, "", kLau},
    {12, 153, 0xFF4000E0, 2.4f, 2.4f, 6000, 25000, 6, 15, 1, 1, 0, 4, "", kAny},
    {13, 154, 0xFFE020C0, 0.9f, 1, 240, 1200, 0, 5, 1, 1, 0, 1, "", kAny},
    {14, 152, 0xFF90D020, 2.5f, 2.5f, 6000, 30000, 9, 80, 1, 1, 0, 1, "", kPh0},
    {15, 152, 0xFFA000E0, 0.9f, 0.9f, 150, 1600, 0, 1, 1, 1, 0, 1, "", kAny},
    {16, 154, 0xFFE04000, 1, 1, 350, 1200, 0, 2, 1, 1, 0, 1, "", kAny},
    {17, 152, 0xFFFFFFFF, 7, 7, 20000, 100000, 0, 50, 1, 1, 0, 0, "", kAny},
    {18, 154, 0xFF808080, 0.9f, 1, 200, 200, 0, 1, 1, 1, 0, 1, "", kAny},
    {19, 154, 0xFF38E010, 1.4f, 2.2f, 2400, 30000, 6, 8, 1, 1, 0, 3, "", kAny},
    {20, 153, 0xFFA0A0A0, 1.03f, 1.03f, 1600, 1000, 0, 0, 1, 0, 0, 0, "", kAny},
    {21, 152, 0xFFE0E0E0, 0.7f, 0.7f, 300, 200, 0, 2, 1, 0, 0, 0, "", kAny},
    {22, 153, 0xFFE0C020, 1.1f, 1.1f, 300, 500, 0, 1, 1, 1, 0, 5, "", kAny},
    {23, 153, 0xFFE04020, 1.8f, 3.6f, 4000, 8000, 7, 20, 1, 1, 0, 5, "", kPh0},
    {24, 153, 0xFFE09020, 1.1f, 1.8f, 900, 3500, 0, 5, 1, 1, 0, 3, "", kAny},
    {25, 153, 0xFFC0E020, 1.8f, 1.8f, 4000, 10000, 9, 25, 1, 1, 0, 1, "", kAny},
    {26, 152, 0xFFE0E0E0, 0.7f, 0.7f, 500, 500, 0, -1, 1, 0, 0, 0, "", kAny},
    {27, 153, 0xFF40E0A0, 1.9f, 3.2f, 11000, 40000, 11, 60, 1, 1, 0, 5, "", kAny},
    {28, 154, 0xFFE040C0, 1.2f, 1.6f, 1600, 2000, 0, 5, 1, 1, 0, 3, "", kAny},
    {29, 152, 0xFFE0D0E0, 2.2f, 2.2f, 12000, 50000, 0, -1, 0, 1, 0, 7, "111111", kAny},
    {30, 154, 0xFFE0E0E0, 1.3f, 0.7f, 8000, 10000, 0, 30, 0, 1, 0, 1, "", kAny},
    {31, 152, 0xFFB0E030, 2.4f, 2.4f, 6200, 5000, 9, 50, 1, 1, 0, 1, "", kAny},
    {32, 152, 0xFFD0E030, 1.1f, 1.1f, 730, 1500, 0, 10, 1, 1, 0, 1, "", kAny},
    {33, 153, 0xFF3828E0, 2.2f, 3.3f, 18000, 75000, 0, 80, 1, 1, 0, 21, "", kAny},
    {64, 154, 0xFF80E090, 2.4f, 6, 24000, 100000, 7, 64, 0, 1, 0, 3, "112", kAny},
    {65, 154, 0xFF8090E0, 2, 2, 4500, 30000, 6, 24, 0, 1, 0, 1, "", kAny},
    {66, 152, 0xFF40A0E0, 1.6f, 1.6f, 1500, 150000, 11, 16, 0, 1, 0, 1, "", kAny},
    {67, 153, 0xFF9080E0, 2.2f, 4, 60000, 200000, 6, 80, 0, 1, 0, 1, "111122", kAny},
    {68, 152, 0xFF80A0E0, 1.6f, 1.6f, 7000, 25000, 11, 15, 0, 1, 0, 1, "", kAny},
    {69, 152, 0xFFA080E0, 1.6f, 1.6f, 10000, 50000, 10, 25, 0, 1, 0, 1, "", kAny},
    {70, 152, 0xFFE06000, 3.2f, 3.2f, 10000, 20000, 8, 50, 0, 1, 0, 6, "111222", kAny},
    {71, 152, 0xFFD03060, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3, "", kAny},
    {72, 152, 0xFFA0D030, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1, "", kAny},
    {73, 152, 0xFF80E020, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1, "", kAny},
    {74, 152, 0xFF00E060, 3.2f, 3.2f, 10000, 20000, 7, 50, 0, 1, 0, 6, "111222", kAny},
    {75, 152, 0xFF60D030, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3, "", kAny},
    {76, 152, 0xFF30A0D0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1, "", kAny},
    {77, 152, 0xFF2080E0, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1, "", kAny},
    {78, 152, 0xFF6000E0, 3.2f, 3.2f, 10000, 20000, 6, 50, 0, 1, 0, 6, "111222", kAny},
    {79, 152, 0xFF3060D0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 3, "", kAny},
    {80, 152, 0xFFD030A0, 1.6f, 1.6f, 4000, 3000, 0, 15, 0, 1, 0, 1, "", kAny},
    {81, 152, 0xFFE02080, 0.9f, 0.9f, 40, 50, 0, 0, 1, 1, 0, 1, "", kAny},
    {82, 153, 0xFFB0C0E0, 1.2f, 1.2f, 10000, 100000, 0, 20, 0, 1, 0, 0, "124433356744333567", kAny},
    {83, 153, 0xFFB0D0E0, 1.8f, 1.8f, 1000000000, 0, 0, 120, 0, 1, 0, 0, "", kAny},
    {84, 152, 0xFFE0B0D0, 1.1f, 1.1f, 10000, 500000, 0, 20, 0, 1, 0, 0, "", kAny},
    {85, 152, 0xFFC0E0D0, 0.9f, 0.9f, 6000, 5000, 0, 10, 0, 1, 0, 0, "", kAny},
    {86, 153, 0xFFA0C0B0, 1.6f, 1.1f, 1000000000, 0, 0, 20, 0, 1, 0, 0, "", kAny},
    {87, 153, 0xFF50C070, 0.8f, 0.6f, 4000, 5000, 0, 15, 0, 1, 0, 0, "", kAny},
    {88, 152, 0xFF6040B0, 1, 1, 4000, 5000, 0, 15, 0, 1, 0, 0, "", kAny},
    {89, 153, 0xFFA04020, 1.4f, 1, 6000, 10000, 0, 20, 0, 1, 0, 0, "", kAny},
    {90, 152, 0xFFC0D0E0, 0.8f, 3, 16000, 10000, 0, 30, 0, 1, 0, 0, "", kAny},
    {91, 153, 0xFF504040, 0.5f, 0.3f, 2400, 20000, 0, 10, 0, 1, 0, 0, "", kAny},
    {92, 154, 0xFF40E0D0, 3.6f, 5.5f, 132000, 100000, 11, 100, 0, 1, 0, 15, "1122455", kAny},
    {93, 153, 0xFF30B0E0, 1.3f, 1.3f, 17000, 10000, 6, 30, 0, 1, 120, 8, "", kAny},
    {94, 152, 0xFF30E090, 1.8f, 1.8f, 14000, 10000, 7, 30, 0, 1, 140, 4, "1", kAny},
    {95, 154, 0xFFE09030, 1.85f, 2.35f, 27000, 20000, 8, 50, 0, 1, 66, 1, "", kAny},
    {96, 154, 0xFFC040E0, 2, 2, 16000, 20000, 10, 50, 0, 1, 83, 1, "", kAny},
    {97, 154, 0xFF70E090, 1.8f, 1.8f, 12000, 10000, 7, 30, 0, 1, 115, 1, "", kAny},
    {98, 154, 0xFFE00040, 1, 1, 600, 1000, 0, 5, 1, 1, 0, 1, "", kAny},
    {99, 153, 0xFFC020E0, 3.9f, 2.8f, 150000, 100000, 10, 120, 0, 1, 0, 20, "112233112233", kAny},
    {100, 152, 0xFF20E050, 0.9f, 0.9f, 6000, 10000, 7, 30, 0, 1, 0, 4, "", kAny},
    {101, 152, 0xFF2050E0, 0.9f, 0.9f, 13000, 20000, 6, 60, 0, 1, 0, 4, "", kAny},
    {102, 152, 0xFF20D8D8, 0.9f, 0.9f, 20000, 30000, 11, 120, 0, 1, 0, 4, "", kAny},
};

constexpr int16_t P = kLauncherPointRow;
constexpr int16_t B = kLauncherBarrelRow;
constexpr uint8_t Po = LauncherFormPolar;
constexpr uint8_t On = LauncherFormOnScaledBody;
// The spinning mid-bosses place their six points 36 px out after the body's 3.2 scale.
constexpr float kMidBossPointDistance = 36.0f / 3.2f;

// type, row, tint, placement angle, distance, scale, form; in the order they are added.
const EnemyLauncherDef kLaunchers[] = {
    {0, B, 0xFFFFFFFF, 0, 0, 1, Po}, {0, P, 0xFF00FF00, 160, 20, 0.2f, Po}, {0, P, 0xFF00FF00, 200, 20, 0.2f, Po},
    {1, B, 0xFFFFFFFF, 0, 0, 1, Po}, {1, P, 0xFF00FF00, 160, 20, 0.2f, Po}, {1, P, 0xFF00FF00, 200, 20, 0.2f, Po},
    {3, P, 0xFF0000C0, 90, 16, 0.2f, Po}, {3, P, 0xFF0000C0, 270, 16, 0.2f, Po},
    {4, P, 0xFF8000C0, 0, 0, 0.7f, Po}, {4, P, 0xFFC00080, 0, 18, 0.5f, Po}, {4, P, 0xFFC00080, 180, 18, 0.5f, Po},
    {5, P, 0xFF00C080, 0, 4, 0.3f, Po},
    {6, P, 0xFFC08000, 0, 0, 0.75f, Po}, {6, P, 0xFF8000C0, 40, 16, 0.4f, Po}, {6, P, 0xFF8000C0, 320, 16, 0.4f, Po},
    {7, P, 0xFF0020C0, 0, 16, 0.25f, Po}, {7, P, 0xFF0020C0, 120, 16, 0.25f, Po},
    {7, P, 0xFF0020C0, 240, 16, 0.25f, Po},
    {8, P, 0xFF80C000, 0, 0, 0.3f, Po}, {8, B, 0xFFFFE0E0, 300, 10, 0.8f, Po}, {8, B, 0xFFFFE0E0, 60, 10, 0.8f, Po},
    {9, P, 0xFF808080, 0, 0, 0.35f, Po},
    {10, P, 0xFF2000C0, 0, 0, 0.7f, Po}, {10, P, 0xFF80C000, 0, 16, 0.5f, Po},
    {10, P, 0xFF80C000, 120, 16, 0.5f, Po}, {10, P, 0xFF80C000, 240, 16, 0.5f, Po},
    {11, P, 0xFFE00050, 0, 0, 0.3f, Po},
    {12, P, 0xFF00C020, 180, 10, 1.2f, Po}, {12, P, 0xFFC0C000, 0, 12, 1, Po},
    {12, B, 0xFF8080E0, 45, 20, 1.3f, Po}, {12, B, 0xFF8080E0, 315, 20, 1.3f, Po},
    {13, P, 0xFF00C040, 0, 12, 0.3f, Po},
    {14, P, 0xFF9000C0, 0, 0, 1, Po},
    {15, P, 0xFF8000C0, 0, 0, 0.5f, Po},
    {16, P, 0xFFE00080, 0, 0, 0.35f, Po},
    {18, P, 0xFF404040, 0, 0, 0.18f, Po},
    {19, P, 0xFFC08000, 0, 0, 0.4f, Po}, {19, B, 0xFFFFFFFF, 120, 16, 1, Po}, {19, B, 0xFFFFFFFF, 240, 16, 1, Po},
    {22, P, 0xFF808080, 0, 0, 0.6f, Po}, {22, P, 0xFFC09000, 45, 18, 0.25f, Po},
    {22, P, 0xFFC09000, 135, 18, 0.25f, Po}, {22, P, 0xFFC09000, 225, 18, 0.25f, Po},
    {22, P, 0xFFC09000, 315, 18, 0.25f, Po},
    {23, P, 0xFFC00000, 0, 3, 0.6f, Po}, {23, P, 0xFF80B020, 120, 6, 0.4f, Po}, {23, P, 0xFF80B020, 240, 6, 0.4f, Po},
    {23, B, 0xFFE09080, 90, 17, 1.4f, Po}, {23, B, 0xFFE09080, 270, 17, 1.4f, Po},
    {24, P, 0xFFC05000, 0, 0, 0.4f, Po}, {24, P, 0xFFC0C000, 90, 18, 0.3f, Po}, {24, P, 0xFFC0C000, 270, 18, 0.3f, Po},
    {25, P, 0xFF908880, 180, 2, 0.8f, Po},
    {27, P, 0xFF50C070, 0, 0, 1, Po}, {27, B, 0xFFA0B0C0, 42, 18, 1.2f, Po}, {27, B, 0xFFA0B0C0, 318, 18, 1.2f, Po},
    {27, B, 0xFFA0B0C0, 120, 24, 1.2f, Po}, {27, B, 0xFFA0B0C0, 240, 24, 1.2f, Po},
    {28, P, 0xFFA040C0, 0, 0, 0.6f, Po}, {28, P, 0xFFC0A040, 120, 8, 0.3f, Po}, {28, P, 0xFFC0A040, 240, 8, 0.3f, Po},
    {29, P, 0xFF808080, 0, 0, 0.64f, Po}, {29, P, 0xFF00A000, 0, 20, 0.24f, Po},
    {29, P, 0xFF0000A0, 60, 20, 0.24f, Po}, {29, P, 0xFFA00000, 120, 20, 0.24f, Po},
    {29, P, 0xFF00A0A0, 180, 20, 0.24f, Po}, {29, P, 0xFFA0A000, 240, 20, 0.24f, Po},
    {29, P, 0xFFA000A0, 300, 20, 0.24f, Po},
    {30, B, 0xFFE0E0E0, 0, 8, 0.8f, Po},
    {31, B, 0xFFE0E0E0, 0, 0, 2.2f, Po},
    {32, B, 0xFFE0E0E0, 0, 0, 1, Po},
    {33, P, 0xFF2000C0, 0, 0, 0.7f, Po},
    {33, P, 0xFFC02088, 0, 16, 0.24f, On}, {33, P, 0xFFC02088, 36, 16, 0.24f, On},
    {33, P, 0xFFC02088, 72, 16, 0.24f, On}, {33, P, 0xFFC02088, 108, 16, 0.24f, On},
    {33, P, 0xFFC02088, 144, 16, 0.24f, On}, {33, P, 0xFFC02088, 180, 16, 0.24f, On},
    {33, P, 0xFFC02088, 216, 16, 0.24f, On}, {33, P, 0xFFC02088, 252, 16, 0.24f, On},
    {33, P, 0xFFC02088, 288, 16, 0.24f, On}, {33, P, 0xFFC02088, 324, 16, 0.24f, On},
    {33, P, 0xFFA0C020, 90, 10, 0.4f, Po}, {33, P, 0xFF90C020, 90, 14, 0.35f, Po},
    {33, P, 0xFF80C020, 90, 18, 0.3f, Po}, {33, P, 0xFFA0C020, 270, 10, 0.4f, Po},
    {33, P, 0xFF90C020, 270, 14, 0.35f, Po}, {33, P, 0xFF80C020, 270, 18, 0.3f, Po},
    {33, P, 0xFF40C050, 50, 23, 0.27f, Po}, {33, P, 0xFF40C050, 130, 23, 0.27f, Po},
    {33, P, 0xFF40C050, 230, 23, 0.27f, Po}, {33, P, 0xFF40C050, 310, 23, 0.27f, Po},
    {64, P, 0xFFC0A000, 0, 8, 0.9f, Po}, {64, P, 0xFF00D000, 160, 14, 0.5f, Po},
    {64, P, 0xFF00D000, 200, 14, 0.5f, Po},
    {65, B, 0xFF0040C0, 0, 0, 1, Po},
    {66, P, 0xFFA0FFFF, 0, 0, 0.7f, Po},
    {67, P, 0xFF80C0E0, 0, 0, 1, Po},
    {68, P, 0xFFA0E080, 0, 0, 0.6f, Po},
    {69, P, 0xFF80E0A0, 0, 0, 0.6f, Po},
    {70, P, 0xFF800080, 0, kMidBossPointDistance, 0.5f, Po}, {70, P, 0xFF800080, 60, kMidBossPointDistance, 0.5f, Po},
    {70, P, 0xFF800080, 120, kMidBossPointDistance, 0.5f, Po}, {70, P, 0xFF800080, 180, kMidBossPointDistance, 0.5f, Po},
    {70, P, 0xFF800080, 240, kMidBossPointDistance, 0.5f, Po}, {70, P, 0xFF800080, 300, kMidBossPointDistance, 0.5f, Po},
    {71, P, 0xFFC04000, 0, 8, 0.45f, Po}, {71, P, 0xFFC04000, 120, 8, 0.45f, Po},
    {71, P, 0xFFC04000, 240, 8, 0.45f, Po},
    {72, P, 0xFF40C000, 0, 0, 0.6f, Po},
    {73, P, 0xFF90C000, 0, 0, 0.3f, Po},
    {74, P, 0xFF808000, 0, kMidBossPointDistance, 0.5f, Po}, {74, P, 0xFF808000, 60, kMidBossPointDistance, 0.5f, Po},
    {74, P, 0xFF808000, 120, kMidBossPointDistance, 0.5f, Po}, {74, P, 0xFF808000, 180, kMidBossPointDistance, 0.5f, Po},
    {74, P, 0xFF808000, 240, kMidBossPointDistance, 0.5f, Po}, {74, P, 0xFF808000, 300, kMidBossPointDistance, 0.5f, Po},
    {75, P, 0xFF00C040, 0, 8, 0.45f, Po}, {75, P, 0xFF00C040, 120, 8, 0.45f, Po},
    {75, P, 0xFF00C040, 240, 8, 0.45f, Po},
    {76, P, 0xFF0040C0, 0, 0, 0.6f, Po},
    {77, P, 0xFF0090C0, 0, 0, 0.3f, Po},
    {78, P, 0xFF008080, 0, kMidBossPointDistance, 0.5f, Po}, {78, P, 0xFF008080, 60, kMidBossPointDistance, 0.5f, Po},
    {78, P, 0xFF008080, 120, kMidBossPointDistance, 0.5f, Po}, {78, P, 0xFF008080, 180, kMidBossPointDistance, 0.5f, Po},
    {78, P, 0xFF008080, 240, kMidBossPointDistance, 0.5f, Po}, {78, P, 0xFF008080, 300, kMidBossPointDistance, 0.5f, Po},
    {79, P, 0xFF4000C0, 0, 8, 0.45f, Po}, {79, P, 0xFF4000C0, 120, 8, 0.45f, Po},
    {79, P, 0xFF4000C0, 240, 8, 0.45f, Po},
    {80, P, 0xFFC00040, 0, 0, 0.6f, Po},
    {81, P, 0xFFC00090, 0, 0, 0.3f, Po},
    {92, P, 0xFFB0E040, 90, 5, 0.6f, Po}, {92, P, 0xFFB0E040, 270, 5, 0.6f, Po},
    {92, P, 0xFF4080E0, 8, 18, 0.3f, Po}, {92, P, 0xFF4080E0, -8, 18, 0.3f, Po},
    {92, P, 0xFF4080E0, 13, 14, 0.3f, Po}, {92, P, 0xFF4080E0, -13, 14, 0.3f, Po},
    {92, P, 0xFF4080E0, 22, 15, 0.3f, Po}, {92, P, 0xFF4080E0, -22, 15, 0.3f, Po},
    {92, P, 0xFF4080E0, 36, 10, 0.3f, Po}, {92, P, 0xFF4080E0, -36, 10, 0.3f, Po},
    {92, P, 0xFF4080E0, 50, 11, 0.3f, Po}, {92, P, 0xFF4080E0, -50, 11, 0.3f, Po},
    {92, P, 0xFF4080E0, 72, 9, 0.3f, Po}, {92, P, 0xFF4080E0, -72, 9, 0.3f, Po},
    {92, B, 0xFFE0E0E0, 0, 2, 2.1f, Po},
    {93, P, 0xFF0088C0, 45, 20, 0.35f, Po}, {93, P, 0xFF0088C0, 45, 11, 0.47f, Po},
    {93, P, 0xFF0088C0, 135, 20, 0.35f, Po}, {93, P, 0xFF0088C0, 135, 11, 0.47f, Po},
    {93, P, 0xFF0088C0, 225, 20, 0.35f, Po}, {93, P, 0xFF0088C0, 225, 11, 0.47f, Po},
    {93, P, 0xFF0088C0, 315, 20, 0.35f, Po}, {93, P, 0xFF0088C0, 315, 11, 0.47f, Po},
    {94, P, 0xFF00C030, 0, 0, 0.7f, Po}, {94, P, 0xFFA0C000, 100, 11, 0.3f, Po},
    {94, P, 0xFFA0C000, 220, 11, 0.3f, Po}, {94, P, 0xFFA0C000, 340, 11, 0.3f, Po},
    {95, P, 0xFFC03030, 0, 0, 1, Po},
    {96, P, 0xFF7030C0, 0, 8, 0.5f, Po},
    {97, P, 0xFF30C050, 0, 8, 0.5f, Po},
    {98, P, 0xFFC04030, 0, 0, 0.4f, Po},
    {99, P, 0xFFA000C0, 0, 0, 0.6f, Po}, {99, P, 0xFFA000C0, 124, 10.6f, 0.6f, Po},
    {99, P, 0xFFA000C0, 236, 10.6f, 0.6f, Po}, {99, P, 0xFFA0A0A0, 0, 12, 0.85f, Po},
    {99, P, 0xFFA0A0A0, 168, 9, 0.25f, Po}, {99, P, 0xFFA0A0A0, 170, 14, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 152, 11, 0.25f, Po}, {99, P, 0xFFA0A0A0, 155, 15, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 158, 19, 0.25f, Po}, {99, P, 0xFFA0A0A0, 140, 14, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 144, 18, 0.25f, Po}, {99, P, 0xFFA0A0A0, 148, 22, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 192, 9, 0.25f, Po}, {99, P, 0xFFA0A0A0, 190, 14, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 208, 11, 0.25f, Po}, {99, P, 0xFFA0A0A0, 205, 15, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 202, 19, 0.25f, Po}, {99, P, 0xFFA0A0A0, 220, 14, 0.25f, Po},
    {99, P, 0xFFA0A0A0, 216, 18, 0.25f, Po}, {99, P, 0xFFA0A0A0, 212, 22, 0.25f, Po},
    {100, P, 0xFF00C030, 0, 0, 0.5f, Po}, {100, P, 0xFFC00090, 60, 16, 0.19f, Po},
    {100, P, 0xFFC00090, 180, 16, 0.19f, Po}, {100, P, 0xFFC00090, 300, 16, 0.19f, Po},
    {101, P, 0xFF0030C0, 0, 0, 0.5f, Po}, {101, P, 0xFFC06800, 60, 16, 0.19f, Po},
    {101, P, 0xFFC06800, 180, 16, 0.19f, Po}, {101, P, 0xFFC06800, 300, 16, 0.19f, Po},
    {102, P, 0xFF00B8B8, 0, 0, 0.5f, Po}, {102, P, 0xFFC01010, 60, 16, 0.19f, Po},
    {102, P, 0xFFC01010, 180, 16, 0.19f, Po}, {102, P, 0xFFC01010, 300, 16, 0.19f, Po},
};

constexpr int kRowCount = sizeof(kRows) / sizeof(kRows[0]);
constexpr int kLauncherDefCount = sizeof(kLaunchers) / sizeof(kLaunchers[0]);

struct CatalogueIndex {
  const EnemyTypeRow* rows[kEnemyTypeSlots] = {};
  int firstLauncher[kEnemyTypeSlots] = {};
  int launcherCount[kEnemyTypeSlots] = {};

  CatalogueIndex() {
    for (const EnemyTypeRow& r : kRows) rows[r.type] = &r;
    for (int i = kLauncherDefCount - 1; i >= 0; --i) {
      const int t = kLaunchers[i].type;
      firstLauncher[t] = i;
      launcherCount[t] += 1;
    }
  }
};

const CatalogueIndex& Index() {
  static const CatalogueIndex index;
  return index;
}

}  // namespace

const EnemyTypeRow* FindEnemyTypeRow(int type) {
  if (type < 0 || type >= kEnemyTypeSlots) return nullptr;
  return Index().rows[type];
}

const EnemyLauncherDef* FindEnemyLauncherDefs(int type, int* outCount) {
  *outCount = 0;
  if (!FindEnemyTypeRow(type)) return nullptr;
  *outCount = Index().launcherCount[type];
  return *outCount > 0 ? &kLaunchers[Index().firstLauncher[type]] : nullptr;
}

const EnemyTypeRow* EnemyTypeRows(int* outCount) {
  *outCount = kRowCount;
  return kRows;
}

void Enemy::SetEnemyAppearance(int row, uint32_t tint, float scaleX, float scaleY) {
  bodySprite = row;
  SetSpriteFromTable(sprite, row);
  SetHitShapeFromTable(hitShape, row);
  sprite.colorMode = SpriteColorSingle;
  sprite.colors[0] = tint;
  SetScale(scaleX, scaleY);
}

void Enemy::AddEnemyLauncher(int row, uint32_t tint, float angle, float distance, float scale) {
  if (launcherCount >= kEnemyLauncherMax) {
    g_hitErrorFlags |= HitErrorLaunchPoints;
    return;
  }
  EnemyLauncher& l = launchers[launcherCount];
  l.index = launcherCount;
  l.mode = row - kLauncherPointRow;
  l.tint = tint;
  l.placementAngle = angle;
  l.distance = distance;
  l.scale = scale;
  l.aimAngle = angle;
  launcherCount += 1;
}

void Enemy::AddEnemyLauncherXY(int row, uint32_t tint, float dx, float dy, float scale) {
  AddEnemyLauncher(row, tint, Atan2Deg(-dy, dx), Hypot(dx, dy), scale);
}

void Enemy::InitEnemyType() {
  const EnemyTypeRow* r = FindEnemyTypeRow(type);
  if (!r) return;
  SetEnemyAppearance(r->bodySprite, r->tint, r->scaleX, r->scaleY);
  int n = 0;
  const EnemyLauncherDef* defs = FindEnemyLauncherDefs(type, &n);
  for (int i = 0; i < n; ++i) {
    const EnemyLauncherDef& d = defs[i];
    if (d.form == LauncherFormOnScaledBody) {
      float px = 0, py = 0;
      PolarToXY(&px, &py, d.angle, d.distance);
      px /= r->scaleX;
      py /= r->scaleY;
      AddEnemyLauncherXY(d.row, d.tint, px, py, d.scale);
    } else {
      AddEnemyLauncher(d.row, d.tint, d.angle, d.distance, d.scale);
    }
  }
  hp = r->hp;
  score = r->score;
  dropItemKind = r->dropItemKind;
  dropItemCount = r->dropItemCount;
  removeOffField = r->removeOffField;
  targetable = r->targetable;
  orbitRadius = r->orbitRadius;
  PlaceEnemyLaunchers(this);
}
