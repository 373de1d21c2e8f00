#pragma once

// A text position as (column, line), both 1-based; X is the column.
struct TPoint {
    int X = 0;
    int Y = 0;
    bool operator==(const TPoint&) const = default;
};
