// Vector routines on T3dpoint values: cross product, normalisation, difference and the triangle
// normal the library draws with. Pure functions; nothing reports failure.
#pragma once

#include "vtrl3ds/types.h"

// PV1 x PV2.
T3dpoint VCross(const T3dpoint& PV1, const T3dpoint& PV2);
// V divided by its length; V unchanged when the length is not greater than 0.
T3dpoint Normalize(const T3dpoint& V);
// V1 - V2, component by component.
T3dpoint VectorSubtract(const T3dpoint& V1, const T3dpoint& V2);
// Unit normal of the triangle (Point1, Point2, Point3): -normalize((Point1-Point2) x (Point1-Point3)),
// pointing to the side from which the corners run clockwise; the zero vector for a degenerate one.
T3dpoint CalcNormalVector(const T3dpoint& Point1, const T3dpoint& Point2, const T3dpoint& Point3);
