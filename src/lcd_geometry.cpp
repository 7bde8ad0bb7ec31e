#include "lcd.h"

#include "errors.h"

namespace {

struct Geometry {
    GeometryCode code;
    uint8_t columns;
    uint8_t rows;
};

constexpr Geometry kGeometries[] = {
    {GeometryCode::Lcd8x1, 8, 1},   {GeometryCode::Lcd16x1, 16, 1}, {GeometryCode::Lcd20x1, 20, 1},
    {GeometryCode::Lcd40x1, 40, 1}, {GeometryCode::Lcd8x2, 8, 2},   {GeometryCode::Lcd12x2, 12, 2},
    {GeometryCode::Lcd16x2, 16, 2}, {GeometryCode::Lcd20x2, 20, 2}, {GeometryCode::Lcd24x2, 24, 2},
    {GeometryCode::Lcd40x2, 40, 2}, {GeometryCode::Lcd16x4, 16, 4}, {GeometryCode::Lcd20x4, 20, 4},
};

// The two lines of display data RAM in two-line mode.
constexpr uint8_t kLine1 = 0x00;
constexpr uint8_t kLine2 = 0x40;

}  // namespace

bool LcdGeometryCode(uint8_t columns, uint8_t rows, GeometryCode* code) {
    for (const Geometry& geometry : kGeometries) {
        if (geometry.rows == rows && geometry.columns == columns) {
            *code = geometry.code;
            return true;
        }
    }
    return false;
}

uint8_t LcdRowBase(uint8_t row, GeometryCode code) {
    if (row == 2) return kLine2;
    if (row != 3 && row != 4) return kLine1;  // row 1, and rows 0 and 5 and above
    // A four-row panel continues line 1 with row 3 and line 2 with row 4, right
    // after the last column of rows 1 and 2: 0x14/0x54 on 20x4, 0x10/0x50 on 16x4.
    for (const Geometry& geometry : kGeometries) {
        if (geometry.code == code && geometry.rows == 4) {
            return static_cast<uint8_t>((row == 3 ? kLine1 : kLine2) + geometry.columns);
        }
    }
    return kLine1;
}

uint8_t LcdCellAddress(uint8_t column, uint8_t row, GeometryCode code) {
    const int32_t base = LcdRowBase(row, code);
    return NarrowToByte(CheckedAdd(base, CheckedSub(column, 1)));
}
