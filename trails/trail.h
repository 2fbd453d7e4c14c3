// Trail: one animated chain of points in 3-D fixed-point space (4096 = one unit; x right, y up,
// z away from the viewer). The head moves `speed` per step along the heading given by two
// angle indices into the trail's own direction tables; every other point takes the place of
// the one ahead of it. Steering turns both angles by whole table steps toward the target.
//
// Every operation but Release returns 1 on success and 0 when it refuses, and a refusal
// changes nothing. Per-step operations allocate nothing.
#pragma once

#include <cstdint>

class Trail {
  public:
    Trail() = default;
    ~Trail() { Release(); }
    Trail(const Trail&) = delete;
    Trail& operator=(const Trail&) = delete;

    void Release();
    // Frees everything first, the direction tables included; the points' contents are
    // undefined until set.
    int AllocPoints(int32_t n);
    int SetUnit(int32_t u);
    // Builds 360-style tables of n entries scaled by `unit`; call after AllocPoints and SetUnit.
    int BuildTables(int32_t n);
    int SetActive(int32_t v);
    int SetYaw(int32_t i);
    int SetPitch(int32_t i);
    int SetSpeed(int32_t s);
    // Point numbers are 1-based: point 1 is the head.
    int SetPoint(int32_t k, int32_t x, int32_t y, int32_t z);
    int GetPoint(int32_t k, int32_t* x, int32_t* y, int32_t* z) const;
    int SetTarget(int32_t x, int32_t y, int32_t z);
    int Velocity(int32_t* vx, int32_t* vy, int32_t* vz) const;
    int Advance();
    int Steer(int32_t step);

    int32_t GetYaw() const { return yaw; }
    int32_t GetPitch() const { return pitch; }
    int32_t GetPointCount() const { return pointCount; }
    int32_t GetTableSize() const { return tableSize; }
    void GetTarget(int32_t* x, int32_t* y, int32_t* z) const {
        *x = targetX;
        *y = targetY;
        *z = targetZ;
    }

  private:
    int CanMove() const;

    int32_t active = 0;
    int32_t unit = 4096;  // fixed-point unit: table scale and rotation divisor
    int32_t pointCount = 0;
    int32_t* xs = nullptr;  // index 0 is the head
    int32_t* ys = nullptr;
    int32_t* zs = nullptr;
    int32_t targetX = 0;
    int32_t targetY = 0;
    int32_t targetZ = 0;
    int32_t tableSize = 0;
    int32_t* cosTable = nullptr;
    int32_t* sinTable = nullptr;
    int32_t yaw = 0;    // heading from +x, in table entries
    int32_t pitch = 0;  // turn of the heading about x, from +y toward +z
    int32_t speed = 0;  // fixed-point distance per step
};
