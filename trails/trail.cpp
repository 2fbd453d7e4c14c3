// Trail: storage, heading, stepping and steering.
#include "trails/trail.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "trails/direction_tables.h"
#include "trails/fixed_point.h"

namespace {

int32_t* AllocInts(int32_t n) {
    return static_cast<int32_t*>(std::malloc(static_cast<size_t>(n) * sizeof(int32_t)));
}

// Turns an angle index by step toward the side the cross product names, wrapping once around
// the table (enough for any step smaller than the table).
int32_t TurnToward(int32_t angle, int32_t cross, int32_t step, int32_t tableSize) {
    if (cross < 0) {
        angle = WrapSub(angle, step);
        if (angle < 0) angle = WrapAdd(angle, tableSize);
    } else {
        angle = WrapAdd(angle, step);
        if (angle >= tableSize) angle = WrapSub(angle, tableSize);
    }
    return angle;
}

}  // namespace

void Trail::Release() {
    std::free(xs);
    std::free(ys);
    std::free(zs);
    std::free(cosTable);
    std::free(sinTable);
    xs = ys = zs = nullptr;
    cosTable = sinTable = nullptr;
    pointCount = 0;
    tableSize = 0;
}

int Trail::AllocPoints(int32_t n) {
    Release();
    if (n < 1) return 0;
    xs = AllocInts(n);
    ys = AllocInts(n);
    zs = AllocInts(n);
    if (xs == nullptr || ys == nullptr || zs == nullptr) {
        Release();
        return 0;
    }
    pointCount = n;
    return 1;
}

int Trail::SetUnit(int32_t u) {
    unit = u;
    return 1;
}

int Trail::BuildTables(int32_t n) {
    if (n < 1) return 0;
    // Set-up always frees the tables first (AllocPoints); should it ever not, the old ones
    // must not leak.
    std::free(sinTable);
    std::free(cosTable);
    sinTable = cosTable = nullptr;
    tableSize = 0;
    int32_t* sines = AllocInts(n);
    int32_t* cosines = sines != nullptr ? AllocInts(n) : nullptr;
    if (cosines == nullptr || !BuildDirectionTables(sines, cosines, n, unit)) {
        std::free(sines);
        std::free(cosines);
        return 0;
    }
    sinTable = sines;
    cosTable = cosines;
    tableSize = n;
    return 1;
}

int Trail::SetActive(int32_t v) {
    active = v;
    return 1;
}

int Trail::SetYaw(int32_t i) {
    yaw = i;
    return 1;
}

int Trail::SetPitch(int32_t i) {
    pitch = i;
    return 1;
}

int Trail::SetSpeed(int32_t s) {
    speed = s;
    return 1;
}

int Trail::SetPoint(int32_t k, int32_t x, int32_t y, int32_t z) {
    if (xs == nullptr || ys == nullptr || zs == nullptr || k < 1 || k > pointCount) return 0;
    xs[k - 1] = x;
    ys[k - 1] = y;
    zs[k - 1] = z;
    return 1;
}

int Trail::GetPoint(int32_t k, int32_t* x, int32_t* y, int32_t* z) const {
    if (xs == nullptr || ys == nullptr || zs == nullptr || k < 1 || k > pointCount) return 0;
    *x = xs[k - 1];
    *y = ys[k - 1];
    *z = zs[k - 1];
    return 1;
}

int Trail::SetTarget(int32_t x, int32_t y, int32_t z) {
    targetX = x;
    targetY = y;
    targetZ = z;
    return 1;
}

int Trail::Velocity(int32_t* vx, int32_t* vy, int32_t* vz) const {
    if (cosTable == nullptr || sinTable == nullptr) return 0;
    if (yaw < 0 || yaw > tableSize - 1 || pitch < 0 || pitch > tableSize - 1) return 0;
    int32_t u = 0;
    int32_t w = 0;
    if (!RotateFixed(0, 0, speed, 0, cosTable[yaw], sinTable[yaw], unit, &u, &w)) return 0;
    // The second turn starts from the already truncated w, as the animation was made.
    int32_t p = 0;
    int32_t q = 0;
    if (!RotateFixed(0, 0, w, 0, cosTable[pitch], sinTable[pitch], unit, &p, &q)) return 0;
    *vx = u;
    *vy = p;
    *vz = q;
    return 1;
}

int Trail::CanMove() const {
    return active != 0 && pointCount >= 1 && cosTable != nullptr && sinTable != nullptr;
}

int Trail::Advance() {
    if (!CanMove()) return 0;
    int32_t vx = 0;
    int32_t vy = 0;
    int32_t vz = 0;
    if (!Velocity(&vx, &vy, &vz)) return 0;
    for (int32_t i = pointCount - 1; i >= 1; --i) {
        xs[i] = xs[i - 1];
        ys[i] = ys[i - 1];
        zs[i] = zs[i - 1];
    }
    xs[0] = WrapAdd(xs[0], vx);
    ys[0] = WrapAdd(ys[0], vy);
    zs[0] = WrapAdd(zs[0], vz);
    return 1;
}

int Trail::Steer(int32_t step) {
    if (!CanMove()) return 0;
    int32_t vx = 0;
    int32_t vy = 0;
    int32_t vz = 0;
    if (!Velocity(&vx, &vy, &vz)) return 0;
    // Far-strayed trails make these products wrap; the turns then follow the wrapped signs.
    const int32_t toX = WrapSub(targetX, xs[0]);
    const int32_t toY = WrapSub(targetY, ys[0]);
    const int32_t toZ = WrapSub(targetZ, zs[0]);
    yaw = TurnToward(yaw, Cross2D(0, 0, vx, vy, toX, toY), step, tableSize);
    pitch = TurnToward(pitch, Cross2D(0, 0, vy, vz, toY, toZ), step, tableSize);
    return 1;
}
